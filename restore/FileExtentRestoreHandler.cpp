#include "restore/FileExtentRestoreHandler.h"

#include "cache/FileExtentPersist.h"
#include "foundation/ErrorPropagation.h"
#include "foundation/Log.h"
#include "foundation/MakeSharedNothrow.h"
#include "network/FileExtentRestoreNWHandler.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "restore/FileExtentRestoreHandlerPrivate.h"
#include "restore/records/ExtentRuns.h"

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
const std::uint32_t kIncompleteRestoreError = 0x1700003E;

// The host's callback runs inside the table's enumeration: what it throws becomes an error
// there instead of unwinding through the library.
template <class Callback, class... Args>
CZuError CallHost(const Callback& callback, Args&&... args)
{
    try
    {
        return callback(std::forward<Args>(args)...);
    }
    catch (const std::exception& e)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_GEN_FAILURE, "Callback threw: %s", e.what());
    }
    catch (...)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_GEN_FAILURE, "Callback threw");
    }
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

CFileExtentContainerItemRestoreReport ReportFromRecord(const CRestoredItem& record)
{
    CFileExtentContainerItemRestoreReport report;
    report.SetRestoreStatus(record.Status.value_or(PROGRESSING));
    report.SetRestoredFilePath(record.RestoredFilePath.value_or(std::string()));
    report.SetErrCode(record.ErrorCode.value_or(0));
    report.SetNoOfExtents(static_cast<ULONGLONG>(record.NumOfExtents.value_or(0)));
    CFileExtentContainerItemRestoredAttributes attributes;
    attributes.DeserializeFromString(record.Metadata.value_or(std::string()));
    report.SetFileExtentContainerItemRestoredAttributes(attributes);
    CFileExtentRestoredItemPostProcessAction action;
    action.DeserializeFromString(record.PostProcessAction.value_or(std::string()));
    report.SetFileExtentRestoredItemPostProcessAction(action);
    report.SetExtentBitmap(record.ExtentBitmap.value_or(boost::dynamic_bitset<unsigned char>()));
    report.SetTaskId(record.TaskId.value_or(0));
    return report;
}

// The four tests of a finished restore, in order; the first that fails is logged and decides.
bool IsIncompleteRestore(const CRestoredItem& record)
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

CRestoredItem DecidedStatusUpdate(const CRestoredItem& record)
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

    boost::shared_ptr<IFileExtentPersist<CRestoringItemAndVersion, CRestoredItem>> persist =
        boost::make_shared_nothrow<CFileExtentPersistToLocalDB>(d->ptrDBHandler);
    if (!persist)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    d->ptrReaderCache = boost::make_shared_nothrow<CRestoredItemCache>(
        persist, kReaderBlockSize, d->fnComparator, _deleter<CRestoredItem>(), kMaxCacheSize);
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
    boost::shared_ptr<IFileExtentPersist<CRestoringItemAndVersion, CRestoredItem>> persist =
        boost::make_shared_nothrow<CFileExtentPersistToNetwork>(network);
    if (!persist)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    d->ptrWriterCache =
        boost::make_shared_nothrow<CRestoredItemCache>(persist, maxItemsToPersistInBlock, d->fnComparator);
    if (!d->ptrWriterCache)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    return CZuError::Success();
}

CZuError CFileExtentRestoreHandler::DeInitialize()
{
    if (!d)
        return CZuError::Success();
    if (d->ptrWriterCache)
    {
        CZuError error = Flush();
        if (error.IsError())
            FX_LOG(-1, "Failed to flush the FileExtent records, error=[%s]", error.AsString().c_str());
    }
    ReleaseStore();
    return CZuError::Success();
}

void CFileExtentRestoreHandler::ReleaseStore()
{
    d->ptrReaderCache.reset();
    d->ptrWriterCache.reset();
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
    FX_RETURN_IF_ERROR(d->ptrWriterCache->Update(CRestoringItemAndVersion(path, version), record));
    return CZuError::Success();
}

CZuError CFileExtentRestoreHandler::OnExtentItem(const std::string& path, ULONG version,
                                                 CFileExtentExtentItemRestoreReportPtr report)
{
    FX_RETURN_IF_ERROR(CheckInitialized());
    if (!report)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER, "No extent report for [%s]",
                                       path.c_str());
    const CRestoringItemAndVersion key(path, version);
    CRestoredItem record;
    FX_RETURN_IF_ERROR(ReadCurrentRecord(key, record));

    const ULONGLONG extent = report->GetExtentNumber();
    const bool hasBits = record.ExtentBitmap && !record.ExtentBitmap->empty();
    if (hasBits && extent >= record.ExtentBitmap->size())
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER,
                                       "Extent [%llu] of [%s] is beyond its [%zu] extents",
                                       static_cast<unsigned long long>(extent), path.c_str(),
                                       record.ExtentBitmap->size());
    record.FilePath = path;
    record.ErrorCode = report->GetErrCode();
    record.Status = report->GetRestoreStatus();
    if (hasBits)
        record.ExtentBitmap->set(static_cast<size_t>(extent));
    FX_RETURN_IF_ERROR(d->ptrWriterCache->Update(key, record));
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
    CRestoredItem record;
    FX_RETURN_IF_ERROR(ReadCurrentRecord(CRestoringItemAndVersion(path, version), record));
    if (!record.ExtentBitmap)
        return CZuError::Success();
    FX_RETURN_PROPAGATED(CExtentRuns::ForEachMissing(
        *record.ExtentBitmap, [&callback](ULONGLONG first, ULONGLONG count) { return CallHost(callback, first, count); }));
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
    CZuError error = table.GetAllRestoredItems([&table](const CRestoredItem& record) {
        if (record.Status && (*record.Status == FAILED || *record.Status == SKIPPED))
            return CZuError::Success();
        CZuError updated = table.Update(record.FilePath, record.RestoredItemVersion, DecidedStatusUpdate(record));
        if (updated.IsError())
            FX_LOG(-1, "Failed to update status of the filepath=[%s] in FileExtent DB. Error=[%s].",
                   record.FilePath.c_str(), updated.AsString().c_str());
        return CZuError::Success();
    });
    if (error.IsError())
        return error.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentRestoreHandler::GetAllRestoredItems(
    const std::function<CZuError(const std::string&, unsigned int, const CFileExtentContainerItemRestoreReport&)>&
        callback)
{
    FX_RETURN_IF_ERROR(CheckInitialized());
    CZuError error = d->ptrDBHandler->GetAllRestoredItems([&callback](const CRestoredItem& record) {
        FX_RETURN_PROPAGATED(CallHost(callback, record.FilePath, record.RestoredItemVersion, ReportFromRecord(record)));
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
    CZuError error = d->ptrDBHandler->GetAllRestoredItemsByTaskId(taskId, [&callback](const CRestoredItem& record) {
        FX_RETURN_PROPAGATED(CallHost(callback, record.FilePath, ReportFromRecord(record)));
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
