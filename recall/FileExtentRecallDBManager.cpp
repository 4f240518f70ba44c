#include "recall/FileExtentRecallDBManager.h"

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

CZuError Pushed(CZuError err, const FXCodeLocation& location)
{
    if (err.IsError())
        return err.Push(location);
    return err;
}
} // namespace

CFileExtentRecallDBManager::CFileExtentRecallDBManager() : m_private(new (std::nothrow) CFileExtentRecallDBManagerPrivate)
{
}

CFileExtentRecallDBManager::~CFileExtentRecallDBManager() = default;

CZuError CFileExtentRecallDBManager::Initialize(const std::string& dbDirectory)
{
    return Pushed(Run(m_private.get(), [&](CFileExtentRecallDBManagerPrivate& p) { return p.Initialize(dbDirectory); }),
                  FX_CODE_LOCATION);
}

CZuError CFileExtentRecallDBManager::DeInitialize()
{
    return Pushed(Run(m_private.get(), [](CFileExtentRecallDBManagerPrivate& p) { return p.DeInitialize(); }),
                  FX_CODE_LOCATION);
}

CZuError CFileExtentRecallDBManager::OnFileRecallItem(const std::string& path, CFileRecallItemPtr item)
{
    return Pushed(Run(m_private.get(), [&](CFileExtentRecallDBManagerPrivate& p) { return p.OnFileRecallItem(path, item); }),
                  FX_CODE_LOCATION);
}

CZuError CFileExtentRecallDBManager::OnContainerItem(const std::string& path, CFileExtentRecallContainerItemPtr item)
{
    return Pushed(Run(m_private.get(), [&](CFileExtentRecallDBManagerPrivate& p) { return p.OnContainerItem(path, item); }),
                  FX_CODE_LOCATION);
}

CZuError CFileExtentRecallDBManager::OnExtentItem(const std::string& path, CFileExtentRecallExtentItemPtr item)
{
    return Pushed(Run(m_private.get(), [&](CFileExtentRecallDBManagerPrivate& p) { return p.OnExtentItem(path, item); }),
                  FX_CODE_LOCATION);
}

CZuError CFileExtentRecallDBManager::UpdateStatus(const std::string& path, CFileExtentRecallStatusPtr status)
{
    return Pushed(Run(m_private.get(), [&](CFileExtentRecallDBManagerPrivate& p) { return p.UpdateStatus(path, status); }),
                  FX_CODE_LOCATION);
}

CZuError CFileExtentRecallDBManager::UpdateAttributes(const std::string& path, ULONG attributes)
{
    return Pushed(
        Run(m_private.get(), [&](CFileExtentRecallDBManagerPrivate& p) { return p.UpdateAttributes(path, attributes); }),
        FX_CODE_LOCATION);
}

CZuError CFileExtentRecallDBManager::UpdateFileTimeStamps(const std::string& path, ULONGLONG creationTime,
                                                          ULONGLONG lastAccessTime, ULONGLONG lastWriteTime,
                                                          ULONGLONG changeTime)
{
    return Pushed(Run(m_private.get(),
                      [&](CFileExtentRecallDBManagerPrivate& p) {
                          return p.UpdateFileTimeStamps(path, creationTime, lastAccessTime, lastWriteTime, changeTime);
                      }),
                  FX_CODE_LOCATION);
}

CZuError CFileExtentRecallDBManager::GetAllRecalledFiles(
    const std::function<CZuError(boost::shared_ptr<CFileExtentRecallFileReport>)>& callback)
{
    return Pushed(Run(m_private.get(), [&](CFileExtentRecallDBManagerPrivate& p) { return p.GetAllRecalledFiles(callback); }),
                  FX_CODE_LOCATION);
}

CZuError CFileExtentRecallDBManager::GetRecalledFileReport(const std::string& path,
                                                           CFileExtentRecallFileReportPtr& report)
{
    return Pushed(
        Run(m_private.get(), [&](CFileExtentRecallDBManagerPrivate& p) { return p.GetRecalledFileReport(path, report); }),
        FX_CODE_LOCATION);
}

CZuError CFileExtentRecallDBManager::GetRecalledFileMetaData(const std::string& path, std::string& metadata)
{
    CFileExtentRecallFileReportPtr report;
    CZuError err = GetRecalledFileReport(path, report);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    if (!report)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_FOUND);
    return Pushed(Run(m_private.get(),
                      [&](CFileExtentRecallDBManagerPrivate&) {
                          metadata = report->Metadata.StubData;
                          return CZuError::Success();
                      }),
                  FX_CODE_LOCATION);
}

CZuError CFileExtentRecallDBManager::Remove(const std::string& path)
{
    return Pushed(Run(m_private.get(), [&](CFileExtentRecallDBManagerPrivate& p) { return p.Remove(path); }),
                  FX_CODE_LOCATION);
}

CZuError CFileExtentRecallDBManager::Flush()
{
    return Pushed(Run(m_private.get(), [](CFileExtentRecallDBManagerPrivate& p) { return p.Flush(); }),
                  FX_CODE_LOCATION);
}
