#pragma once

#include "platform/ZuUtils/ZuError.h"

#include <cstdint>
#include <string>

namespace FILEEXTENT_RESTORE
{
// The restored file's attributes, carried unchanged; stored as "v1!v2!v3!v4!v5".
class CFileExtentContainerItemRestoredAttributes
{
public:
    std::uint64_t Value1 = 0;
    std::uint64_t Value2 = 0;
    std::uint64_t Value3 = 0;
    std::uint32_t Value4 = 0;
    std::uint64_t Value5 = 0;

    CZuError SerializeToString(std::string& out) const;
    // Fewer than four parts: ERROR_GEN_FAILURE and nothing changes; an empty text changes nothing.
    CZuError DeserializeFromString(const std::string& text);
};
} // namespace FILEEXTENT_RESTORE
