#include "LibraryRestoreHost.h"

#include "LibraryCheck.h"
#include "RestoreWorkload.h"
#include "RestoredItemsCheck.h"
#include "RestoredItemsSql.h"
#include "platform/ZuUtils/FXErrorUtil.h"

#include <boost/make_shared.hpp>

using namespace FILEEXTENT_RESTORE;

void CLibraryRestoreHost::Initialize(const std::string& dbDirectory, const CFileExtentRestoreOptions& options)
{
    CheckLibrary(m_handler.Initialize(dbDirectory, false, nullptr, nullptr, 0, options), "Initialize");
}

void CLibraryRestoreHost::InitializeDistributed(const std::string& dbDirectory, unsigned int block)
{
    m_distributed = true;
    FN_SendXDRMsgToFIR xdr = [this](unsigned long, ktsDatabuf*) {
        ++m_messages;
        return 1;
    };
    FN_SendXMLMsgToFIR xml = [this](CNMessageBase&) {
        ++m_messages;
        return 1;
    };
    CheckLibrary(m_handler.Initialize(dbDirectory, true, xdr, xml, block), "Initialize (distributed)");
}

void CLibraryRestoreHost::OnFile(const CRestoreWorkload& workload, std::size_t file)
{
    CFileExtentContainerItemRestoreReportPtr container = boost::make_shared<CFileExtentContainerItemRestoreReport>();
    container->SetRestoredFilePath(workload.RestoredPath(file));
    container->SetNoOfExtents(workload.Extents());
    container->SetFileExtentContainerItemRestoredAttributes(workload.Attributes());
    container->SetTaskId(workload.TaskId(file));
    CheckLibrary(m_handler.OnContainerItem(workload.Path(file), 0, container), "OnContainerItem");
    m_extent = boost::make_shared<CFileExtentExtentItemRestoreReport>();
    m_extent->SetRestoreStatus(SUCCESS);
}

void CLibraryRestoreHost::OnExtent(const CRestoreWorkload& workload, std::size_t file, std::size_t extent)
{
    m_extent->SetExtentNumber(extent);
    CheckLibrary(m_handler.OnExtentItem(workload.Path(file), 0, m_extent), "OnExtentItem");
}

void CLibraryRestoreHost::Flush()
{
    CheckLibrary(m_handler.Flush(), "Flush");
}

void CLibraryRestoreHost::UpdateStatus()
{
    const CZuError error = m_handler.UpdateStatus();
    // A distributed restore keeps no local rows: there is nothing to decide.
    if (m_distributed && FXErrorUtil::IsWin32(error, ERROR_NOT_FOUND))
        return;
    CheckLibrary(error, "UpdateStatus");
}

void CLibraryRestoreHost::DeInitialize()
{
    CheckLibrary(m_handler.DeInitialize(), "DeInitialize");
}

void CLibraryRestoreHost::Finish()
{
    Flush();
    UpdateStatus();
    DeInitialize();
}

double CLibraryRestoreHost::TimeCheckedRestore(const CRestoreWorkload& workload, const std::string& dbDirectory,
                                               const CFileExtentRestoreOptions& options)
{
    CLibraryRestoreHost host;
    const double seconds = workload.TimeWholeRun(host, [&] { host.Initialize(dbDirectory, options); });
    CRestoredItemsCheck::ExpectRestored(dbDirectory + "/" + CRestoredItemsCheck::RestoreDbName(),
                                        CRestoredItemsSql::Table(), workload.Files(), "the restore handler");
    return seconds;
}

CFileExtentRestoreOptions CLibraryRestoreHost::WithNextPass()
{
    CFileExtentRestoreOptions options;
    options.WriteNewRecordsWithNextPass = true;
    return options;
}
