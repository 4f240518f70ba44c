#include "transport/redis/Decimal.h"

namespace FILEEXTENT_REDIS
{
bool CDecimal::Parse(const std::string& text, std::uint64_t max, std::uint64_t& value)
{
    if (text.empty() || (text.size() > 1 && text[0] == '0'))
        return false;
    std::uint64_t number = 0;
    for (char c : text)
    {
        if (c < '0' || c > '9')
            return false;
        const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
        if (digit > max || number > (max - digit) / 10)
            return false;
        number = number * 10 + digit;
    }
    value = number;
    return true;
}
} // namespace FILEEXTENT_REDIS
