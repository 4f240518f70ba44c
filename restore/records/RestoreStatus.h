#pragma once

#include <boost/unordered_map.hpp>

namespace FILEEXTENT_RESTORE
{
enum RestoreStatus : int
{
    SUCCESS = 0,
    FAILED = 1,
    SKIPPED = 2,
    PROGRESSING = 3,
};

extern const boost::unordered_map<RestoreStatus, const char*> RestoreStatusToString;
} // namespace FILEEXTENT_RESTORE

namespace FILEEXTENTRECALLDB
{
enum RecallStatus : int
{
    SUCCESS = 0,
    FAILED = 1,
    SKIPPED = 2,
    PROGRESSING = 3,
};

extern const boost::unordered_map<RecallStatus, const char*> RecallStatusToString;
} // namespace FILEEXTENTRECALLDB

// 0..3 map to the same value; anything else is FAILED.
FILEEXTENTRECALLDB::RecallStatus ConvertRestoreStatusToRecallStatus(FILEEXTENT_RESTORE::RestoreStatus status);
FILEEXTENT_RESTORE::RestoreStatus ConvertRecallStatusToRestoreStatus(FILEEXTENTRECALLDB::RecallStatus status);
