#pragma once

#include "foundation/KtCriticalSection.h"
#include "platform/ZuUtils/ZuError.h"
#include "restore/records/FileExtentContainerItemRestoreReport.h"
#include "restore/records/RuntimeStringCmpA.h"

#include <map>
#include <memory>
#include <string>

namespace FILEEXTENT_RESTORE
{
// Container item reports kept in memory by container file path, for the host. The map holds
// the callers' report objects themselves; updates copy contents into the stored object.
class CFileExtentInMemoryRestoreDB
{
public:
    // caseInsensitive: paths that differ only in letter case are one key.
    explicit CFileExtentInMemoryRestoreDB(bool caseInsensitive);
    ~CFileExtentInMemoryRestoreDB();

    CFileExtentInMemoryRestoreDB(const CFileExtentInMemoryRestoreDB&) = delete;
    CFileExtentInMemoryRestoreDB& operator=(const CFileExtentInMemoryRestoreDB&) = delete;

    CZuError InsertContainerFileEntry(const std::string& containerFilePath,
                                      CFileExtentContainerItemRestoreReportPtr report);
    CZuError UpdateContainerFileEntry(const std::string& containerFilePath,
                                      CFileExtentContainerItemRestoreReportPtr report);
    // Copies the stored contents into **report when report and *report are set; never
    // replaces the caller's pointer.
    CZuError QueryContainerFileEntry(const std::string& containerFilePath,
                                     CFileExtentContainerItemRestoreReportPtr* report);
    // Deleting a path that is not stored is no error.
    CZuError DeleteContainerFileEntry(const std::string& containerFilePath);

private:
    typedef std::map<std::string, CFileExtentContainerItemRestoreReportPtr, RuntimeStringCmpA> ReportMap;

    // The lock is made first and released last, after the map.
    KtCriticalSection m_lock;
    std::unique_ptr<ReportMap> m_map;
};
} // namespace FILEEXTENT_RESTORE
