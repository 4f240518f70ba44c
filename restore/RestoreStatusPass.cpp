#include "restore/RestoreStatusPass.h"

#include "foundation/ErrorContext.h"
#include "foundation/Log.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "platform/ZuUtils/FXString.h"
#include "platform/ZuUtils/ZuTypes.h"
#include "store/FileExtentRestoreDBHandler.h"

#include <cstdint>

namespace FILEEXTENT_RESTORE
{
namespace
{
const std::uint32_t kIncompleteRestoreError = 0x1700003E;
} // namespace

CRestoreStatusPass::CRestoreStatusPass(CFileExtentRestoreDBHandler& table) : m_table(table), m_open(false)
{
}

CRestoreStatusPass::~CRestoreStatusPass()
{
    if (m_open)
        m_table.RollbackTransaction();
}

CZuError CRestoreStatusPass::Run()
{
    CZuError enumeration =
        m_table.GetAllRestoredItems([this](const CRestoredItem& record) { return DecideRow(record); });
    // What was decided before a failed enumeration stays decided.
    EndTransaction();
    if (m_firstFailure.IsError())
        return CZuError(m_firstFailure).Push(FX_CODE_LOCATION);
    if (enumeration.IsError())
        return enumeration.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CRestoreStatusPass::DecideRow(const CRestoredItem& record)
{
    if (record.Status && (*record.Status == FAILED || *record.Status == SKIPPED))
        return CZuError::Success();
    const CRestoredItem decision = Decide(record);
    if (!ChangesRow(record, decision))
        return CZuError::Success();
    CZuError written = WriteDecision(record, decision);
    if (written.IsError())
    {
        FX_LOG(-1, "Failed to update status of the filepath=[%s] in FileExtent DB. Error=[%s].",
               record.FilePath.c_str(), written.AsString().c_str());
        KeepFirstFailure(CErrorContext::Wrap(
            written, FX_CODE_LOCATION,
            FXString::Format("Failed to update status of the filepath=[%s] in FileExtent DB", record.FilePath.c_str())));
    }
    // Every row is visited, whatever happened to this one.
    return CZuError::Success();
}

CZuError CRestoreStatusPass::WriteDecision(const CRestoredItem& record, const CRestoredItem& decision)
{
    CZuError err = OpenTransaction();
    if (!err.IsError())
        err = m_table.Update(record.FilePath, record.RestoredItemVersion, decision);
    // SQLite undid the transaction (a full disk, an I/O error): the rows decided in it so far
    // are undecided again, and the next row begins a new one.
    if (err.IsError() && m_open && !m_table.IsInTransaction())
    {
        m_table.RollbackTransaction();
        m_open = false;
    }
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CRestoreStatusPass::OpenTransaction()
{
    if (m_open)
        return CZuError::Success();
    if (!m_cannotWrite.IsError())
    {
        CZuError err = m_table.BeginTransaction();
        if (!err.IsError())
        {
            m_open = true;
            return CZuError::Success();
        }
        // A lock held elsewhere past the busy timeout: do not wait for it once per row.
        m_cannotWrite = err;
    }
    return CZuError(m_cannotWrite).Push(FX_CODE_LOCATION);
}

void CRestoreStatusPass::EndTransaction()
{
    if (!m_open)
        return;
    m_open = false;
    CZuError err = m_table.CommitTransaction();
    if (err.IsError())
    {
        FX_LOG(-1, "Failed to update status of the items in FileExtent DB. Error=[%s].", err.AsString().c_str());
        KeepFirstFailure(CErrorContext::Wrap(err, FX_CODE_LOCATION, "Failed to commit the decided statuses"));
    }
}

void CRestoreStatusPass::KeepFirstFailure(const CZuError& error)
{
    if (!m_firstFailure.IsError())
        m_firstFailure = error;
}

CRestoredItem CRestoreStatusPass::Decide(const CRestoredItem& record)
{
    CRestoredItem update;
    update.FilePath = record.FilePath;
    if (!IsIncompleteRestore(record))
    {
        update.Status = SUCCESS;
        return update;
    }
    update.Status = FAILED;
    if (record.ErrorCode.value_or(0) == 0)
        update.ErrorCode = kIncompleteRestoreError;
    return update;
}

bool CRestoreStatusPass::ChangesRow(const CRestoredItem& record, const CRestoredItem& decision)
{
    if (decision.Status != record.Status)
        return true;
    return decision.ErrorCode && decision.ErrorCode != record.ErrorCode;
}

// The four tests of a finished restore, in order; the first that fails is logged and decides.
bool CRestoreStatusPass::IsIncompleteRestore(const CRestoredItem& record)
{
    const char* path = record.FilePath.c_str();
    if (record.RestoredFilePath.value_or(std::string()).empty())
    {
        FX_LOG(-1, "Marking the item[%s] as failed. Reason=[Restored file path is empty].", path);
        return true;
    }
    if (!record.ContainerItemRestored.value_or(false))
    {
        FX_LOG(-1, "Marking the item[%s] as failed. Reason=[ContainerItem not restored].", path);
        return true;
    }
    const ULONGLONG bits = record.ExtentBitmap ? record.ExtentBitmap->size() : 0;
    const std::int64_t extents = record.NumOfExtents.value_or(0);
    if (static_cast<std::int64_t>(bits) != extents)
    {
        FX_LOG(-1,
               "Marking the item[%s] as failed. Reason=[All extents not restored. NumOfExtents=[%llu] "
               "NumOfExtentsRestored=[%lld]].",
               path, static_cast<unsigned long long>(bits), static_cast<long long>(extents));
        return true;
    }
    if (record.ExtentBitmap && !record.ExtentBitmap->all())
    {
        FX_LOG(-1, "Marking the item[%s] as failed. Reason=[All extents not restored].", path);
        return true;
    }
    return false;
}
} // namespace FILEEXTENT_RESTORE
