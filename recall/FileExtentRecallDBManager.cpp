#include "recall/FileExtentRecallDBManager.h"

#include "foundation/ErrorPropagation.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "recall/FileExtentRecallDBManagerPrivate.h"

#include <new>
#include <stdexcept>

using namespace FILEEXTENTRECALLDB;

namespace
{
// Runs one operation of the private part; what it throws (memory, a bitmap too large for the
// extent count it was given, a host callback) becomes an error instead of leaving the library.
template <class Operation>
CZuError Run(CFileExtentRecallDBManagerPrivate* priv, Operation operation)
{
    if (!priv)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    try
    {
        return operation(*priv);
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    catch (const std::length_error& e)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER, "%s", e.what());
    }
    catch (const std::exception& e)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_GEN_FAILURE, "%s", e.what());
    }
    catch (...)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_GEN_FAILURE, "Unknown exception");
    }
}

} // namespace

CFileExtentRecallDBManager::CFileExtentRecallDBManager() : m_private(new (std::nothrow) CFileExtentRecallDBManagerPrivate)
{
}

CFileExtentRecallDBManager::~CFileExtentRecallDBManager() = default;

CZuError CFileExtentRecallDBManager::Initialize(const std::string& dbDirectory)
{
    FX_RETURN_PROPAGATED(Run(m_private.get(), [&](CFileExtentRecallDBManagerPrivate& p) { return p.Initialize(dbDirectory); }));
}

CZuError CFileExtentRecallDBManager::DeInitialize()
{
    FX_RETURN_PROPAGATED(Run(m_private.get(), [](CFileExtentRecallDBManagerPrivate& p) { return p.DeInitialize(); }));
}

CZuError CFileExtentRecallDBManager::OnFileRecallItem(const std::string& path, CFileRecallItemPtr item)
{
    FX_RETURN_PROPAGATED(Run(m_private.get(), [&](CFileExtentRecallDBManagerPrivate& p) { return p.OnFileRecallItem(path, item); }));
}

CZuError CFileExtentRecallDBManager::OnContainerItem(const std::string& path, CFileExtentRecallContainerItemPtr item)
{
    FX_RETURN_PROPAGATED(Run(m_private.get(), [&](CFileExtentRecallDBManagerPrivate& p) { return p.OnContainerItem(path, item); }));
}

CZuError CFileExtentRecallDBManager::OnExtentItem(const std::string& path, CFileExtentRecallExtentItemPtr item)
{
    FX_RETURN_PROPAGATED(Run(m_private.get(), [&](CFileExtentRecallDBManagerPrivate& p) { return p.OnExtentItem(path, item); }));
}

CZuError CFileExtentRecallDBManager::UpdateStatus(const std::string& path, CFileExtentRecallStatusPtr status)
{
    FX_RETURN_PROPAGATED(Run(m_private.get(), [&](CFileExtentRecallDBManagerPrivate& p) { return p.UpdateStatus(path, status); }));
}

CZuError CFileExtentRecallDBManager::UpdateAttributes(const std::string& path, ULONG attributes)
{
    FX_RETURN_PROPAGATED(
        Run(m_private.get(), [&](CFileExtentRecallDBManagerPrivate& p) { return p.UpdateAttributes(path, attributes); }));
}

CZuError CFileExtentRecallDBManager::UpdateFileTimeStamps(const std::string& path, ULONGLONG creationTime,
                                                          ULONGLONG lastAccessTime, ULONGLONG lastWriteTime,
                                                          ULONGLONG changeTime)
{
    FX_RETURN_PROPAGATED(Run(m_private.get(),
                      [&](CFileExtentRecallDBManagerPrivate& p) {
                          return p.UpdateFileTimeStamps(path, creationTime, lastAccessTime, lastWriteTime, changeTime);
                      }));
}

CZuError CFileExtentRecallDBManager::GetAllRecalledFiles(
    const std::function<CZuError(boost::shared_ptr<CFileExtentRecallFileReport>)>& callback)
{
    FX_RETURN_PROPAGATED(Run(m_private.get(), [&](CFileExtentRecallDBManagerPrivate& p) { return p.GetAllRecalledFiles(callback); }));
}

CZuError CFileExtentRecallDBManager::GetRecalledFileReport(const std::string& path,
                                                           CFileExtentRecallFileReportPtr& report)
{
    FX_RETURN_PROPAGATED(
        Run(m_private.get(), [&](CFileExtentRecallDBManagerPrivate& p) { return p.GetRecalledFileReport(path, report); }));
}

CZuError CFileExtentRecallDBManager::GetRecalledFileMetaData(const std::string& path, std::string& metadata)
{
    CFileExtentRecallFileReportPtr report;
    CZuError err = GetRecalledFileReport(path, report);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    if (!report)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_FOUND);
    FX_RETURN_PROPAGATED(Run(m_private.get(),
                      [&](CFileExtentRecallDBManagerPrivate&) {
                          metadata = report->Metadata.StubData;
                          return CZuError::Success();
                      }));
}

CZuError CFileExtentRecallDBManager::Remove(const std::string& path)
{
    FX_RETURN_PROPAGATED(Run(m_private.get(), [&](CFileExtentRecallDBManagerPrivate& p) { return p.Remove(path); }));
}

CZuError CFileExtentRecallDBManager::Flush()
{
    FX_RETURN_PROPAGATED(Run(m_private.get(), [](CFileExtentRecallDBManagerPrivate& p) { return p.Flush(); }));
}
