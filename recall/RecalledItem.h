#pragma once

#include "recall/FileExtentRecallFileMetadata.h"
#include "restore/records/RestoreStatus.h"

#include <boost/dynamic_bitset.hpp>
#include <boost/optional.hpp>

#include <cstdint>
#include <string>

namespace FILEEXTENTRECALLDB
{
// One recalled file, keyed by its path; members stand in the order of the table's columns.
// An empty optional means "no value supplied": an update leaves that column alone.
struct CRecalledItem
{
    std::string FilePath;
    boost::optional<std::string> RestoredFilePath;
    boost::optional<std::uint32_t> ErrorCode;
    boost::optional<RecallStatus> Status;
    boost::optional<bool> ContainerItemRestored;
    boost::optional<std::string> PostProcessAction;
    boost::optional<std::int64_t> NumOfExtents;
    boost::optional<boost::dynamic_bitset<unsigned char>> ExtentBitmap;
    boost::optional<CFileExtentRecallFileMetadata> Metadata;

    // Every member but Metadata gets a value; Metadata is left to the caller, who sets it next.
    void Reset();
};
} // namespace FILEEXTENTRECALLDB
