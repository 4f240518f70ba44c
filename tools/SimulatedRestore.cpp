#include "SimulatedRestore.h"

#include "platform/ZuUtils/FXErrorUtil.h"
#include "restore/FileExtentRestoreHandler.h"

#include <boost/make_shared.hpp>

#include <signal.h>
#include <unistd.h>

#include <utility>
#include <vector>

using namespace FILEEXTENT_RESTORE;

namespace
{
CFileExtentContainerItemRestoreReportPtr ContainerReport(const CSimulatedFile& file, std::uint64_t extents)
{
    CFileExtentContainerItemRestoreReportPtr report = boost::make_shared<CFileExtentContainerItemRestoreReport>();
    CFileExtentContainerItemRestoredAttributes attributes;
    attributes.Value1 = file.Attributes[0];
    attributes.Value2 = file.Attributes[1];
    attributes.Value3 = file.Attributes[2];
    attributes.Value4 = static_cast<std::uint32_t>(file.Attributes[3]);
    attributes.Value5 = file.Attributes[4];
    report->SetFileExtentContainerItemRestoredAttributes(attributes);
    CFileExtentRestoredItemPostProcessAction action;
    action.DeleteItem = file.DeleteItem;
    action.RenameItem = file.RenameItem;
    action.NewName = file.NewName;
    report->SetFileExtentRestoredItemPostProcessAction(action);
    report->SetRestoredFilePath(file.RestoredPath);
    report->SetTaskId(file.TaskId);
    const bool skipped = file.Outcome == FileOutcome::Skipped;
    const bool failsWithoutExtents = file.Outcome == FileOutcome::ReportedFailed && extents == 0;
    report->SetNoOfExtents(skipped ? 0 : extents);
    report->SetRestoreStatus(skipped ? SKIPPED : failsWithoutExtents ? FAILED : PROGRESSING);
    report->SetErrCode(failsWithoutExtents ? file.ErrorCode : 0);
    return report;
}

CFileExtentExtentItemRestoreReportPtr ExtentReport(std::uint64_t extent, RestoreStatus status, unsigned int error)
{
    CFileExtentExtentItemRestoreReportPtr report = boost::make_shared<CFileExtentExtentItemRestoreReport>();
    report->SetExtentNumber(extent);
    report->SetRestoreStatus(status);
    report->SetErrCode(error);
    return report;
}
} // namespace

CSimulatedRestore::CSimulatedRestore(CFileExtentRestoreHandler& handler, std::uint64_t extentsPerFile,
                                     FailureFn failure)
    : m_handler(handler), m_extents(extentsPerFile), m_failure(std::move(failure))
{
}

void CSimulatedRestore::RestorePartOf(std::uint64_t agent, std::uint64_t agents)
{
    m_agent = agent;
    m_agents = agents;
}

bool CSimulatedRestore::IsShared(const CSimulatedFile& file, std::uint64_t agents)
{
    return (file.Random / agents) % 5 == 0;
}

bool CSimulatedRestore::TakesPart(const CSimulatedFile& file) const
{
    return IsShared(file, m_agents) || file.Random % m_agents == m_agent;
}

// A skipped file has no extent; an incomplete one never reports its missing extent; of a shared
// file each agent sends its share.
bool CSimulatedRestore::Sends(const CSimulatedFile& file, std::uint64_t extent) const
{
    if (file.Outcome == FileOutcome::Skipped || extent >= m_extents)
        return false;
    if (IsShared(file, m_agents) && extent % m_agents != m_agent)
        return false;
    return !(file.Outcome == FileOutcome::Incomplete && extent == file.MissingExtent);
}

std::uint64_t CSimulatedRestore::PlannedExtents(const CSimulatedFile& file) const
{
    if (file.Outcome == FileOutcome::Skipped)
        return 0;
    return file.Outcome == FileOutcome::Incomplete ? m_extents - 1 : m_extents;
}

CToolStatus CSimulatedRestore::Send(const CSimulatedFile& file)
{
    if (!TakesPart(file))
        return CToolStatus::Ok();
    CZuError error = m_handler.OnContainerItem(file.Path, file.Version, ContainerReport(file, m_extents));
    ++m_events;
    CToolStatus status = Check("OnContainerItem for '" + file.Path + "'", error);
    if (!status.IsOk())
        return status;
    for (std::uint64_t extent = 0; extent < m_extents; ++extent)
    {
        if (!Sends(file, extent))
            continue;
        status = SendExtent(file, extent);
        if (!status.IsOk())
            return status;
    }
    return CToolStatus::Ok();
}

// A failure the failure function accepts (a send the library keeps for later) lets the run go on.
CToolStatus CSimulatedRestore::Check(const std::string& what, const CZuError& error) const
{
    return error.IsError() ? m_failure(what, error) : CToolStatus::Ok();
}

// The last extent of a file that fails carries FAILED and the file's error code.
CToolStatus CSimulatedRestore::SendExtent(const CSimulatedFile& file, std::uint64_t extent)
{
    const bool fails = file.Outcome == FileOutcome::ReportedFailed && extent + 1 == m_extents;
    CZuError error = m_handler.OnExtentItem(file.Path, file.Version,
                                            ExtentReport(extent, fails ? FAILED : SUCCESS, fails ? file.ErrorCode : 0));
    ++m_events;
    ++m_extentEvents;
    CToolStatus status = Check("OnExtentItem for '" + file.Path + "'", error);
    if (status.IsOk() && m_extentEvents % ExtentsBetweenFlushes == 0)
        status = Check("Flush", m_handler.Flush());
    if (!status.IsOk())
        return status;
    if (m_crashAfter != 0 && m_extentEvents == m_crashAfter)
        ::kill(::getpid(), SIGKILL);
    return CToolStatus::Ok();
}

CToolStatus CSimulatedRestore::Resume(const CSimulatedFile& file)
{
    CFileExtentContainerItemRestoreReportPtr known = boost::make_shared<CFileExtentContainerItemRestoreReport>();
    CZuError error = m_handler.GetContainerItemData(file.Path, file.Version, known);
    if (FXErrorUtil::IsWin32(error, ERROR_NOT_FOUND))
        return Send(file);
    if (error.IsError())
        return m_failure("GetContainerItemData for '" + file.Path + "'", error);
    ++m_resumedFiles;
    return ResendMissing(file);
}

// The runs are gathered first: the extents are sent only once the handler is done reading the record.
CToolStatus CSimulatedRestore::ResendMissing(const CSimulatedFile& file)
{
    std::vector<std::pair<std::uint64_t, std::uint64_t>> runs;
    CZuError error = m_handler.GetMissingExtents(file.Path, file.Version, [&runs](ULONGLONG first, ULONGLONG count) {
        runs.emplace_back(first, count);
        return CZuError::Success();
    });
    if (error.IsError())
        return m_failure("GetMissingExtents for '" + file.Path + "'", error);
    std::uint64_t resent = 0;
    for (const auto& run : runs)
        for (std::uint64_t extent = run.first; extent < run.first + run.second; ++extent)
        {
            if (!Sends(file, extent))
                continue;
            CToolStatus status = SendExtent(file, extent);
            if (!status.IsOk())
                return status;
            ++resent;
            ++m_resent;
        }
    m_landed += PlannedExtents(file) - resent;
    return CToolStatus::Ok();
}
