#pragma once

#include "platform/ZuUtils/ZuError.h"
#include "restore/records/RestoredItem.h"

namespace FILEEXTENT_RESTORE
{
class CFileExtentRestoreDBHandler;

// The final status of every row of a restore: a SUCCESS or PROGRESSING row becomes SUCCESS
// when its restored path, its container flag and every extent bit are there, else FAILED
// (with 0x1700003E when it had no error code); FAILED and SKIPPED rows are left alone. The
// rows are written in one transaction. A row whose decision cannot be written is logged and
// the pass goes on; the first such failure is what Run returns.
class CRestoreStatusPass
{
public:
    explicit CRestoreStatusPass(CFileExtentRestoreDBHandler& table);
    ~CRestoreStatusPass();
    CRestoreStatusPass(const CRestoreStatusPass&) = delete;
    CRestoreStatusPass& operator=(const CRestoreStatusPass&) = delete;

    CZuError Run();

private:
    CZuError DecideRow(const CRestoredItem& record);
    CZuError WriteDecision(const CRestoredItem& record, const CRestoredItem& decision);
    CZuError OpenTransaction();
    void EndTransaction();
    void KeepFirstFailure(const CZuError& error);

    // The decided fields (Status, perhaps ErrorCode) of a row; the four tests log why a row fails.
    static CRestoredItem Decide(const CRestoredItem& record);
    static bool IsIncompleteRestore(const CRestoredItem& record);
    // A decision equal to the row changes nothing and is not written.
    static bool ChangesRow(const CRestoredItem& record, const CRestoredItem& decision);

    CFileExtentRestoreDBHandler& m_table;
    bool m_open;
    CZuError m_cannotWrite; // why no transaction could be begun: every later write fails with it
    CZuError m_firstFailure;
};
} // namespace FILEEXTENT_RESTORE
