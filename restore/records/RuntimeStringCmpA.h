#pragma once

#include <string>

namespace FILEEXTENT_RESTORE
{
// String ordering whose case sensitivity is chosen at construction.
class RuntimeStringCmpA
{
public:
    enum cmp_mode
    {
        case_sensitive = 0,
        nocase = 1,
    };

    explicit RuntimeStringCmpA(cmp_mode mode = case_sensitive) : m_mode(mode) {}

    bool operator()(const std::string& a, const std::string& b) const;
    static bool nocase_compare(char a, char b);

private:
    cmp_mode m_mode;
};
} // namespace FILEEXTENT_RESTORE
