#include "restore/records/FileExtentContainerItemRestoredAttributes.h"

#include "platform/ZuUtils/FXErrorUtil.h"
#include "platform/ZuUtils/FXString.h"

#include <cstdlib>
#include <vector>

namespace FILEEXTENT_RESTORE
{
namespace
{
const char kSeparator = '!';

std::uint64_t ReadU64(const std::string& part)
{
    return std::strtoull(part.c_str(), nullptr, 10);
}
} // namespace

CZuError CFileExtentContainerItemRestoredAttributes::SerializeToString(std::string& out) const
{
    out = FXString::Format("%llu%c%llu%c%llu%c%u%c%llu", static_cast<unsigned long long>(Value1), kSeparator,
                           static_cast<unsigned long long>(Value2), kSeparator,
                           static_cast<unsigned long long>(Value3), kSeparator, Value4, kSeparator,
                           static_cast<unsigned long long>(Value5));
    return CZuError::Success();
}

CZuError CFileExtentContainerItemRestoredAttributes::DeserializeFromString(const std::string& text)
{
    if (text.empty())
        return CZuError::Success();
    std::vector<std::string> parts;
    FXString::Split(text, std::string(1, kSeparator), parts, 0);
    if (parts.size() < 4)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_GEN_FAILURE);
    Value1 = ReadU64(parts[0]);
    Value2 = ReadU64(parts[1]);
    Value3 = ReadU64(parts[2]);
    Value4 = static_cast<std::uint32_t>(std::strtoul(parts[3].c_str(), nullptr, 10));
    Value5 = parts.size() >= 5 ? ReadU64(parts[4]) : 0;
    return CZuError::Success();
}
} // namespace FILEEXTENT_RESTORE
