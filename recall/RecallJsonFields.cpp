#include "recall/RecallJsonFields.h"

#include <cmath>

namespace FILEEXTENTRECALLDB
{
namespace
{
bool AsUnsigned(const json_spirit::mValue& value, std::uint64_t& out)
{
    if (value.is_number_unsigned())
    {
        out = value.get<std::uint64_t>();
        return true;
    }
    if (value.is_number_integer())
    {
        const std::int64_t number = value.get<std::int64_t>();
        if (number < 0)
            return false;
        out = static_cast<std::uint64_t>(number);
        return true;
    }
    if (value.is_number_float())
    {
        // Another writer may have stored a whole number in floating form; keep that, drop fractions.
        const double number = value.get<double>();
        if (!(number >= 0.0 && number < 18446744073709551616.0) || std::floor(number) != number)
            return false;
        out = static_cast<std::uint64_t>(number);
        return true;
    }
    return false;
}
} // namespace

bool RecallJsonFields::ReadUInt64(const json_spirit::mObject& object, const char* key, std::uint64_t& out)
{
    const auto found = object.find(key);
    return found != object.end() && AsUnsigned(found->second, out);
}

bool RecallJsonFields::ReadUInt32(const json_spirit::mObject& object, const char* key, std::uint32_t& out)
{
    std::uint64_t number = 0;
    if (!ReadUInt64(object, key, number))
        return false;
    out = static_cast<std::uint32_t>(number & 0xFFFFFFFFu);
    return true;
}

bool RecallJsonFields::ReadString(const json_spirit::mObject& object, const char* key, std::string& out)
{
    const auto found = object.find(key);
    if (found == object.end() || !found->second.is_string())
        return false;
    out = found->second.get_ref<const std::string&>();
    return true;
}
} // namespace FILEEXTENTRECALLDB
