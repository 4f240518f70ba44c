#pragma once

#include <cstdint>
#include <string>

namespace FILEEXTENT_REDIS
{
// Whole numbers as the transport writes them: decimal digits, no sign, no leading zero.
class CDecimal
{
public:
    // False for an empty text, any other character, a leading zero or a value above max.
    static bool Parse(const std::string& text, std::uint64_t max, std::uint64_t& value);
};
} // namespace FILEEXTENT_REDIS
