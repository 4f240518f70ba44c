#pragma once

#include "platform/ZuUtils/ZuError.h"
#include "platform/ZuUtils/ZuTypes.h"
#include "recall/FileExtentRecallReport.h"

#include <boost/shared_ptr.hpp>

#include <functional>
#include <memory>
#include <string>

class CFileExtentRecallDBManagerPrivate;

// The recall facade: one record per recalled file in "FileExtentRecall.db", kept in a write-back
// cache. Records are written after every file-recall, container and status event, on every 64th
// extent event of a file and on an extent event with a final status; attribute and time-stamp
// changes wait for Flush(). DeInitialize() drops what was not flushed.
// No exception leaves it: every operation returns a CZuError.
class CFileExtentRecallDBManager
{
public:
    CFileExtentRecallDBManager();
    virtual ~CFileExtentRecallDBManager();

    CFileExtentRecallDBManager(const CFileExtentRecallDBManager&) = delete;
    CFileExtentRecallDBManager& operator=(const CFileExtentRecallDBManager&) = delete;

    virtual CZuError Initialize(const std::string& dbDirectory);
    virtual CZuError DeInitialize();
    virtual CZuError OnFileRecallItem(const std::string& path, FILEEXTENTRECALLDB::CFileRecallItemPtr item);
    virtual CZuError OnContainerItem(const std::string& path,
                                     FILEEXTENTRECALLDB::CFileExtentRecallContainerItemPtr item);
    virtual CZuError OnExtentItem(const std::string& path, FILEEXTENTRECALLDB::CFileExtentRecallExtentItemPtr item);
    virtual CZuError UpdateStatus(const std::string& path, FILEEXTENTRECALLDB::CFileExtentRecallStatusPtr status);
    virtual CZuError UpdateAttributes(const std::string& path, ULONG attributes);
    virtual CZuError UpdateFileTimeStamps(const std::string& path, ULONGLONG creationTime, ULONGLONG lastAccessTime,
                                          ULONGLONG lastWriteTime, ULONGLONG changeTime);
    virtual CZuError GetAllRecalledFiles(
        const std::function<CZuError(boost::shared_ptr<FILEEXTENTRECALLDB::CFileExtentRecallFileReport>)>& callback);
    virtual CZuError GetRecalledFileReport(const std::string& path,
                                           FILEEXTENTRECALLDB::CFileExtentRecallFileReportPtr& report);
    // The stub data of the file's metadata, not the whole metadata text.
    virtual CZuError GetRecalledFileMetaData(const std::string& path, std::string& metadata);
    virtual CZuError Remove(const std::string& path);
    virtual CZuError Flush();

private:
    std::unique_ptr<CFileExtentRecallDBManagerPrivate> m_private;
};
