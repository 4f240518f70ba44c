#include "RecallSimulateCommand.h"

#include "CommandOptions.h"
#include "DatabaseProbe.h"
#include "DirectoryLock.h"
#include "Summary.h"
#include "ToolDirectory.h"
#include "ToolLog.h"

#include "platform/ZuUtils/FXErrorUtil.h"
#include "recall/FileExtentRecallDBManager.h"
#include "store/FileExtentRestoreDB.h"

#include <boost/make_shared.hpp>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <iostream>

using namespace FILEEXTENTRECALLDB;

namespace
{
const char* const RecalledItemsTable = "RecalledItems";

CFileExtentRecallFileMetadata Metadata(const CSimulatedFile& file, std::uint64_t extents)
{
    CFileExtentRecallFileMetadata metadata;
    metadata.SCId = static_cast<std::uint32_t>(file.TaskId);
    metadata.FileSize = file.Attributes[0];
    metadata.FileExtentSize = extents ? (file.Attributes[0] + extents - 1) / extents : 0;
    metadata.StubType = 1 + static_cast<std::uint32_t>(file.Random % 3);
    metadata.StubCacheFilePath = "/stubcache" + file.Path;
    char stub[40];
    std::snprintf(stub, sizeof(stub), "stub:%016llx", static_cast<unsigned long long>(file.Attributes[4]));
    metadata.StubData = stub;
    metadata.Flags = static_cast<std::uint32_t>(file.Random >> 32) & 0xFF;
    metadata.CreationTime = file.Attributes[1];
    metadata.LastWriteTime = file.Attributes[2];
    metadata.OriginInfo = "simulated recall, task " + std::to_string(file.TaskId);
    return metadata;
}

CRecallRequestStats Stats(const CSimulatedFile& file, std::uint64_t step)
{
    CRecallRequestStats stats;
    stats.PreLookupTimeTaken = CTimeInterval::From100NS(static_cast<std::int64_t>(1000 + file.Random % 5000));
    stats.LookupTimeTaken = CTimeInterval::From100NS(static_cast<std::int64_t>(20000 + file.Random % 90000));
    stats.InDMRQueue = CTimeInterval::From100NS(static_cast<std::int64_t>(file.Random % 400000));
    stats.InPipeline = CTimeInterval::From100NS(static_cast<std::int64_t>(10000 * (step + 1)));
    stats.InTapeCheck = CTimeInterval::From100NS(static_cast<std::int64_t>(file.Random % 30000));
    stats.InMAArbitration = CTimeInterval::From100NS(static_cast<std::int64_t>(file.Random % 7000));
    stats.RecallStartTime = CTimeStamp::FromUnixTime(1700000000 + static_cast<std::int64_t>(file.Random % 86400));
    stats.RecallDuration = CTimeInterval::From100NS(static_cast<std::int64_t>(250000 * (step + 1)));
    return stats;
}

template <class T>
boost::shared_ptr<T> Make()
{
    return boost::make_shared<T>();
}
} // namespace

CRecallSimulateCommand::CRecallSimulateCommand(CLI::App& recall)
{
    m_app = recall.add_subcommand("simulate", "Run simulated file recalls through the recall facade and summarise them");
    m_app->footer("Every run starts from a clean database: an existing FileExtentRecall.db in DIR (with its -wal\n"
                  "and -shm files) is removed first; a file there that is not a recall database is left alone\n"
                  "and the run stops. DIR is created when absent; its parent must exist. One simulation at a\n"
                  "time per DIR: a second one exits 1 naming the process that holds the directory.");
    CommandOptions::AddDirectory(*m_app, m_directory, "Directory of FileExtentRecall.db and of fileextentctl.log");
    CommandOptions::AddPlan(*m_app, m_plan, false);
    CommandOptions::AddVerbose(*m_app, m_verbosity);
}

CToolStatus CRecallSimulateCommand::Run()
{
    CToolDirectory dir(m_directory);
    CDirectoryLock lock;
    CToolStatus status = CommandOptions::PrepareSimulation(m_plan, dir, lock);
    if (!status.IsOk())
        return status;
    CToolLog log(dir.File(CToolLog::FileName), m_verbosity);
    const std::string dbPath = dir.File(FILEEXTENT_RESTORE::FileExtentRecallLocalDBName);
    status = CDatabaseProbe(dbPath).CheckReplaceable(RecalledItemsTable);
    if (!status.IsOk())
        return status;
    status = dir.RemoveDatabaseFiles(FILEEXTENT_RESTORE::FileExtentRecallLocalDBName);
    if (!status.IsOk())
        return status;

    CFileExtentRecallDBManager manager;
    CZuError error = manager.Initialize(dir.Path());
    if (error.IsError())
        return CToolStatus::Failure("cannot initialise the recall database in '" + dir.Path() + "'", error);

    const CSimulationPlan plan(m_plan);
    const auto started = std::chrono::steady_clock::now();
    status =
        plan.ForEachFile("recall simulate", [&](const CSimulatedFile& file) { return RecallFile(manager, file); });
    // DeInitialize drops what is not flushed: flush first, on failure too, to keep what was recorded.
    error = manager.Flush();
    if (status.IsOk() && error.IsError())
        status = CToolStatus::Failure("Flush", error);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
    CTally tally;
    if (status.IsOk())
        status = Tally(manager, tally);
    manager.DeInitialize();
    if (!status.IsOk())
        return status;

    CSummary summary("Recall simulation");
    summary.Add("files", tally.Files);
    summary.Add("recalled", tally.Recalled);
    summary.Add("failed", tally.Failed);
    summary.Add("skipped", tally.Skipped);
    summary.Add("progressing", tally.Progressing);
    summary.Add("extents", tally.ExtentsDone);
    summary.AddRate(m_events, elapsed.count());
    summary.Add("database", dbPath);
    summary.Write(std::cout);
    return CToolStatus::Ok();
}

CToolStatus CRecallSimulateCommand::RecallFile(CFileExtentRecallDBManager& manager, const CSimulatedFile& file)
{
    const std::uint64_t extents = m_plan.Extents;
    CFileRecallItemPtr item = Make<CFileRecallItem>();
    item->RestoredFilePath = file.RestoredPath;
    item->NoOfExtents = extents;
    item->Metadata = Metadata(file, extents);
    CZuError error = manager.OnFileRecallItem(file.Path, item);
    ++m_events;
    if (error.IsError())
        return CToolStatus::Failure("OnFileRecallItem for '" + file.Path + "'", error);

    if (file.Outcome != FileOutcome::Skipped)
    {
        CFileExtentRecallContainerItemPtr container = Make<CFileExtentRecallContainerItem>();
        container->ContainerItemRestored = true;
        container->Stats = Stats(file, 0);
        error = manager.OnContainerItem(file.Path, container);
        ++m_events;
        if (error.IsError())
            return CToolStatus::Failure("OnContainerItem for '" + file.Path + "'", error);
        CToolStatus status = RecallExtents(manager, file);
        if (!status.IsOk())
            return status;
    }
    return Finish(manager, file);
}

CToolStatus CRecallSimulateCommand::RecallExtents(CFileExtentRecallDBManager& manager, const CSimulatedFile& file)
{
    const std::uint64_t extents = m_plan.Extents;
    for (std::uint64_t extent = 0; extent < extents; ++extent)
    {
        if (file.Outcome == FileOutcome::Incomplete && extent == file.MissingExtent)
            continue;
        const bool last = extent + 1 == extents;
        const bool fails = file.Outcome == FileOutcome::ReportedFailed && last;
        CFileExtentRecallExtentItemPtr item = Make<CFileExtentRecallExtentItem>();
        item->ExtentNumber = extent;
        item->Status = fails ? FAILED : PROGRESSING;
        item->ErrCode = fails ? file.ErrorCode : 0;
        item->Stats = Stats(file, extent + 1);
        CZuError error = manager.OnExtentItem(file.Path, item);
        ++m_events;
        if (error.IsError())
            return CToolStatus::Failure("OnExtentItem for '" + file.Path + "'", error);
    }
    return CToolStatus::Ok();
}

// A complete recall gets its attributes and time stamps and ends SUCCESS; a skipped one ends SKIPPED;
// a failure without extents is reported through the status; an incomplete one stays PROGRESSING.
CToolStatus CRecallSimulateCommand::Finish(CFileExtentRecallDBManager& manager, const CSimulatedFile& file)
{
    CFileExtentRecallStatusPtr status = Make<CFileExtentRecallStatus>();
    switch (file.Outcome)
    {
    case FileOutcome::Incomplete:
        return CToolStatus::Ok();
    case FileOutcome::ReportedFailed:
        if (m_plan.Extents > 0)
            return CToolStatus::Ok();
        status->Status = FAILED;
        status->ErrCode = file.ErrorCode;
        break;
    case FileOutcome::Skipped:
        status->Status = SKIPPED;
        break;
    case FileOutcome::Complete:
    {
        CZuError error = manager.UpdateAttributes(file.Path, static_cast<ULONG>(file.Attributes[3]));
        if (!error.IsError())
            error = manager.UpdateFileTimeStamps(file.Path, file.Attributes[1], file.Attributes[2] + 10000000,
                                                 file.Attributes[2], file.Attributes[2]);
        m_events += 2;
        if (error.IsError())
            return CToolStatus::Failure("updating the attributes of '" + file.Path + "'", error);
        status->Status = SUCCESS;
        break;
    }
    }
    CZuError error = manager.UpdateStatus(file.Path, status);
    ++m_events;
    if (error.IsError())
        return CToolStatus::Failure("UpdateStatus for '" + file.Path + "'", error);
    return CToolStatus::Ok();
}

CToolStatus CRecallSimulateCommand::Tally(CFileExtentRecallDBManager& manager, CTally& tally)
{
    CZuError error = manager.GetAllRecalledFiles([&tally](CFileExtentRecallFileReportPtr report) {
        ++tally.Files;
        tally.ExtentsDone += report->ExtentBitmap.count();
        switch (report->Status.Status)
        {
        case SUCCESS: ++tally.Recalled; break;
        case FAILED: ++tally.Failed; break;
        case SKIPPED: ++tally.Skipped; break;
        default: ++tally.Progressing; break;
        }
        return CZuError::Success();
    });
    if (error.IsError() && !FXErrorUtil::IsWin32(error, ERROR_NOT_FOUND))
        return CToolStatus::Failure("GetAllRecalledFiles", error);
    return CToolStatus::Ok();
}
