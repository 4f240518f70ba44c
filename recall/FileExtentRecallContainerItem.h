#pragma once

#include "recall/RecallRequestStats.h"
#include "restore/records/RestoreStatus.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>

namespace FILEEXTENTRECALLDB
{
// The host's container event for a recalled file.
struct CFileExtentRecallContainerItem
{
    RecallStatus Status = PROGRESSING;
    std::uint32_t ErrCode = 0;
    bool ContainerItemRestored = false;
    CRecallRequestStats Stats;
};

typedef boost::shared_ptr<CFileExtentRecallContainerItem> CFileExtentRecallContainerItemPtr;
} // namespace FILEEXTENTRECALLDB
