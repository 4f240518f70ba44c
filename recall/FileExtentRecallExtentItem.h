#pragma once

#include "recall/RecallRequestStats.h"
#include "restore/records/RestoreStatus.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>

namespace FILEEXTENTRECALLDB
{
// The host's event for one extent of a recalled file.
struct CFileExtentRecallExtentItem
{
    RecallStatus Status = PROGRESSING;
    std::uint32_t ErrCode = 0;
    std::uint64_t ExtentNumber = 0;
    CRecallRequestStats Stats;
};

typedef boost::shared_ptr<CFileExtentRecallExtentItem> CFileExtentRecallExtentItemPtr;
} // namespace FILEEXTENTRECALLDB
