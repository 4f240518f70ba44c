#include "restore/FileExtentRestoreHandler.h"

#include "cache/FileExtentPersist.h"
#include "foundation/ErrorPropagation.h"
#include "foundation/HostCall.h"
#include "foundation/Log.h"
#include "foundation/MakeSharedNothrow.h"
#include "network/FileExtentRestoreNWHandler.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "restore/FileExtentRestoreHandlerPrivate.h"
#include "restore/RestoreStatusPass.h"
#include "restore/records/ExtentRuns.h"
#include "restore/records/RestoredItemReport.h"

#include <new>
#include <stdexcept>
#include <utility>

namespace FILEEXTENT_RESTORE
{
namespace
{
const unsigned int kRestoreDBVersion = 1;
const unsigned int kReaderBlockSize = 0;
const unsigned int kMaxCacheSize = 5000;
const char* const kEvictedItemsTable = "EvictedItems";
// A row holds, beside its bitmap, its texts and a few numbers; this bounds those numbers and
// the row's own header.
const std::int64_t kRowOverhead = 128;

// The key of the calling thread's current extent event: its text's storage is reused from one
// event to the next, so an event allocates nothing.
const CRestoringItemAndVersion& ReusedKey(const std::string& path, ULONG version)
{
    static thread_local CRestoringItemAndVersion key;
    key.FilePath.assign(path);
    key.Version = version;
    return key;
}

// One extent report merged into its file's record: the status and error code of the latest
// report, and the extent's bit. A number beyond a non-empty bitmap changes nothing.
CZuError ApplyExtentReport(CRestoredItem& record, const std::string& path,
                           const CFileExtentExtentItemRestoreReport& report)
{
    const ULONGLONG extent = report.GetExtentNumber();
    const bool hasBits = record.ExtentBitmap && !record.ExtentBitmap->empty();
    if (hasBits && extent >= record.ExtentBitmap->size())
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER,
                                       "Extent [%llu] of [%s] is beyond its [%zu] extents",
                                       static_cast<unsigned long long>(extent), path.c_str(),
                                       record.ExtentBitmap->size());
    record.FilePath = path;
    record.ErrorCode = report.GetErrCode();
    record.Status = report.GetRestoreStatus();
    if (hasBits)
        record.ExtentBitmap->set(static_cast<size_t>(extent));
    return CZuError::Success();
}

// The stored text cuts a path at its first NUL, and two paths would share one row.
CZuError CheckPath(const std::string& path)
{
    if (path.find('\0') != std::string::npos)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER, "The path [%s] holds a NUL character",
                                       path.c_str());
    return CZuError::Success();
}

bool IsMissingOrUnreadable(const CZuError& error)
{
    return FXErrorUtil::IsWin32(error, ERROR_NOT_FOUND) || FXErrorUtil::IsWin32(error, ERROR_NOT_SUPPORTED);
}

CRestoredItem RecordFromContainerReport(const std::string& path, ULONG version,
                                        const CFileExtentContainerItemRestoreReport& report)
{
    std::string attributes;
    report.GetFileExtentContainerItemRestoredAttributes().SerializeToString(attributes);
    std::string action;
    report.GetFileExtentRestoredItemPostProcessAction().SerializeToString(action);

    CRestoredItem record;
    record.FilePath = path;
    record.RestoredItemVersion = version;
    record.RestoredFilePath = report.GetRestoredFilePath();
    record.ErrorCode = report.GetErrCode();
    record.Status = report.GetRestoreStatus();
    record.ContainerItemRestored = true;
    record.NumOfExtents = static_cast<std::int64_t>(report.GetNoOfExtents());
    record.Metadata = attributes;
    record.PostProcessAction = action;
    record.ExtentBitmap = boost::dynamic_bitset<unsigned char>(report.GetNoOfExtents());
    record.TaskId = report.GetTaskId();
    return record;
}

} // namespace

CFileExtentRestoreHandler::CFileExtentRestoreHandler() : d(new (std::nothrow) CFileExtentRestoreHandlerPrivate())
{
}

CFileExtentRestoreHandler::~CFileExtentRestoreHandler() = default;

CZuError CFileExtentRestoreHandler::CheckInitialized() const
{
    if (!d || !d->ptrWriterCache || !d->ptrReaderCache || !d->ptrDBHandler || !d->ptrDB)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_STATE,
                                       "The FileExtent restore handler is not initialized");
    return CZuError::Success();
}

CZuError CFileExtentRestoreHandler::Initialize(const std::string& dbDirectory, bool isDistributedRestore,
                                               FN_SendXDRMsgToFIR fnSendXDRMsgToFIR,
                                               FN_SendXMLMsgToFIR fnSendXMLMsgToFIR,
                                               unsigned int maxItemsToPersistInBlock)
{
    FX_RETURN_PROPAGATED(Initialize(dbDirectory, isDistributedRestore, fnSendXDRMsgToFIR, fnSendXMLMsgToFIR,
                                    maxItemsToPersistInBlock, CFileExtentRestoreOptions()));
}

CZuError CFileExtentRestoreHandler::Initialize(const std::string& dbDirectory, bool isDistributedRestore,
                                               FN_SendXDRMsgToFIR fnSendXDRMsgToFIR,
                                               FN_SendXMLMsgToFIR fnSendXMLMsgToFIR,
                                               ULONG maxItemsToPersistInBlock,
                                               const CFileExtentRestoreOptions& options)
{
    if (!d)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    if (d->ptrWriterCache)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_ALREADY_INITIALIZED,
                                       "The FileExtent restore handler is already initialized on [%s]",
                                       d->strDBDir.c_str());
    // What a failed earlier attempt left behind is released before it is built again.
    ReleaseStore();

    d->strDBDir = dbDirectory;
    d->bDistributedRestore = isDistributedRestore;
    d->options = options;
    FX_RETURN_IF_ERROR(CreateFileExtentReader());
    FX_RETURN_IF_ERROR(CreateFileExtentWriter(fnSendXDRMsgToFIR, fnSendXMLMsgToFIR, maxItemsToPersistInBlock));
    return CZuError::Success();
}

CZuError CFileExtentRestoreHandler::CreateFileExtentReader()
{
    d->ptrDB = boost::make_shared_nothrow<CFileExtentRestoreDB>(d->strDBDir, std::string(FileExtentLocalDBName),
                                                                kRestoreDBVersion);
    if (!d->ptrDB)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    d->ptrDBHandler = boost::make_shared_nothrow<CFileExtentRestoreDBHandler>(*d->ptrDB);
    if (!d->ptrDBHandler)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    FX_RETURN_IF_ERROR(d->ptrDBHandler->CreateTable());
    d->maxRowLength = d->ptrDB->GetMaxLength();

    boost::shared_ptr<IFileExtentPersist<CRestoringItemAndVersion, CRestoredItem>> persist =
        boost::make_shared_nothrow<CFileExtentPersistToLocalDB>(d->ptrDBHandler);
    if (!persist)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    d->ptrReaderCache = boost::make_shared_nothrow<CRestoredItemCache>(
        persist, kReaderBlockSize, d->fnComparator, _deleter<CRestoredItem>(), kMaxCacheSize,
        d->options.WriteNewRecordsWithNextPass ? NEW_RECORDS_WITH_NEXT_PASS : NEW_RECORDS_AT_ONCE);
    if (!d->ptrReaderCache)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    return CZuError::Success();
}

CZuError CFileExtentRestoreHandler::CreateFileExtentWriter(FN_SendXDRMsgToFIR fnSendXDRMsgToFIR,
                                                           FN_SendXMLMsgToFIR fnSendXMLMsgToFIR,
                                                           unsigned int maxItemsToPersistInBlock)
{
    if (!d->bDistributedRestore)
    {
        d->ptrWriterCache = d->ptrReaderCache;
        return CZuError::Success();
    }
    FX_LOG(0, "It is a distributed restore, initializing the FileExtentNetwork handler");
    boost::shared_ptr<CFileExtentRestoreNWHandler> network =
        boost::make_shared_nothrow<CFileExtentRestoreNWHandler>(fnSendXDRMsgToFIR, fnSendXMLMsgToFIR);
    if (!network)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    FX_RETURN_IF_ERROR(CreateEvictedItemsTable());
    boost::shared_ptr<IFileExtentPersist<CRestoringItemAndVersion, CRestoredItem>> persist =
        boost::make_shared_nothrow<CFileExtentPersistToNetwork>(network, d->ptrEvictedHandler);
    if (!persist)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    d->ptrWriterCache =
        boost::make_shared_nothrow<CRestoredItemCache>(persist, maxItemsToPersistInBlock, d->fnComparator);
    if (!d->ptrWriterCache)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    return CZuError::Success();
}

// The records a distributed writer evicts after sending them, so that a file's later extents
// still find its record: a table of its own beside the restored items, empty at the start.
CZuError CFileExtentRestoreHandler::CreateEvictedItemsTable()
{
    d->ptrEvictedHandler = boost::make_shared_nothrow<CFileExtentRestoreDBHandler>(*d->ptrDB, kEvictedItemsTable);
    if (!d->ptrEvictedHandler)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    FX_RETURN_IF_ERROR(d->ptrEvictedHandler->CreateTable());
    FX_RETURN_IF_ERROR(d->ptrEvictedHandler->DeleteAll());
    return CZuError::Success();
}

CZuError CFileExtentRestoreHandler::DeInitialize()
{
    if (!d)
        return CZuError::Success();
    CZuError flushed;
    if (d->ptrWriterCache)
    {
        flushed = Flush();
        if (flushed.IsError())
            FX_LOG(-1, "Failed to flush the FileExtent records, error=[%s]", flushed.AsString().c_str());
    }
    ReleaseStore();
    // Torn down all the same, but the host learns that records were not written.
    FX_RETURN_PROPAGATED(flushed);
}

void CFileExtentRestoreHandler::ReleaseStore()
{
    d->ptrReaderCache.reset();
    d->ptrWriterCache.reset();
    if (d->ptrEvictedHandler)
    {
        // What a distributed writer evicted lives as long as its restore.
        d->ptrEvictedHandler->CloseTable();
        d->ptrEvictedHandler.reset();
        if (d->ptrDB)
            d->ptrDB->DeleteTable(kEvictedItemsTable);
    }
    if (d->ptrDBHandler)
    {
        d->ptrDBHandler->CloseTable();
        d->ptrDBHandler.reset();
    }
    if (d->ptrDB)
    {
        d->ptrDB->CloseDB();
        d->ptrDB.reset();
    }
}

CZuError CFileExtentRestoreHandler::OnContainerItem(const std::string& path, ULONG version,
                                                    CFileExtentContainerItemRestoreReportPtr report)
{
    FX_RETURN_IF_ERROR(CheckInitialized());
    if (!report)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER, "No container report for [%s]",
                                       path.c_str());
    FX_RETURN_IF_ERROR(CheckPath(path));
    FX_RETURN_IF_ERROR(CheckContainerReport(path, *report));
    CRestoredItem record;
    try
    {
        record = RecordFromContainerReport(path, version, *report);
    }
    catch (const std::bad_alloc&)
    {
        // The bitmap is sized by the host's extent count.
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY, "No memory for [%llu] extents of [%s]",
                                       static_cast<unsigned long long>(report->GetNoOfExtents()), path.c_str());
    }
    catch (const std::length_error&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER, "Too many extents [%llu] for [%s]",
                                       static_cast<unsigned long long>(report->GetNoOfExtents()), path.c_str());
    }
    FX_RETURN_IF_ERROR(d->ptrWriterCache->Update(CRestoringItemAndVersion(path, version), std::move(record)));
    return CZuError::Success();
}

// What the table cannot hold is refused before anything is stored: a bitmap longer than the
// longest row SQLite takes (every later write of the record would fail), and a new name that
// the post-process text cannot carry ("|" separates its parts, a NUL ends it).
CZuError CFileExtentRestoreHandler::CheckContainerReport(const std::string& path,
                                                         const CFileExtentContainerItemRestoreReport& report)
{
    const std::string restoredPath = report.GetRestoredFilePath();
    if (restoredPath.find('\0') != std::string::npos)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER,
                                       "The restored path [%s] of [%s] holds a NUL character", restoredPath.c_str(),
                                       path.c_str());
    const CFileExtentRestoredItemPostProcessAction& action = report.GetFileExtentRestoredItemPostProcessAction();
    if (action.RenameItem && action.NewName.find_first_of(std::string("|\0", 2)) != std::string::npos)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER,
                                       "The new name [%s] of [%s] holds '|' or a NUL character", action.NewName.c_str(),
                                       path.c_str());
    const ULONGLONG extents = report.GetNoOfExtents();
    const std::int64_t texts = static_cast<std::int64_t>(path.size() + restoredPath.size() + action.NewName.size());
    const std::int64_t room = d->maxRowLength - texts - kRowOverhead;
    if (room < 0 || extents > static_cast<ULONGLONG>(room))
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER,
                                       "[%llu] extents of [%s] are more than a record can hold ([%lld] bytes)",
                                       static_cast<unsigned long long>(extents), path.c_str(),
                                       static_cast<long long>(d->maxRowLength));
    return CZuError::Success();
}

CZuError CFileExtentRestoreHandler::OnExtentItem(const std::string& path, ULONG version,
                                                 CFileExtentExtentItemRestoreReportPtr report)
{
    FX_RETURN_IF_ERROR(CheckInitialized());
    if (!report)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER, "No extent report for [%s]",
                                       path.c_str());
    FX_RETURN_IF_ERROR(CheckPath(path));
    const CRestoringItemAndVersion& key = ReusedKey(path, version);
    const CFileExtentExtentItemRestoreReport& extent = *report;
    // The record changes where the writer holds it: no copy, one lookup, one lock.
    CZuError error = d->ptrWriterCache->Modify(
        key, [&path, &extent](CRestoredItem& record) { return ApplyExtentReport(record, path, extent); });
    // A distributed writer cannot read: a record it never held comes from the local table.
    if (IsMissingOrUnreadable(error) && d->ptrWriterCache != d->ptrReaderCache)
    {
        CRestoredItem record;
        error = d->ptrReaderCache->Get(key, record);
        if (!error.IsError())
            error = ApplyExtentReport(record, path, extent);
        if (!error.IsError())
            error = d->ptrWriterCache->Update(key, record);
    }
    FX_RETURN_IF_ERROR(error);
    return CZuError::Success();
}

CZuError CFileExtentRestoreHandler::ReadCurrentRecord(const CRestoringItemAndVersion& key, CRestoredItem& record)
{
    // A distributed writer cannot read: a record it no longer holds comes from the local table.
    CZuError error = d->ptrWriterCache->Get(key, record);
    if (IsMissingOrUnreadable(error))
        error = d->ptrReaderCache->Get(key, record);
    FX_RETURN_PROPAGATED(error);
}

CZuError CFileExtentRestoreHandler::GetMissingExtents(
    const std::string& path, ULONG version, const std::function<CZuError(ULONGLONG first, ULONGLONG count)>& callback)
{
    FX_RETURN_IF_ERROR(CheckInitialized());
    FX_RETURN_IF_ERROR(CheckPath(path));
    CRestoredItem record;
    FX_RETURN_IF_ERROR(ReadCurrentRecord(CRestoringItemAndVersion(path, version), record));
    if (!record.ExtentBitmap)
        return CZuError::Success();
    FX_RETURN_PROPAGATED(CExtentRuns::ForEachMissing(
        *record.ExtentBitmap, [&callback](ULONGLONG first, ULONGLONG count) { return FXCallHost(callback, first, count); }));
}

CZuError CFileExtentRestoreHandler::GetMissingExtents(
    const std::string& path, const std::function<CZuError(ULONGLONG first, ULONGLONG count)>& callback)
{
    return GetMissingExtents(path, 0, callback);
}

CZuError CFileExtentRestoreHandler::GetContainerItemData(const std::string& path, ULONG version,
                                                         CFileExtentContainerItemRestoreReportPtr& report)
{
    FX_RETURN_IF_ERROR(CheckInitialized());
    FX_RETURN_IF_ERROR(CheckPath(path));
    if (!report)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER,
                                       "No container report to fill for [%s]", path.c_str());
    CRestoredItem record;
    FX_RETURN_IF_ERROR(d->ptrReaderCache->Get(CRestoringItemAndVersion(path, version), record));
    report->SetRestoredFilePath(record.RestoredFilePath.value_or(std::string()));
    report->SetErrCode(record.ErrorCode.value_or(0));
    report->SetNoOfExtents(static_cast<ULONGLONG>(record.NumOfExtents.value_or(0)));
    report->SetRestoreStatus(record.Status.value_or(PROGRESSING));
    CFileExtentContainerItemRestoredAttributes attributes;
    attributes.DeserializeFromString(record.Metadata.value_or(std::string()));
    report->SetFileExtentContainerItemRestoredAttributes(attributes);
    report->SetExtentBitmap(record.ExtentBitmap.value_or(boost::dynamic_bitset<unsigned char>()));
    return CZuError::Success();
}

CZuError CFileExtentRestoreHandler::IsContainerItemSkipped(const std::string& path, ULONG version, bool& skipped,
                                                           int& errorCode)
{
    skipped = true;
    errorCode = 0;
    FX_RETURN_IF_ERROR(CheckInitialized());
    FX_RETURN_IF_ERROR(CheckPath(path));
    CRestoredItem record;
    FX_RETURN_IF_ERROR(d->ptrReaderCache->Get(CRestoringItemAndVersion(path, version), record));
    const RestoreStatus status = record.Status.value_or(PROGRESSING);
    skipped = status == SKIPPED || status == FAILED;
    errorCode = static_cast<int>(record.ErrorCode.value_or(0));
    return CZuError::Success();
}

CZuError CFileExtentRestoreHandler::GetRestoredItem(const std::string& path, ULONG version, CRestoredItem& item)
{
    FX_RETURN_IF_ERROR(CheckInitialized());
    FX_RETURN_IF_ERROR(CheckPath(path));
    FX_RETURN_IF_ERROR(d->ptrReaderCache->Get(CRestoringItemAndVersion(path, version), item));
    return CZuError::Success();
}

CZuError CFileExtentRestoreHandler::GetContainerItemStatus(const std::string& path, ULONG version,
                                                           RestoreStatus& status)
{
    status = SUCCESS;
    CRestoredItem record;
    FX_RETURN_IF_ERROR(GetRestoredItem(path, version, record));
    status = record.Status.value_or(PROGRESSING);
    return CZuError::Success();
}

CZuError CFileExtentRestoreHandler::Remove(const std::string& path, ULONG version)
{
    FX_RETURN_IF_ERROR(CheckInitialized());
    FX_RETURN_IF_ERROR(CheckPath(path));
    FX_RETURN_IF_ERROR(d->ptrWriterCache->Delete(CRestoringItemAndVersion(path, version)));
    return CZuError::Success();
}

CZuError CFileExtentRestoreHandler::Flush()
{
    FX_RETURN_IF_ERROR(CheckInitialized());
    FX_RETURN_IF_ERROR(d->ptrWriterCache->FlushSync());
    return CZuError::Success();
}

CZuError CFileExtentRestoreHandler::ResetContainerItemEntry(const std::string& path, ULONG version)
{
    FX_RETURN_IF_ERROR(CheckInitialized());
    FX_RETURN_IF_ERROR(CheckPath(path));
    CRestoredItem record;
    record.Reset();
    record.FilePath = path;
    record.RestoredItemVersion = version;
    FX_RETURN_IF_ERROR(d->ptrWriterCache->Update(CRestoringItemAndVersion(path, version), record));
    return CZuError::Success();
}

CZuError CFileExtentRestoreHandler::UpdateStatus()
{
    FX_RETURN_IF_ERROR(CheckInitialized());
    // A table handler of its own: it updates rows while its own enumeration is still open.
    CFileExtentRestoreDBHandler table(*d->ptrDB);
    FX_RETURN_IF_ERROR(table.CreateTable());
    FX_RETURN_PROPAGATED(CRestoreStatusPass(table).Run());
}

CZuError CFileExtentRestoreHandler::GetAllRestoredItems(
    const std::function<CZuError(const std::string&, unsigned int, const CFileExtentContainerItemRestoreReport&)>&
        callback)
{
    FX_RETURN_IF_ERROR(CheckInitialized());
    CFileExtentContainerItemRestoreReport report;
    CZuError error = d->ptrDBHandler->GetAllRestoredItems([&callback, &report](const CRestoredItem& record) {
        CRestoredItemReport::Fill(record, report);
        FX_RETURN_PROPAGATED(FXCallHost(callback, record.FilePath, record.RestoredItemVersion, report));
    });
    if (error.IsError())
        return error.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentRestoreHandler::GetAllRestoredItemsByTaskId(
    INT taskId,
    const std::function<CZuError(const std::string&, const CFileExtentContainerItemRestoreReport&)>& callback)
{
    FX_RETURN_IF_ERROR(CheckInitialized());
    CFileExtentContainerItemRestoreReport report;
    CZuError error =
        d->ptrDBHandler->GetAllRestoredItemsByTaskId(taskId, [&callback, &report](const CRestoredItem& record) {
            CRestoredItemReport::Fill(record, report);
            FX_RETURN_PROPAGATED(FXCallHost(callback, record.FilePath, report));
        });
    if (error.IsError())
        return error.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentRestoreHandler::GetAllRestoredItemsCount(ULONGLONG& count)
{
    count = 0;
    FX_RETURN_IF_ERROR(CheckInitialized());
    return d->ptrDBHandler->GetCount(count);
}

std::string CFileExtentRestoreHandler::GetContainerItemDBPath()
{
    return d && d->ptrDB ? d->ptrDB->GetDBPath() : std::string();
}

CZuError CFileExtentRestoreHandler::OnContainerItem(const std::string& path,
                                                    CFileExtentContainerItemRestoreReportPtr report)
{
    return OnContainerItem(path, 0, report);
}

CZuError CFileExtentRestoreHandler::OnExtentItem(const std::string& path, CFileExtentExtentItemRestoreReportPtr report)
{
    return OnExtentItem(path, 0, report);
}

CZuError CFileExtentRestoreHandler::GetContainerItemData(const std::string& path,
                                                         CFileExtentContainerItemRestoreReportPtr& report)
{
    return GetContainerItemData(path, 0, report);
}

CZuError CFileExtentRestoreHandler::IsContainerItemSkipped(const std::string& path, bool& skipped, int& errorCode)
{
    return IsContainerItemSkipped(path, 0, skipped, errorCode);
}

CZuError CFileExtentRestoreHandler::Remove(const std::string& path)
{
    return Remove(path, 0);
}
} // namespace FILEEXTENT_RESTORE
