#pragma once

#include <cstdarg>
#include <string>
#include <vector>

class FXString
{
public:
    static std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
    static std::string FormatV(const char* format, va_list args);

    // Parts in text order; empty parts between adjacent separators are kept (flags 0).
    static void Split(const std::string& text, const std::string& separator, std::vector<std::string>& parts,
                      int flags);
    // Strip the prefix (suffix) when the text starts (ends) with it, case-sensitively.
    static bool RemoveLeft(std::string& text, const std::string& prefix);
    static bool RemoveRight(std::string& text, const std::string& suffix);

    static int Compare(const std::string& a, const std::string& b);
    static int CompareNoCase(const std::string& a, const std::string& b);
};
