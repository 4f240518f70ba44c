#pragma once

#include "restore/records/FileExtentContainerItemRestoreReport.h"
#include "restore/records/RestoredItem.h"

namespace FILEEXTENT_RESTORE
{
// A stored record as the container report an enumeration hands the host.
class CRestoredItemReport
{
public:
    // Every member of the report, so that one report can be reused for every row; texts that do
    // not decode leave their members at the defaults.
    static void Fill(const CRestoredItem& record, CFileExtentContainerItemRestoreReport& report);
};
} // namespace FILEEXTENT_RESTORE
