#pragma once

#include <cstddef>
#include <string>

// Strings compared as SQLite's NOCASE compares them: ASCII letters folded to lower case, every
// other byte as it is, whatever the process's locale. A cache in front of a NOCASE column
// orders and finds its keys this way, so that one row is one key.
class CAsciiNoCase
{
public:
    static int Compare(const std::string& a, const std::string& b);
    static bool Less(const std::string& a, const std::string& b) { return Compare(a, b) < 0; }

    struct Hash
    {
        std::size_t operator()(const std::string& text) const;
    };
    struct Equal
    {
        bool operator()(const std::string& a, const std::string& b) const;
    };

    static unsigned char Fold(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c; }
};
