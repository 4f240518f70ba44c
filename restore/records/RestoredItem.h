#pragma once

#include "restore/records/RestoreStatus.h"

#include <boost/dynamic_bitset.hpp>
#include <boost/optional.hpp>

#include <cstdint>
#include <string>

namespace FILEEXTENT_RESTORE
{
// One restored item per (path, version); members stand in the order of the table's columns.
// An empty optional means "no value supplied": an update leaves that column alone.
struct CRestoredItem
{
    std::string FilePath;
    std::uint32_t RestoredItemVersion = 0;
    boost::optional<std::string> RestoredFilePath;
    boost::optional<std::uint32_t> ErrorCode;
    boost::optional<RestoreStatus> Status;
    boost::optional<bool> ContainerItemRestored;
    boost::optional<std::string> PostProcessAction;
    boost::optional<std::int64_t> NumOfExtents;
    boost::optional<boost::dynamic_bitset<unsigned char>> ExtentBitmap;
    boost::optional<std::string> Metadata;
    boost::optional<std::int32_t> TaskId;

    // Every member gets a value, so writing a reset record overwrites every column.
    void Reset();
};
} // namespace FILEEXTENT_RESTORE
