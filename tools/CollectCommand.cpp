#include "CollectCommand.h"

#include "CollectProgress.h"
#include "CollectorBatchHandler.h"
#include "CommandOptions.h"
#include "Summary.h"
#include "ToolDirectory.h"
#include "ToolLog.h"

#include "collector/FileExtentCollector.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "transport/redis/FileExtentRedisConsumer.h"
#include "transport/redis/FileExtentStreamKeys.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>

using FILEEXTENT_COLLECTOR::CFileExtentCollector;
using namespace FILEEXTENT_REDIS;

namespace
{
std::atomic<bool> g_stopRequested(false);

extern "C" void RequestStop(int)
{
    g_stopRequested = true;
}

// SIGINT and SIGTERM end the run at the next batch boundary, with every stored batch acknowledged.
class CStopOnSignal
{
public:
    CStopOnSignal()
    {
        g_stopRequested = false;
        struct sigaction action = {};
        action.sa_handler = RequestStop;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_oldInt);
        sigaction(SIGTERM, &action, &m_oldTerm);
    }
    ~CStopOnSignal()
    {
        sigaction(SIGINT, &m_oldInt, nullptr);
        sigaction(SIGTERM, &m_oldTerm, nullptr);
    }

private:
    struct sigaction m_oldInt;
    struct sigaction m_oldTerm;
};

// A name that stays the same when the collector is started again on this machine, so that it
// reads what it left pending first.
std::string DefaultConsumerName()
{
    char host[256] = {};
    if (::gethostname(host, sizeof(host) - 1) != 0)
        return "collector";
    std::string name = "collector-";
    for (const char* c = host; *c && name.size() < 64; ++c)
        name += CFileExtentStreamKeys::IsValidId(std::string(1, *c)) ? *c : '-';
    return name;
}
} // namespace

CCollectCommand::CCollectCommand(CLI::App& parent)
{
    m_app = parent.add_subcommand("collect", "Collect a distributed restore's records from its Redis stream");
    m_app->footer(
        "Reads the job's stream fileextent:<job> as a consumer of the group \"collectors\": first the entries it\n"
        "left pending in an earlier run, then entries another collector left pending for --claim-idle seconds,\n"
        "then new ones. Each batch is stored in FileExtentCollector.db in DIR in one transaction and acknowledged\n"
        "only after the commit; entries that cannot be stored go to fileextent:<job>:dead with the reason.\n"
        "Acknowledged entries are trimmed from the stream. Collectors of one job share DIR, each with its own\n"
        "--name. Stops on SIGINT or SIGTERM, or with --until-idle once the stream is drained.");
    m_app->add_option("--redis", m_redis, "The Redis server, HOST:PORT")->required();
    m_app->add_option("--job", m_job, "The job's id (1-64 of A-Z a-z 0-9 . _ -)")->required();
    CommandOptions::AddDirectory(*m_app, m_directory, "Directory of FileExtentCollector.db");
    m_app->add_option("--name", m_name, "This collector's consumer name, the same on every start (default: "
                                        "collector-<host>)");
    m_app->add_flag("--decide", m_decide, "At the end, decide every file's status as a restore's UpdateStatus does");
    m_app->add_option("--until-idle", m_untilIdle,
                      "Stop once no entry arrived for SECONDS and nothing is pending in the group")
        ->type_name("SECONDS")
        ->check(CommandOptions::WholeNumber(1, 86400));
    m_app->add_option("--batch", m_batch, "Entries per read and per transaction")
        ->check(CommandOptions::WholeNumber(1, 100000))
        ->capture_default_str();
    m_app->add_option("--claim-idle", m_claimIdle,
                      "Take over entries another collector left pending this many seconds")
        ->type_name("SECONDS")
        ->check(CommandOptions::WholeNumber(1, 86400))
        ->capture_default_str();
    CommandOptions::AddVerbose(*m_app, m_verbosity);
}

CToolStatus CCollectCommand::Run()
{
    CToolDirectory dir(m_directory);
    CToolStatus status = dir.PrepareForWriting();
    if (!status.IsOk())
        return status;
    CToolLog log(dir.File(CToolLog::FileName), m_verbosity);
    const std::string name = m_name.empty() ? DefaultConsumerName() : m_name;

    CRedisConsumerOptions options;
    options.BatchSize = static_cast<std::size_t>(m_batch);
    options.MinIdle = std::chrono::seconds(m_claimIdle);
    std::unique_ptr<CFileExtentRedisConsumer> consumer;
    CZuError error = CFileExtentRedisConsumer::Create(m_redis, m_job, name, options, consumer);
    if (error.IsError())
        return CToolStatus::Usage(error.GetMessage());

    CFileExtentCollector collector(dir.Path());
    error = collector.Open();
    if (error.IsError())
        return CToolStatus::Failure("cannot open the collector database in '" + dir.Path() + "'", error);

    CStopOnSignal stopOnSignal;
    CCollectProgress progress(m_redis, consumer->Keys());
    const auto started = std::chrono::steady_clock::now();
    // The rate counts the time until the last batch, not the idle wait that ends the run.
    auto lastBatch = started;
    CCollectorBatchHandler handler(collector, [&progress, &lastBatch](std::size_t entries) {
        progress.Stored(entries);
        lastBatch = std::chrono::steady_clock::now();
    });
    CRedisRunOptions run;
    run.UntilIdle = std::chrono::seconds(m_untilIdle);
    run.Stop = &g_stopRequested;
    CRedisRunSummary summary;
    error = consumer->Run(handler, run, summary);
    progress.Finish();
    if (error.IsError())
        return CToolStatus::Failure("collecting from '" + m_redis + "'", error);
    if (m_decide)
    {
        error = collector.Decide();
        if (error.IsError() && !FXErrorUtil::IsWin32(error, ERROR_NOT_FOUND))
            return CToolStatus::Failure("deciding the collected records", error);
    }
    const std::chrono::duration<double> elapsed = lastBatch - started;

    const FILEEXTENT_COLLECTOR::CCollectorTotals totals = collector.Totals();
    CSummary out("Collector " + name + " of job " + m_job);
    out.Add("entries", summary.Entries);
    out.Add("records", totals.Records);
    out.Add("stale", totals.Stale);
    out.Add("dead-lettered", summary.DeadLettered);
    out.Add("acknowledged", summary.Acknowledged);
    out.Add("trimmed", summary.Trimmed);
    const double seconds = elapsed.count();
    char text[32];
    std::snprintf(text, sizeof(text), "%.3f", seconds);
    out.Add("seconds", text);
    out.Add("records/s", static_cast<unsigned long long>(seconds > 0 ? static_cast<double>(totals.Records) / seconds
                                                                      : 0));
    out.Add("database", collector.DBPath());
    if (!summary.LastFailure.empty())
        out.Add("last failure", summary.LastFailure);
    out.Note("records: agents' records that changed what the collector holds; stale: repeated or older ones; "
             "seconds: until the last batch stored.");
    out.Write(std::cout);
    return CToolStatus::Ok();
}
