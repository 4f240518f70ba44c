#include "foundation/AsciiNoCase.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

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

namespace
{
const std::uint64_t kOnes = 0x0101010101010101ull;
const std::uint64_t kHighBits = 0x8080808080808080ull;

// The eight bytes of a word with their ASCII capitals made small, all at once.
std::uint64_t FoldWord(std::uint64_t word)
{
    const std::uint64_t low7 = word & ~kHighBits;
    const std::uint64_t aboveZ = low7 + (0x7F - 'Z') * kOnes;
    const std::uint64_t fromA = low7 + (0x80 - 'A') * kOnes;
    const std::uint64_t capital = (fromA ^ aboveZ) & ~word & kHighBits;
    return word | (capital >> 2);
}

std::uint64_t Mix(std::uint64_t hash, std::uint64_t word)
{
    hash = (hash ^ word) * 0x9E3779B97F4A7C15ull;
    return hash ^ (hash >> 29);
}
} // namespace

std::size_t CAsciiNoCase::Hash::operator()(const std::string& text) const
{
    // A word at a time: this runs on every extent event.
    std::uint64_t hash = text.size();
    std::size_t at = 0;
    for (; at + 8 <= text.size(); at += 8)
    {
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, 8);
        hash = Mix(hash, FoldWord(word));
    }
    if (at < text.size())
    {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + at, text.size() - at);
        hash = Mix(hash, FoldWord(word));
    }
    return static_cast<std::size_t>(hash);
}

bool CAsciiNoCase::Equal::operator()(const std::string& a, const std::string& b) const
{
    // The same bytes, the usual case, cost one comparison of memory.
    return a.size() == b.size() && (a == b || Compare(a, b) == 0);
}
