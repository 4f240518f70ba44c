#include "SimulateCommand.h"

#include "CommandOptions.h"
#include "DatabaseProbe.h"
#include "FileExtentCollector.h"
#include "Summary.h"
#include "ToolDirectory.h"
#include "ToolLog.h"

#include "platform/ZuUtils/FXErrorUtil.h"
#include "restore/FileExtentRestoreHandler.h"
#include "store/FileExtentRestoreDB.h"

#include <boost/make_shared.hpp>

#include <chrono>
#include <iostream>

using namespace FILEEXTENT_RESTORE;

namespace
{
const char* const RestoredItemsTable = "RestoredItems";

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

// The rule the local UpdateStatus applies, for the records a collector received.
bool IsCompleteRestore(const CRestoredItem& item)
{
    if (item.RestoredFilePath.value_or(std::string()).empty() || !item.ContainerItemRestored.value_or(false))
        return false;
    const std::size_t bits = item.ExtentBitmap ? item.ExtentBitmap->size() : 0;
    if (static_cast<std::int64_t>(bits) != item.NumOfExtents.value_or(0))
        return false;
    return !item.ExtentBitmap || item.ExtentBitmap->all();
}
} // namespace

CSimulateCommand::CSimulateCommand(CLI::App& parent)
{
    m_app = parent.add_subcommand("simulate", "Run a simulated restore through the restore facade and summarise it");
    m_app->footer(
        "Every run starts from a clean database: an existing FileExtentRestore.db in DIR (with its -wal and -shm\n"
        "files) is removed first, and so is FileExtentCollector.db for --distributed. A file there that is not\n"
        "a restore database is left alone and the run stops. DIR is created when absent; its parent must exist.");
    CommandOptions::AddDirectory(*m_app, m_directory, "Directory of the databases and of fileextentctl.log");
    CommandOptions::AddPlan(*m_app, m_plan, true);
    CLI::Option* distributed = m_app->add_flag(
        "--distributed", m_distributed,
        "Distributed restore: records go to an in-process collector (FileExtentCollector.db) instead of the local table");
    m_app->add_option("--block", m_block,
                      "With --distributed: records per XML batch message (0 or 1: one XDR message per record)")
        ->needs(distributed)
        ->check(CLI::Range(0u, 1000000u))
        ->capture_default_str();
    CommandOptions::AddVerbose(*m_app, m_verbosity);
}

CToolStatus CSimulateCommand::Prepare(const std::string& directory)
{
    CToolDirectory dir(directory);
    CToolStatus status = CDatabaseProbe(dir.File(FileExtentLocalDBName)).CheckReplaceable(RestoredItemsTable);
    if (!status.IsOk())
        return status;
    status = dir.RemoveDatabaseFiles(FileExtentLocalDBName);
    if (!status.IsOk() || !m_distributed)
        return status;
    status = CDatabaseProbe(dir.File(CFileExtentCollector::DBName)).CheckReplaceable(RestoredItemsTable);
    if (!status.IsOk())
        return status;
    return dir.RemoveDatabaseFiles(CFileExtentCollector::DBName);
}

CToolStatus CSimulateCommand::Run()
{
    CToolDirectory dir(m_directory);
    CToolStatus status = CommandOptions::PrepareSimulation(m_plan, dir);
    if (!status.IsOk())
        return status;
    CToolLog log(dir.File(CToolLog::FileName), m_verbosity);
    status = Prepare(m_directory);
    if (!status.IsOk())
        return status;

    CFileExtentCollector collector(dir.Path());
    m_collector = &collector;
    if (m_distributed)
    {
        CZuError error = collector.Open();
        if (error.IsError())
            return CToolStatus::Failure("cannot open the collector database in '" + dir.Path() + "'", error);
    }

    CFileExtentRestoreHandler handler;
    CZuError error = handler.Initialize(dir.Path(), m_distributed, collector.XDRCallback(), collector.XMLCallback(),
                                        m_block);
    if (error.IsError())
        return CToolStatus::Failure("cannot initialise the restore in '" + dir.Path() + "'", error);
    const std::string dbPath = handler.GetContainerItemDBPath();

    const CSimulationPlan plan(m_plan);
    const auto started = std::chrono::steady_clock::now();
    status = plan.ForEachFile("simulate", [&](const CSimulatedFile& file) { return ReportFile(handler, file); });
    CTally tally;
    if (status.IsOk())
        status = Finish(handler, collector, tally);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
    handler.DeInitialize();
    if (!status.IsOk())
        return status;
    WriteSummary(tally, elapsed.count(), dbPath, collector);
    return CToolStatus::Ok();
}

CToolStatus CSimulateCommand::ReportFile(CFileExtentRestoreHandler& handler, const CSimulatedFile& file)
{
    const std::uint64_t extents = m_plan.Extents;
    CZuError error = handler.OnContainerItem(file.Path, file.Version, ContainerReport(file, extents));
    ++m_events;
    if (error.IsError())
        return SendFailure("OnContainerItem for '" + file.Path + "'", error, *m_collector);
    if (file.Outcome == FileOutcome::Skipped)
        return CToolStatus::Ok();
    for (std::uint64_t extent = 0; extent < extents; ++extent)
    {
        if (file.Outcome == FileOutcome::Incomplete && extent == file.MissingExtent)
            continue;
        const bool fails = file.Outcome == FileOutcome::ReportedFailed && extent + 1 == extents;
        error = handler.OnExtentItem(file.Path, file.Version,
                                     ExtentReport(extent, fails ? FAILED : SUCCESS, fails ? file.ErrorCode : 0));
        ++m_events;
        ++m_extentEvents;
        if (error.IsError())
            return SendFailure("OnExtentItem for '" + file.Path + "'", error, *m_collector);
    }
    return CToolStatus::Ok();
}

CToolStatus CSimulateCommand::Finish(CFileExtentRestoreHandler& handler, CFileExtentCollector& collector,
                                     CTally& tally)
{
    CZuError error = handler.Flush();
    if (error.IsError())
        return SendFailure("Flush", error, collector);
    // An empty local table (every record went to the collector, or there were no files) leaves
    // nothing to decide: that is ERROR_NOT_FOUND, not a failure.
    error = handler.UpdateStatus();
    if (error.IsError() && !FXErrorUtil::IsWin32(error, ERROR_NOT_FOUND))
        return CToolStatus::Failure("UpdateStatus", error);
    return m_distributed ? TallyCollector(collector, tally) : TallyLocal(handler, tally);
}

CToolStatus CSimulateCommand::SendFailure(const std::string& what, const CZuError& error,
                                          const CFileExtentCollector& collector)
{
    if (m_distributed && collector.LastError().IsError())
        return CToolStatus::Failure(what + " (the collector refused a message)", collector.LastError());
    return CToolStatus::Failure(what, error);
}

CToolStatus CSimulateCommand::TallyLocal(CFileExtentRestoreHandler& handler, CTally& tally)
{
    CZuError error = handler.GetAllRestoredItems(
        [&tally](const std::string&, unsigned int, const CFileExtentContainerItemRestoreReport& report) {
            ++tally.Files;
            tally.ExtentsDone += report.GetExtentBitmap().count();
            switch (report.GetRestoreStatus())
            {
            case SUCCESS: ++tally.Restored; break;
            case FAILED: ++tally.Failed; break;
            case SKIPPED: ++tally.Skipped; break;
            default: ++tally.Progressing; break;
            }
            return CZuError::Success();
        });
    if (error.IsError() && !FXErrorUtil::IsWin32(error, ERROR_NOT_FOUND))
        return CToolStatus::Failure("GetAllRestoredItems", error);
    return CToolStatus::Ok();
}

CToolStatus CSimulateCommand::TallyCollector(CFileExtentCollector& collector, CTally& tally)
{
    CZuError error = collector.Enumerate([&tally](const CRestoredItem& item) {
        ++tally.Files;
        tally.ExtentsDone += item.ExtentBitmap ? item.ExtentBitmap->count() : 0;
        const RestoreStatus status = item.Status.value_or(PROGRESSING);
        if (status == FAILED)
            ++tally.Failed;
        else if (status == SKIPPED)
            ++tally.Skipped;
        else if (IsCompleteRestore(item))
            ++tally.Restored;
        else
            ++tally.Failed;
        return CZuError::Success();
    });
    if (error.IsError() && !FXErrorUtil::IsWin32(error, ERROR_NOT_FOUND))
        return CToolStatus::Failure("reading the collector database", error);
    return CToolStatus::Ok();
}

void CSimulateCommand::WriteSummary(const CTally& tally, double seconds, const std::string& dbPath,
                                    const CFileExtentCollector& collector) const
{
    CSummary summary(m_distributed ? "Distributed restore simulation (block " + std::to_string(m_block) + ")"
                                   : std::string("Restore simulation"));
    summary.Add("files", tally.Files);
    summary.Add("restored", tally.Restored);
    summary.Add("failed", tally.Failed);
    summary.Add("skipped", tally.Skipped);
    summary.Add("progressing", tally.Progressing);
    summary.Add("extents", tally.ExtentsDone);
    summary.AddRate(m_events, seconds);
    summary.Add("database", dbPath);
    if (m_distributed)
    {
        summary.Add("collector", collector.DBPath());
        summary.Add("messages", std::to_string(collector.XDRMessages()) + " XDR, " +
                                    std::to_string(collector.XMLMessages()) + " XML lists, " +
                                    std::to_string(collector.RecordsReceived()) + " records");
        summary.Note("a distributed restore's UpdateStatus decides only local rows, so the counts above are "
                     "what the collector received, with incomplete items counted as failed.");
    }
    summary.Write(std::cout);
}
