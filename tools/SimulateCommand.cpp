#include "SimulateCommand.h"

#include "AgentFleet.h"
#include "CommandOptions.h"
#include "DatabaseProbe.h"
#include "DirectoryLock.h"
#include "RedisAgentRun.h"
#include "SimulatedRestore.h"
#include "Summary.h"
#include "ToolDirectory.h"
#include "ToolLog.h"

#include "collector/CollectorCallbacks.h"
#include "collector/FileExtentCollector.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "restore/FileExtentRestoreHandler.h"
#include "store/FileExtentRestoreDB.h"

#include <chrono>
#include <cstdio>
#include <iostream>

using namespace FILEEXTENT_RESTORE;
using FILEEXTENT_COLLECTOR::CCollectorCallbacks;
using FILEEXTENT_COLLECTOR::CFileExtentCollector;

namespace
{
const char* const RestoredItemsTable = "RestoredItems";

} // namespace

CSimulateCommand::CSimulateCommand(CLI::App& parent)
{
    m_app = parent.add_subcommand("simulate", "Run a simulated restore through the restore facade and summarise it");
    const std::string flushes = std::to_string(CSimulatedRestore::ExtentsBetweenFlushes);
    m_app->footer(
        "Every run starts from a clean database: an existing FileExtentRestore.db in DIR (with its -wal and -shm\n"
        "files) is removed first, and so is FileExtentCollector.db for --distributed. A file there that is not\n"
        "a restore database is left alone and the run stops. DIR is created when absent; its parent must exist.\n"
        "One simulation at a time per DIR: a second one exits 1 naming the process that holds the directory.\n"
        "The restore flushes every " + flushes + " extent events, so an interrupted run leaves its progress in the\n"
        "table; --resume, given the same options, completes it: files already known get only their missing extents.");
    CommandOptions::AddDirectory(*m_app, m_directory, "Directory of the databases and of fileextentctl.log");
    CommandOptions::AddPlan(*m_app, m_plan, true);
    CLI::Option* distributed = m_app->add_flag(
        "--distributed", m_distributed,
        "Distributed restore: records go to an in-process collector (FileExtentCollector.db) instead of the local table");
    m_app->add_option("--block", m_block,
                      "With --distributed: records per XML batch message (0 or 1: one XDR message per record)")
        ->needs(distributed)
        ->check(CommandOptions::WholeNumber(0, 1000000))
        ->capture_default_str();
    m_app->add_option("--new-records", m_newRecords,
                      "When a new file's row is written: at-once (its container report, in a transaction of its "
                      "own) or with-next-pass (the next flush or eviction, many files to one commit)")
        ->check(CLI::IsMember({"at-once", "with-next-pass"}))
        ->capture_default_str();
    CLI::Option* redis =
        m_app->add_option("--redis", m_redis,
                          "With --distributed: agent processes send through Redis at HOST:PORT instead, for "
                          "`collect` to gather (no in-process collector)")
            ->type_name("HOST:PORT")
            ->needs(distributed);
    m_app->add_option("--job", m_job, "With --redis: the job's id (1-64 of A-Z a-z 0-9 . _ -)")
        ->needs(redis)
        ->capture_default_str();
    m_app->add_option("--agents", m_agents,
                      "With --redis: agent processes, each restoring its own files and its share of the files "
                      "they restore together; each keeps its database in DIR/agent-K")
        ->needs(redis)
        ->check(CommandOptions::WholeNumber(1, 64))
        ->capture_default_str();
    // One agent of a fleet, as the fleet's parent starts it.
    m_app->add_option("--agent-index", m_agentIndex)->needs(redis)->check(CommandOptions::WholeNumber(0, 63))->group("");
    m_app->add_flag("--resume", m_resume,
                    "Complete an interrupted restore in DIR (same options as the run it continues) instead of "
                    "starting from a clean database");
    m_app->add_option("--crash-after", m_crashAfter,
                      "Kill this process with SIGKILL right after N extent events (to try --resume)")
        ->type_name("N")
        ->check(CommandOptions::WholeNumber(1, UINT64_MAX));
    CommandOptions::AddVerbose(*m_app, m_verbosity);
}

CToolStatus CSimulateCommand::CheckOptions() const
{
    if (m_resume && m_distributed)
        return CToolStatus::Usage("--resume cannot continue a --distributed restore: its records are held by the "
                                  "collector, not by the local table the resume reads");
    if (!m_redis.empty() && m_crashAfter != 0)
        return CToolStatus::Usage("--crash-after is for a restore in this process, not for --redis agents");
    if (m_agentIndex >= 0 && static_cast<std::uint64_t>(m_agentIndex) >= m_agents)
        return CToolStatus::Usage("--agent-index must be below --agents");
    return CToolStatus::Ok();
}

// A resume keeps the database it continues; a new run starts from a clean one.
CToolStatus CSimulateCommand::Prepare(const std::string& directory)
{
    CToolDirectory dir(directory);
    if (m_resume)
        return CDatabaseProbe(dir.File(FileExtentLocalDBName)).RequireTable(RestoredItemsTable, "RecalledItems");
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
    CToolStatus status = CheckOptions();
    if (!status.IsOk())
        return status;
    if (!m_redis.empty())
        return m_agentIndex >= 0 ? RunAgent() : RunAgents();
    CToolDirectory dir(m_directory);
    CDirectoryLock lock;
    status = CommandOptions::PrepareSimulation(m_plan, dir, lock);
    if (!status.IsOk())
        return status;
    CToolLog log(dir.File(CToolLog::FileName), m_verbosity);
    status = Prepare(m_directory);
    if (!status.IsOk())
        return status;

    CFileExtentCollector collector(dir.Path());
    CCollectorCallbacks link(collector, "local");
    if (m_distributed)
    {
        CZuError error = collector.Open();
        if (error.IsError())
            return CToolStatus::Failure("cannot open the collector database in '" + dir.Path() + "'", error);
    }

    CFileExtentRestoreHandler handler;
    CFileExtentRestoreOptions options;
    options.WriteNewRecordsWithNextPass = m_newRecords == "with-next-pass";
    CZuError error = handler.Initialize(dir.Path(), m_distributed, link.XDRCallback(), link.XMLCallback(),
                                        m_block, options);
    if (error.IsError())
        return CToolStatus::Failure("cannot initialise the restore in '" + dir.Path() + "'", error);
    const std::string dbPath = handler.GetContainerItemDBPath();

    CSimulatedRestore restore(handler, static_cast<std::uint64_t>(m_plan.Extents),
                              [this, &link](const std::string& what, const CZuError& failure) {
                                  return SendFailure(what, failure, link);
                              });
    restore.CrashAfter(m_crashAfter);
    const CSimulationPlan plan(m_plan);
    const auto started = std::chrono::steady_clock::now();
    status = plan.ForEachFile(m_resume ? "resume" : "simulate", [&](const CSimulatedFile& file) {
        return m_resume ? restore.Resume(file) : restore.Send(file);
    });
    CTally tally;
    if (status.IsOk())
        status = Finish(handler, collector, link, tally);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
    handler.DeInitialize();
    if (!status.IsOk())
        return status;
    WriteSummary(tally, elapsed.count(), dbPath, collector, link, restore);
    return CToolStatus::Ok();
}

CToolStatus CSimulateCommand::Finish(CFileExtentRestoreHandler& handler, CFileExtentCollector& collector,
                                     const CCollectorCallbacks& link, CTally& tally)
{
    CZuError error = handler.Flush();
    if (error.IsError())
        return SendFailure("Flush", error, link);
    // An empty local table (every record went to the collector, or there were no files) leaves
    // nothing to decide: that is ERROR_NOT_FOUND, not a failure.
    error = handler.UpdateStatus();
    if (error.IsError() && !FXErrorUtil::IsWin32(error, ERROR_NOT_FOUND))
        return CToolStatus::Failure("UpdateStatus", error);
    if (!m_distributed)
        return TallyLocal(handler, tally);
    // The collector decides what it received, by the same rule.
    error = collector.Decide();
    if (error.IsError() && !FXErrorUtil::IsWin32(error, ERROR_NOT_FOUND))
        return CToolStatus::Failure("deciding the collector's records", error);
    return TallyCollector(collector, tally);
}

CToolStatus CSimulateCommand::SendFailure(const std::string& what, const CZuError& error,
                                          const CCollectorCallbacks& link)
{
    if (m_distributed && link.LastError().IsError())
        return CToolStatus::Failure(what + " (the collector refused a message)", link.LastError());
    return CToolStatus::Failure(what, error);
}

// Files by status and extents done, from a restore's enumeration.
template <class Enumerable>
CToolStatus CSimulateCommand::Tally(Enumerable& source, CTally& tally, const char* what)
{
    CZuError error = source.GetAllRestoredItems(
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
        return CToolStatus::Failure(what, error);
    return CToolStatus::Ok();
}

CToolStatus CSimulateCommand::TallyLocal(CFileExtentRestoreHandler& handler, CTally& tally)
{
    return Tally(handler, tally, "GetAllRestoredItems");
}

CToolStatus CSimulateCommand::TallyCollector(CFileExtentCollector& collector, CTally& tally)
{
    return Tally(collector, tally, "reading the collector database");
}

void CSimulateCommand::WriteSummary(const CTally& tally, double seconds, const std::string& dbPath,
                                    const CFileExtentCollector& collector, const CCollectorCallbacks& link,
                                    const CSimulatedRestore& restore) const
{
    CSummary summary(m_distributed ? "Distributed restore simulation (block " + std::to_string(m_block) + ")"
                     : m_resume    ? std::string("Restore simulation, resumed")
                                   : std::string("Restore simulation"));
    summary.Add("files", tally.Files);
    summary.Add("restored", tally.Restored);
    summary.Add("failed", tally.Failed);
    summary.Add("skipped", tally.Skipped);
    summary.Add("progressing", tally.Progressing);
    summary.Add("extents", tally.ExtentsDone);
    summary.AddRate(restore.Events(), seconds);
    summary.Add("database", dbPath);
    if (m_resume)
    {
        summary.Add("resumed", restore.ResumedFiles());
        summary.Add("landed", restore.LandedExtents());
        summary.Add("resent", restore.ResentExtents());
        summary.Note("resumed: files the database already knew; landed: their extents already stored, not sent "
                     "again; resent: their missing extents, sent again.");
    }
    if (m_distributed)
    {
        summary.Add("collector", collector.DBPath());
        summary.Add("messages", std::to_string(link.XDRMessages()) + " XDR, " + std::to_string(link.XMLMessages()) +
                                    " XML lists, " + std::to_string(collector.Totals().Records) + " records");
        summary.Note("the collector merged and decided what it received, by the rule of UpdateStatus.");
    }
    summary.Write(std::cout);
}

// One agent of a fleet: its own directory and database, its part of the plan, sent to Redis.
CToolStatus CSimulateCommand::RunAgent()
{
    CToolDirectory dir(m_directory);
    CDirectoryLock lock;
    CToolStatus status = CommandOptions::PrepareSimulation(m_plan, dir, lock);
    if (!status.IsOk())
        return status;
    CToolLog log(dir.File(CToolLog::FileName), m_verbosity);
    status = Prepare(m_directory);
    if (!status.IsOk())
        return status;
    CRedisAgentRun::CSettings settings;
    settings.Redis = m_redis;
    settings.Job = m_job;
    settings.Agent = static_cast<std::uint64_t>(m_agentIndex);
    settings.Agents = m_agents;
    settings.Block = m_block;
    settings.Options.WriteNewRecordsWithNextPass = m_newRecords == "with-next-pass";
    CSummary summary("Distributed restore agent (block " + std::to_string(m_block) + ")");
    status = CRedisAgentRun(settings, m_plan).Run(dir.Path(), summary);
    if (status.IsOk())
        summary.Write(std::cout);
    return status;
}

// The fleet: every agent a process of its own, started at once; then what they sent, in total.
CToolStatus CSimulateCommand::RunAgents()
{
    CToolDirectory dir(m_directory);
    CDirectoryLock lock;
    CToolStatus status = CommandOptions::PrepareSimulation(m_plan, dir, lock);
    if (!status.IsOk())
        return status;
    std::vector<CAgentFleet::CAgent> agents;
    for (std::uint64_t agent = 0; agent < m_agents; ++agent)
        agents.push_back(AgentProcess(dir, agent));
    const auto started = std::chrono::steady_clock::now();
    status = CAgentFleet::Run(agents);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
    if (!status.IsOk())
        return status;

    CSummary summary("Distributed restore through Redis " + m_redis + ", job " + m_job + ", " +
                     std::to_string(m_agents) + " agents (block " + std::to_string(m_block) + ")");
    unsigned long long events = 0, sent = 0, failures = 0;
    for (const CAgentFleet::CAgent& agent : agents)
    {
        std::map<std::string, std::string> values = CAgentFleet::ReadSummary(agent.OutputPath);
        events += std::strtoull(values["events"].c_str(), nullptr, 10);
        sent += std::strtoull(values["sent"].c_str(), nullptr, 10);
        failures += std::strtoull(values["failed-sends"].c_str(), nullptr, 10);
    }
    summary.Add("agents", m_agents);
    summary.Add("files", static_cast<unsigned long long>(m_plan.Files));
    summary.AddRate(events, elapsed.count());
    summary.Add("sent", sent);
    summary.Add("failed-sends", failures);
    summary.Add("agent-databases", dir.File("agent-*"));
    summary.Note("the records wait in the job's stream: `fileextentctl collect --redis " + m_redis + " --job " + m_job +
                 " --dir DIR --decide --until-idle 5` gathers and decides them.");
    summary.Write(std::cout);
    return CToolStatus::Ok();
}

CAgentFleet::CAgent CSimulateCommand::AgentProcess(const CToolDirectory& dir, std::uint64_t agent) const
{
    char rate[2][32];
    std::snprintf(rate[0], sizeof(rate[0]), "%.17g", m_plan.FailRate);
    std::snprintf(rate[1], sizeof(rate[1]), "%.17g", m_plan.SkipRate);
    const std::string agentDir = dir.File("agent-" + std::to_string(agent));
    CAgentFleet::CAgent process;
    process.Arguments = {"simulate", "--distributed", "--redis", m_redis, "--job", m_job, "--agents",
                         std::to_string(m_agents), "--agent-index", std::to_string(agent), "--dir", agentDir,
                         "--files", std::to_string(m_plan.Files), "--extents", std::to_string(m_plan.Extents),
                         "--tasks", std::to_string(m_plan.Tasks), "--fail-rate", rate[0], "--skip-rate", rate[1],
                         "--seed", std::to_string(m_plan.Seed), "--block", std::to_string(m_block),
                         "--new-records", m_newRecords};
    for (int i = 0; i < m_verbosity; ++i)
        process.Arguments.push_back("-v");
    process.OutputPath = agentDir + ".out";
    process.ErrorPath = agentDir + ".err";
    return process;
}
