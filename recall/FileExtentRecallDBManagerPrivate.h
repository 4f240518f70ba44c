#pragma once

#include "cache/Deleter.h"
#include "cache/FileExtentDBCache.h"
#include "platform/ZuUtils/ZuError.h"
#include "platform/ZuUtils/ZuTypes.h"
#include "recall/ExtentEventCounts.h"
#include "recall/FileExtentRecallReport.h"
#include "store/FileExtentRestoreDB.h"
#include "store/FileRecallDBHandler.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

// The state and the algorithms behind CFileExtentRecallDBManager.
class CFileExtentRecallDBManagerPrivate
{
public:
    typedef std::function<bool(const std::string&, const std::string&)> Comparator;
    typedef FILEEXTENT_RESTORE::CFileExtentDBCache<std::string, FILEEXTENTRECALLDB::CRecalledItem, Comparator,
                                                   FILEEXTENT_RESTORE::_deleter<FILEEXTENTRECALLDB::CRecalledItem>>
        Cache;
    typedef std::function<CZuError(boost::shared_ptr<FILEEXTENTRECALLDB::CFileExtentRecallFileReport>)>
        ReportCallback;

    // A record's path is written on every 64th extent event of that path.
    static const unsigned char kExtentEventsPerWrite = 64;

    CFileExtentRecallDBManagerPrivate();
    ~CFileExtentRecallDBManagerPrivate();

    CZuError Initialize(const std::string& dbDirectory);
    CZuError DeInitialize();
    CZuError OnFileRecallItem(const std::string& path, const FILEEXTENTRECALLDB::CFileRecallItemPtr& item);
    CZuError OnContainerItem(const std::string& path,
                             const FILEEXTENTRECALLDB::CFileExtentRecallContainerItemPtr& item);
    CZuError OnExtentItem(const std::string& path, const FILEEXTENTRECALLDB::CFileExtentRecallExtentItemPtr& item);
    CZuError UpdateStatus(const std::string& path, const FILEEXTENTRECALLDB::CFileExtentRecallStatusPtr& status);
    CZuError UpdateAttributes(const std::string& path, ULONG attributes);
    CZuError UpdateFileTimeStamps(const std::string& path, ULONGLONG creationTime, ULONGLONG lastAccessTime,
                                  ULONGLONG lastWriteTime, ULONGLONG changeTime);
    CZuError GetAllRecalledFiles(const ReportCallback& callback);
    CZuError GetRecalledFileReport(const std::string& path, FILEEXTENTRECALLDB::CFileExtentRecallFileReportPtr& report);
    CZuError Remove(const std::string& path);
    CZuError Flush();

    Comparator fnComparator;
    std::string strDBDir;
    boost::shared_ptr<FILEEXTENT_RESTORE::CFileExtentRestoreDB> ptrDB;
    boost::shared_ptr<FILEEXTENTRECALLDB::IFileRecallDBHandler> ptrDBHandler;
    boost::shared_ptr<Cache> ptrCache;
    // Guarded by mtxExtentItemCount.
    FILEEXTENTRECALLDB::CExtentEventCounts mapExtentItemCount;
    std::mutex mtxExtentItemCount;
    // The direct reads of reports use a table handler of their own: the cache calls its handler
    // under the cache's lock, which the reads cannot take, and a handler's prepared statements
    // must not be used by two threads at once. Recursive, so that an enumeration callback may
    // ask for a report.
    // Its use (not the pointer, which is set by Initialize) is guarded by mtxReadDBHandler.
    boost::shared_ptr<FILEEXTENTRECALLDB::IFileRecallDBHandler> ptrReadDBHandler;
    std::recursive_mutex mtxReadDBHandler;
    // The longest row the database stores, read when the table is made.
    std::int64_t maxRowLength = 0;

private:
    CZuError RequireInitialized() const;
    // Paths and the records they open are refused when the table could not hold them.
    static CZuError CheckPath(const std::string& path);
    CZuError CheckFileRecallItem(const std::string& path, const FILEEXTENTRECALLDB::CFileRecallItem& item) const;
    // One extent event on a record: refused when it has failed, else its bit, status and statistics.
    static CZuError ApplyExtentEvent(FILEEXTENTRECALLDB::CRecalledItem& record, const std::string& path,
                                     const FILEEXTENTRECALLDB::CFileExtentRecallExtentItem& item, bool found);
    CZuError CreateObjects();
    void ReleaseObjects();

    // Fills item from the cache; found tells whether a record exists (a miss is no error).
    CZuError ReadRecord(const std::string& path, FILEEXTENTRECALLDB::CRecalledItem& item, bool& found);
    // The start of a container, extent or status event: the manager is initialized, the event has
    // its input, and the path's record (empty when there is none) has not failed.
    CZuError ReadEventRecord(const std::string& path, bool hasInput, FILEEXTENTRECALLDB::CRecalledItem& item);
    // What every event sets: the path, its status and its error code.
    static void SetOutcome(FILEEXTENTRECALLDB::CRecalledItem& item, const std::string& path,
                           FILEEXTENTRECALLDB::RecallStatus status, std::uint32_t errCode);
    CZuError ChangeMetadata(const std::string& path,
                            const std::function<void(FILEEXTENTRECALLDB::CFileExtentRecallFileMetadata&)>& change);
    CZuError WriteRecord(const std::string& path, const FILEEXTENTRECALLDB::CRecalledItem& item);
    CZuError WriteRecordAndFlush(const std::string& path, const FILEEXTENTRECALLDB::CRecalledItem& item);

    // Sets the extent's bit; a number beyond a non-empty bitmap is refused.
    static CZuError MarkExtent(FILEEXTENTRECALLDB::CRecalledItem& item, ULONGLONG extentNumber);
    // One extent event into the path's record, an empty one when it has none.
    CZuError RecordExtentEvent(const std::string& path, const FILEEXTENTRECALLDB::CFileExtentRecallExtentItem& event);
    // Counts the path's extent event and writes its record on every 64th.
    CZuError CountExtentEvent(const std::string& path);

    static CZuError MakeReport(const FILEEXTENTRECALLDB::CRecalledItem& item,
                               FILEEXTENTRECALLDB::CFileExtentRecallFileReportPtr& report);
};
