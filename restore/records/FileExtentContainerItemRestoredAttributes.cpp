#include "restore/records/FileExtentContainerItemRestoredAttributes.h"

#include "platform/ZuUtils/FXErrorUtil.h"

#include <charconv>
#include <cstdlib>

namespace FILEEXTENT_RESTORE
{
namespace
{
const char kSeparator = '!';
const size_t kParts = 5;

void AppendNumber(std::string& out, std::uint64_t value)
{
    char digits[24];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof(digits), value);
    out.append(digits, end.ptr);
}

// The number at the start of a part, read as strtoull reads it: it stops at the first character
// that is not a digit, and the separator is not one. Read in place, since every enumerated row
// decodes its attributes.
std::uint64_t ReadU64(const char* part)
{
    return std::strtoull(part, nullptr, 10);
}
} // namespace

CZuError CFileExtentContainerItemRestoredAttributes::SerializeToString(std::string& out) const
{
    // "%llu!%llu!%llu!%u!%llu", without formatting machinery: one text per container event.
    std::string text;
    text.reserve(5 * 21);
    const std::uint64_t values[kParts] = {Value1, Value2, Value3, Value4, Value5};
    for (size_t i = 0; i < kParts; ++i)
    {
        if (i)
            text += kSeparator;
        AppendNumber(text, values[i]);
    }
    out.swap(text);
    return CZuError::Success();
}

CZuError CFileExtentContainerItemRestoredAttributes::DeserializeFromString(const std::string& text)
{
    if (text.empty())
        return CZuError::Success();
    // Where each part starts: the text, then every separator (empty parts count).
    const char* starts[kParts] = {};
    size_t parts = 0;
    for (size_t at = 0; at != std::string::npos && parts < kParts; at = text.find(kSeparator, at))
    {
        if (parts > 0)
            ++at;
        starts[parts++] = text.c_str() + at;
    }
    if (parts < 4)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_GEN_FAILURE);
    Value1 = ReadU64(starts[0]);
    Value2 = ReadU64(starts[1]);
    Value3 = ReadU64(starts[2]);
    Value4 = static_cast<std::uint32_t>(std::strtoul(starts[3], nullptr, 10));
    Value5 = parts >= 5 ? ReadU64(starts[4]) : 0;
    return CZuError::Success();
}
} // namespace FILEEXTENT_RESTORE
