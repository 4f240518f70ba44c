#include "foundation/AsciiNoCase.h"

#include <algorithm>

int CAsciiNoCase::Compare(const std::string& a, const std::string& b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i)
    {
        const unsigned char x = Fold(static_cast<unsigned char>(a[i]));
        const unsigned char y = Fold(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::size_t CAsciiNoCase::Hash::operator()(const std::string& text) const
{
    // FNV-1a over the folded bytes.
    std::size_t hash = 14695981039346656037ull;
    for (char c : text)
    {
        hash ^= Fold(static_cast<unsigned char>(c));
        hash *= 1099511628211ull;
    }
    return hash;
}

bool CAsciiNoCase::Equal::operator()(const std::string& a, const std::string& b) const
{
    return a.size() == b.size() && Compare(a, b) == 0;
}
