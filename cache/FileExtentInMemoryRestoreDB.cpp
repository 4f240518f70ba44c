#include "cache/FileExtentInMemoryRestoreDB.h"

#include "platform/ZuUtils/FXErrorUtil.h"

namespace FILEEXTENT_RESTORE
{
namespace
{
const char* const kNotFoundFormat = "Failed to find containerFilePath=[%s] in DB";

// Report contents are strings and bitmaps: copying them may fail to allocate.
CZuError CopyReport(CFileExtentContainerItemRestoreReport& target, const CFileExtentContainerItemRestoreReport& source)
{
    try
    {
        target = source;
    }
    catch (...)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    return CZuError::Success();
}
} // namespace

CFileExtentInMemoryRestoreDB::CFileExtentInMemoryRestoreDB(bool caseInsensitive)
    : m_lock(),
      m_map(new ReportMap(RuntimeStringCmpA(caseInsensitive ? RuntimeStringCmpA::nocase
                                                            : RuntimeStringCmpA::case_sensitive)))
{
}

CFileExtentInMemoryRestoreDB::~CFileExtentInMemoryRestoreDB() = default;

CZuError CFileExtentInMemoryRestoreDB::InsertContainerFileEntry(const std::string& containerFilePath,
                                                                CFileExtentContainerItemRestoreReportPtr report)
{
    if (!report)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER);
    KtCriticalSectionLock lock(&m_lock);
    try
    {
        if (!m_map->emplace(containerFilePath, report).second)
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, 774, "Failed to insert data into DB. ContainerFilePath=[%s]",
                                           containerFilePath.c_str());
    }
    catch (...)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    return CZuError::Success();
}

CZuError CFileExtentInMemoryRestoreDB::UpdateContainerFileEntry(const std::string& containerFilePath,
                                                                CFileExtentContainerItemRestoreReportPtr report)
{
    if (!report)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER);
    KtCriticalSectionLock lock(&m_lock);
    ReportMap::iterator pos = m_map->find(containerFilePath);
    if (pos == m_map->end())
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, 774, kNotFoundFormat, containerFilePath.c_str());
    CZuError err = CopyReport(*pos->second, *report);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentInMemoryRestoreDB::QueryContainerFileEntry(const std::string& containerFilePath,
                                                               CFileExtentContainerItemRestoreReportPtr* report)
{
    KtCriticalSectionLock lock(&m_lock);
    ReportMap::const_iterator pos = m_map->find(containerFilePath);
    if (pos == m_map->end())
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_FOUND, kNotFoundFormat, containerFilePath.c_str());
    if (!report || !*report)
        return CZuError::Success();
    CZuError err = CopyReport(**report, *pos->second);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentInMemoryRestoreDB::DeleteContainerFileEntry(const std::string& containerFilePath)
{
    KtCriticalSectionLock lock(&m_lock);
    m_map->erase(containerFilePath);
    return CZuError::Success();
}
} // namespace FILEEXTENT_RESTORE
