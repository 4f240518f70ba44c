#pragma once

#include "restore/records/RestoreStatus.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>

namespace FILEEXTENTRECALLDB
{
// A recall status with its error code. Status starts as PROGRESSING so that a report never
// carries an indeterminate value, though every producer sets it.
class CFileExtentRecallStatus
{
public:
    RecallStatus Status = PROGRESSING;
    std::uint32_t ErrCode = 0;
};

typedef boost::shared_ptr<CFileExtentRecallStatus> CFileExtentRecallStatusPtr;
} // namespace FILEEXTENTRECALLDB
