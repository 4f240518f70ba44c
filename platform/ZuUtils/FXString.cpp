#include "platform/ZuUtils/FXString.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

std::string FXString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = FormatV(format, args);
    va_end(args);
    return text;
}

std::string FXString::FormatV(const char* format, va_list args)
{
    char small[256];
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(small, sizeof(small), format, copy);
    va_end(copy);
    if (length < 0)
        return std::string();
    if (static_cast<size_t>(length) < sizeof(small))
        return std::string(small, static_cast<size_t>(length));
    std::string text(static_cast<size_t>(length), '\0');
    std::vsnprintf(&text[0], text.size() + 1, format, args);
    return text;
}

void FXString::Split(const std::string& text, const std::string& separator, std::vector<std::string>& parts,
                     int /*flags*/)
{
    parts.clear();
    if (separator.empty())
    {
        parts.push_back(text);
        return;
    }
    size_t start = 0;
    for (;;)
    {
        size_t found = text.find(separator, start);
        if (found == std::string::npos)
        {
            parts.push_back(text.substr(start));
            return;
        }
        parts.push_back(text.substr(start, found - start));
        start = found + separator.size();
    }
}

bool FXString::RemoveLeft(std::string& text, const std::string& prefix)
{
    if (text.compare(0, prefix.size(), prefix) != 0 || text.size() < prefix.size())
        return false;
    text.erase(0, prefix.size());
    return true;
}

bool FXString::RemoveRight(std::string& text, const std::string& suffix)
{
    if (text.size() < suffix.size() || text.compare(text.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    text.erase(text.size() - suffix.size());
    return true;
}

int FXString::Compare(const std::string& a, const std::string& b)
{
    return std::strcmp(a.c_str(), b.c_str());
}

int FXString::CompareNoCase(const std::string& a, const std::string& b)
{
    return ::strcasecmp(a.c_str(), b.c_str());
}
