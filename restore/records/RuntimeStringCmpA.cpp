#include "restore/records/RuntimeStringCmpA.h"

#include <algorithm>
#include <cctype>

namespace FILEEXTENT_RESTORE
{
bool RuntimeStringCmpA::operator()(const std::string& a, const std::string& b) const
{
    if (m_mode == case_sensitive)
        return a < b;
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), nocase_compare);
}

bool RuntimeStringCmpA::nocase_compare(char a, char b)
{
    return std::toupper(static_cast<unsigned char>(a)) < std::toupper(static_cast<unsigned char>(b));
}
} // namespace FILEEXTENT_RESTORE
