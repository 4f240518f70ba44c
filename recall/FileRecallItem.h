#pragma once

#include "recall/FileExtentRecallFileMetadata.h"
#include "restore/records/RestoreStatus.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <string>

namespace FILEEXTENTRECALLDB
{
// The host's file-recall event: opens (or starts again) the record of a path.
struct CFileRecallItem
{
    std::string RestoredFilePath;
    RecallStatus Status = PROGRESSING;
    std::uint32_t ErrCode = 0;
    std::uint64_t NoOfExtents = 0;
    CFileExtentRecallFileMetadata Metadata;
};

typedef boost::shared_ptr<CFileRecallItem> CFileRecallItemPtr;
} // namespace FILEEXTENTRECALLDB
