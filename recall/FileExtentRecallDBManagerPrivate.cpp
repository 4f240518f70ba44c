#include "recall/FileExtentRecallDBManagerPrivate.h"

#include "cache/FileExtentPersist.h"
#include "foundation/AsciiNoCase.h"
#include "foundation/ErrorPropagation.h"
#include "foundation/MakeSharedNothrow.h"
#include "foundation/StringCompare.h"
#include "platform/ZuUtils/FXErrorUtil.h"

#include <utility>

using namespace FILEEXTENTRECALLDB;

namespace
{
typedef FILEEXTENT_RESTORE::CFileExtentPersistToLocalDB2<boost::shared_ptr<IFileRecallDBHandler>, std::string,
                                                         CRecalledItem>
    RecallPersist;

const unsigned int kPersistImmediately = 0;
const unsigned int kMaxCacheSize = 5000;
const unsigned int kRecallDBVersion = 1;
// Beside its bitmap and its texts, a row holds a few numbers and its header; this bounds them.
const std::int64_t kRowOverhead = 128;

bool IsMiss(const CZuError& err)
{
    return FXErrorUtil::IsWin32(err, ERROR_NOT_FOUND) || FXErrorUtil::IsWin32(err, ERROR_NOT_SUPPORTED);
}

// Events for a path without a record still carry statistics; they need metadata to live in.
CFileExtentRecallFileMetadata& EngagedMetadata(CRecalledItem& item)
{
    if (!item.Metadata)
        item.Metadata = CFileExtentRecallFileMetadata();
    return *item.Metadata;
}
} // namespace

CFileExtentRecallDBManagerPrivate::CFileExtentRecallDBManagerPrivate()
    // Ordered as "RecalledItems" compares its paths, so that one row is one cached record.
    : fnComparator(CAsciiNoCase::Less)
{
}

// Members go in reverse order: the count map and the cache before the table handler, the
// handler before the database it refers to.
CFileExtentRecallDBManagerPrivate::~CFileExtentRecallDBManagerPrivate() = default;

CZuError CFileExtentRecallDBManagerPrivate::RequireInitialized() const
{
    if (!ptrCache)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_STATE,
                                       "The recall database manager is not initialized");
    return CZuError::Success();
}

// The stored text cuts a path at its first NUL, and two paths would share one row.
CZuError CFileExtentRecallDBManagerPrivate::CheckPath(const std::string& path)
{
    if (path.find('\0') != std::string::npos)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER, "The path [%s] holds a NUL character",
                                       path.c_str());
    return CZuError::Success();
}

// A bitmap longer than the longest row SQLite takes could never be written: refused before
// anything is stored.
CZuError CFileExtentRecallDBManagerPrivate::CheckFileRecallItem(const std::string& path,
                                                              const CFileRecallItem& item) const
{
    if (item.RestoredFilePath.find('\0') != std::string::npos)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER,
                                       "The restored path [%s] of [%s] holds a NUL character",
                                       item.RestoredFilePath.c_str(), path.c_str());
    // The metadata is stored as its JSON text, which escapes and may carry bytes twice.
    std::string metadata;
    CZuError err = CFileExtentRecallFileMetadata::SerializeToString(item.Metadata, metadata);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    const std::int64_t texts = static_cast<std::int64_t>(path.size() + item.RestoredFilePath.size() + metadata.size());
    const std::int64_t room = maxRowLength - texts - kRowOverhead;
    if (room < 0 || item.NoOfExtents > static_cast<ULONGLONG>(room))
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER,
                                       "[%llu] extents of [%s] are more than a record can hold ([%lld] bytes)",
                                       static_cast<unsigned long long>(item.NoOfExtents), path.c_str(),
                                       static_cast<long long>(maxRowLength));
    return CZuError::Success();
}

CZuError CFileExtentRecallDBManagerPrivate::Initialize(const std::string& dbDirectory)
{
    if (ptrCache)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_ALREADY_INITIALIZED,
                                       "The recall database manager is already initialized");
    // What a failed earlier attempt left behind goes first, in the order it must be released.
    ReleaseObjects();
    strDBDir = dbDirectory;
    CZuError err = CreateObjects();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentRecallDBManagerPrivate::CreateObjects()
{
    ptrDB = boost::make_shared_nothrow<FILEEXTENT_RESTORE::CFileExtentRestoreDB>(
        strDBDir, std::string(FileExtentRecallLocalDBName), kRecallDBVersion);
    if (!ptrDB)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    ptrDBHandler = boost::make_shared_nothrow<CFileRecallDBHandler>(*ptrDB);
    if (!ptrDBHandler)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    CZuError err = ptrDBHandler->CreateTable();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    maxRowLength = ptrDB->GetMaxLength();
    boost::shared_ptr<RecallPersist> persist = boost::make_shared_nothrow<RecallPersist>(ptrDBHandler);
    if (!persist)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    ptrReadDBHandler = boost::make_shared_nothrow<CFileRecallDBHandler>(*ptrDB);
    if (!ptrReadDBHandler)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    err = ptrReadDBHandler->CreateTable();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    // Last: its presence is what "initialized" means.
    ptrCache = boost::make_shared_nothrow<Cache>(persist, kPersistImmediately, fnComparator,
                                                 FILEEXTENT_RESTORE::_deleter<CRecalledItem>(), kMaxCacheSize);
    if (!ptrCache)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    return CZuError::Success();
}

CZuError CFileExtentRecallDBManagerPrivate::DeInitialize()
{
    ReleaseObjects();
    return CZuError::Success();
}

// Dirty records in the cache are dropped: the host flushes before it de-initialises. The
// extent counts stay, so a file whose recall goes on after a new Initialize is still written on
// every 64th extent event.
void CFileExtentRecallDBManagerPrivate::ReleaseObjects()
{
    ptrCache.reset();
    if (ptrReadDBHandler)
    {
        std::lock_guard<std::recursive_mutex> lock(mtxReadDBHandler);
        ptrReadDBHandler->CloseTable();
        ptrReadDBHandler.reset();
    }
    if (ptrDBHandler)
    {
        ptrDBHandler->CloseTable();
        ptrDBHandler.reset();
    }
    if (ptrDB)
    {
        ptrDB->CloseDB();
        ptrDB.reset();
    }
}

CZuError CFileExtentRecallDBManagerPrivate::ReadRecord(const std::string& path, CRecalledItem& item, bool& found)
{
    CZuError err = ptrCache->Get(path, item);
    found = !err.IsError();
    if (err.IsError() && !IsMiss(err))
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentRecallDBManagerPrivate::ReadEventRecord(const std::string& path, bool hasInput,
                                                           CRecalledItem& item)
{
    CZuError err = RequireInitialized();
    if (!err.IsError() && !hasInput)
        err = FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER, "No event item for [%s]",
                                      path.c_str());
    if (!err.IsError())
        err = CheckPath(path);
    bool found = false;
    if (!err.IsError())
        err = ReadRecord(path, item, found);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    if (found && item.Status && *item.Status == FAILED)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, 774);
    return CZuError::Success();
}

void CFileExtentRecallDBManagerPrivate::SetOutcome(CRecalledItem& item, const std::string& path, RecallStatus status,
                                                   std::uint32_t errCode)
{
    item.FilePath = path;
    item.Status = status;
    item.ErrorCode = errCode;
}

CZuError CFileExtentRecallDBManagerPrivate::WriteRecord(const std::string& path, const CRecalledItem& item)
{
    CZuError err = ptrCache->Update(path, item);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentRecallDBManagerPrivate::WriteRecordAndFlush(const std::string& path, const CRecalledItem& item)
{
    CZuError err = WriteRecord(path, item);
    if (!err.IsError())
        err = ptrCache->FlushSync();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentRecallDBManagerPrivate::OnFileRecallItem(const std::string& path, const CFileRecallItemPtr& item)
{
    CZuError err = RequireInitialized();
    if (!err.IsError() && !item)
        err = FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER, "No file recall item");
    if (!err.IsError())
        err = CheckPath(path);
    if (!err.IsError())
        err = CheckFileRecallItem(path, *item);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);

    // A new file-recall event replaces the stored record whole, a failed one included.
    CRecalledItem record;
    record.Reset();
    SetOutcome(record, path, item->Status, item->ErrCode);
    record.RestoredFilePath = item->RestoredFilePath;
    record.NumOfExtents = static_cast<std::int64_t>(item->NoOfExtents);
    record.ExtentBitmap = boost::dynamic_bitset<unsigned char>(item->NoOfExtents);
    record.Metadata = item->Metadata;
    err = WriteRecordAndFlush(path, record);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentRecallDBManagerPrivate::OnContainerItem(const std::string& path,
                                                           const CFileExtentRecallContainerItemPtr& item)
{
    CRecalledItem record;
    CZuError err = ReadEventRecord(path, item != nullptr, record);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);

    SetOutcome(record, path, item->Status, item->ErrCode);
    record.ContainerItemRestored = item->ContainerItemRestored;
    EngagedMetadata(record).Stats = item->Stats;
    err = WriteRecordAndFlush(path, record);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentRecallDBManagerPrivate::MarkExtent(CRecalledItem& item, ULONGLONG extentNumber)
{
    // Without a bitmap there is no bit to set; the status and error still count.
    if (!item.ExtentBitmap || item.ExtentBitmap->empty())
        return CZuError::Success();
    if (extentNumber >= item.ExtentBitmap->size())
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER,
                                       "Extent [%llu] is beyond the file's [%zu] extents",
                                       static_cast<unsigned long long>(extentNumber), item.ExtentBitmap->size());
    item.ExtentBitmap->set(static_cast<std::size_t>(extentNumber));
    return CZuError::Success();
}

CZuError CFileExtentRecallDBManagerPrivate::CountExtentEvent(const std::string& path)
{
    bool writeNow = false;
    {
        std::lock_guard<std::mutex> lock(mtxExtentItemCount);
        writeNow = mapExtentItemCount.CountReaching(path, kExtentEventsPerWrite);
    }
    if (writeNow)
    {
        CZuError err = ptrCache->FlushSync(path);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
    }
    return CZuError::Success();
}

CZuError CFileExtentRecallDBManagerPrivate::ApplyExtentEvent(CRecalledItem& record, const std::string& path,
                                                            const CFileExtentRecallExtentItem& item, bool found)
{
    if (found && record.Status && *record.Status == FAILED)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, 774);
    CZuError err = MarkExtent(record, item.ExtentNumber);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    SetOutcome(record, path, item.Status, item.ErrCode);
    EngagedMetadata(record).Stats = item.Stats;
    return CZuError::Success();
}

// Every step's result is a fresh object, never assigned to another: this runs on every extent event.
CZuError CFileExtentRecallDBManagerPrivate::OnExtentItem(const std::string& path,
                                                        const CFileExtentRecallExtentItemPtr& item)
{
    FX_RETURN_IF_ERROR(RequireInitialized());
    if (!item)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER, "No event item for [%s]",
                                       path.c_str());
    FX_RETURN_IF_ERROR(CheckPath(path));
    FX_RETURN_IF_ERROR(RecordExtentEvent(path, *item));
    FX_RETURN_IF_ERROR(CountExtentEvent(path));
    // A final status ends the file's recall: everything pending goes to the table.
    if (item->Status != PROGRESSING)
        FX_RETURN_IF_ERROR(ptrCache->FlushSync());
    return CZuError::Success();
}

// The record changes where the cache holds it; a path without a record starts an empty one.
CZuError CFileExtentRecallDBManagerPrivate::RecordExtentEvent(const std::string& path,
                                                             const CFileExtentRecallExtentItem& event)
{
    CZuError changed =
        ptrCache->Modify(path, [&](CRecalledItem& record) { return ApplyExtentEvent(record, path, event, true); });
    if (!IsMiss(changed))
        FX_RETURN_PROPAGATED(std::move(changed));
    CRecalledItem record;
    FX_RETURN_IF_ERROR(ApplyExtentEvent(record, path, event, false));
    FX_RETURN_PROPAGATED(WriteRecord(path, record));
}

CZuError CFileExtentRecallDBManagerPrivate::UpdateStatus(const std::string& path,
                                                        const CFileExtentRecallStatusPtr& status)
{
    CRecalledItem record;
    CZuError err = ReadEventRecord(path, status != nullptr, record);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);

    SetOutcome(record, path, status->Status, status->ErrCode);
    err = WriteRecordAndFlush(path, record);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

// Attribute and time-stamp changes are not written until the next flush, and need a record.
CZuError CFileExtentRecallDBManagerPrivate::ChangeMetadata(
    const std::string& path, const std::function<void(CFileExtentRecallFileMetadata&)>& change)
{
    CZuError err = RequireInitialized();
    if (!err.IsError())
        err = CheckPath(path);
    if (!err.IsError())
        err = ptrCache->Modify(path, [&change](CRecalledItem& record) {
            change(EngagedMetadata(record));
            return CZuError::Success();
        });
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentRecallDBManagerPrivate::UpdateAttributes(const std::string& path, ULONG attributes)
{
    CZuError err = ChangeMetadata(path, [attributes](CFileExtentRecallFileMetadata& metadata) {
        metadata.Attributes = attributes;
    });
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentRecallDBManagerPrivate::UpdateFileTimeStamps(const std::string& path, ULONGLONG creationTime,
                                                                ULONGLONG lastAccessTime, ULONGLONG lastWriteTime,
                                                                ULONGLONG changeTime)
{
    CZuError err = ChangeMetadata(path, [&](CFileExtentRecallFileMetadata& metadata) {
        metadata.CreationTime = creationTime;
        metadata.LastAccessTime = lastAccessTime;
        metadata.LastWriteTime = lastWriteTime;
        metadata.ChangeTime = changeTime;
    });
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentRecallDBManagerPrivate::MakeReport(const CRecalledItem& item,
                                                      CFileExtentRecallFileReportPtr& report)
{
    report = boost::make_shared_nothrow<CFileExtentRecallFileReport>();
    if (!report)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    report->FillFrom(item);
    return CZuError::Success();
}

CZuError CFileExtentRecallDBManagerPrivate::GetAllRecalledFiles(const ReportCallback& callback)
{
    CZuError err = RequireInitialized();
    if (!err.IsError() && !callback)
        err = FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER, "No report callback");
    if (!err.IsError())
    {
        std::lock_guard<std::recursive_mutex> lock(mtxReadDBHandler);
        err = ptrReadDBHandler->GetAllRestoredItems([&callback](const CRecalledItem& item) {
            CFileExtentRecallFileReportPtr report;
            CZuError itemErr = MakeReport(item, report);
            if (!itemErr.IsError())
                itemErr = callback(report);
            return itemErr;
        });
    }
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentRecallDBManagerPrivate::GetRecalledFileReport(const std::string& path,
                                                                 CFileExtentRecallFileReportPtr& report)
{
    CZuError err = RequireInitialized();
    if (!err.IsError())
        err = CheckPath(path);
    CRecalledItem record;
    if (!err.IsError())
    {
        std::lock_guard<std::recursive_mutex> lock(mtxReadDBHandler);
        err = ptrReadDBHandler->GetFileExtentRecalledItemByFilePath(path, record);
    }
    if (!err.IsError())
        err = MakeReport(record, report);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentRecallDBManagerPrivate::Remove(const std::string& path)
{
    CZuError err = RequireInitialized();
    if (!err.IsError())
        err = CheckPath(path);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    {
        std::lock_guard<std::mutex> lock(mtxExtentItemCount);
        mapExtentItemCount.Erase(path);
    }
    err = ptrCache->Delete(path);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentRecallDBManagerPrivate::Flush()
{
    CZuError err = RequireInitialized();
    if (!err.IsError())
        err = ptrCache->FlushSync();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}
