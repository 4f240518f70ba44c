#pragma once

// Every type of the restore records: statuses and their names, reports, the restored-item
// record and its key, the string comparator, and the attribute and action encodings.
#include "restore/records/FileExtentContainerItemRestoreReport.h"
#include "restore/records/FileExtentContainerItemRestoredAttributes.h"
#include "restore/records/FileExtentExtentItemRestoreReport.h"
#include "restore/records/FileExtentRestoredItemPostProcessAction.h"
#include "restore/records/RestoreStatus.h"
#include "restore/records/RestoredItem.h"
#include "restore/records/RestoringItemAndVersion.h"
#include "restore/records/RuntimeStringCmpA.h"
