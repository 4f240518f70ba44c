#include "restore/records/RestoreStatus.h"

#include <boost/assign/list_of.hpp>

namespace FILEEXTENT_RESTORE
{
const boost::unordered_map<RestoreStatus, const char*> RestoreStatusToString =
    boost::assign::map_list_of(SUCCESS, "SUCCESS")(FAILED, "FAILED")(SKIPPED, "SKIPPED")(PROGRESSING, "PROGRESSING");
}

namespace FILEEXTENTRECALLDB
{
const boost::unordered_map<RecallStatus, const char*> RecallStatusToString =
    boost::assign::map_list_of(SUCCESS, "SUCCESS")(FAILED, "FAILED")(SKIPPED, "SKIPPED")(PROGRESSING, "PROGRESSING");
}

namespace
{
bool IsKnownStatus(int value)
{
    return value >= 0 && value <= 3;
}
} // namespace

FILEEXTENTRECALLDB::RecallStatus ConvertRestoreStatusToRecallStatus(FILEEXTENT_RESTORE::RestoreStatus status)
{
    const int value = static_cast<int>(status);
    return IsKnownStatus(value) ? static_cast<FILEEXTENTRECALLDB::RecallStatus>(value) : FILEEXTENTRECALLDB::FAILED;
}

FILEEXTENT_RESTORE::RestoreStatus ConvertRecallStatusToRestoreStatus(FILEEXTENTRECALLDB::RecallStatus status)
{
    const int value = static_cast<int>(status);
    return IsKnownStatus(value) ? static_cast<FILEEXTENT_RESTORE::RestoreStatus>(value) : FILEEXTENT_RESTORE::FAILED;
}
