#include "TopCommand.h"

#include "CommandOptions.h"
#include "ProgressSummary.h"
#include "ReadOnlyDatabase.h"
#include "RestoreDatabaseReader.h"
#include "ScreenRedraw.h"
#include "TableWriter.h"
#include "ToolDirectory.h"

#include "collector/FileExtentCollector.h"
#include "transport/redis/FileExtentStreamKeys.h"
#include "transport/redis/RedisAddress.h"
#include "transport/redis/RedisConnection.h"
#include "transport/redis/RedisGroupStatisticsReader.h"

#include <sqlite3.h>
#include <unistd.h>

#include <iostream>
#include <sstream>
#include <thread>

using namespace FILEEXTENT_REDIS;

namespace
{
const std::chrono::milliseconds RedisTimeout(2000);

std::string AgeOf(std::int64_t lastSeenMs)
{
    const std::int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    return lastSeenMs <= 0 ? "-" : std::to_string(std::max<std::int64_t>(0, now - lastSeenMs) / 1000) + " s ago";
}
} // namespace

CTopCommand::CTopCommand(CLI::App& parent)
{
    m_app = parent.add_subcommand("top", "A live view of a distributed restore: stream, collectors, agents, files");
    m_app->footer("Reads the job's stream and group from Redis and, read-only, FileExtentCollector.db in DIR (the\n"
                  "directory `collect` writes). Redrawn in place on a terminal every --interval seconds until\n"
                  "interrupted; --once prints one view.");
    m_app->add_option("--redis", m_redis, "The Redis server, HOST:PORT")->required();
    m_app->add_option("--job", m_job, "The job's id")->required();
    CommandOptions::AddDirectory(*m_app, m_directory, "Directory of FileExtentCollector.db");
    m_app->add_option("--interval", m_interval, "Seconds between views")
        ->check(CommandOptions::WholeNumber(1, 3600))
        ->capture_default_str();
    m_app->add_flag("--once", m_once, "One view, then exit");
}

CToolStatus CTopCommand::Run()
{
    CRedisAddress address;
    CZuError error = CRedisAddress::Parse(m_redis, address);
    CFileExtentStreamKeys keys;
    if (!error.IsError())
        error = CFileExtentStreamKeys::ForJob(m_job, keys);
    if (error.IsError())
        return CToolStatus::Usage(error.GetMessage());
    CRedisConnection connection(address, RedisTimeout);
    CScreenRedraw screen(std::cout, CScreenRedraw::TerminalColumns());
    for (bool first = true;; first = false)
    {
        std::string text;
        const CToolStatus status = Round(connection, keys, text);
        if (!status.IsOk() && (first || m_once))
            return status;
        if (m_once)
        {
            std::cout << text;
            return CToolStatus::Ok();
        }
        screen.Show(CScreenRedraw::ClockTime() + ", job " + m_job + ", every " + std::to_string(m_interval) +
                    " s (Ctrl-C ends)\n" + (status.IsOk() ? text : status.Message() + "\n"));
        std::this_thread::sleep_for(std::chrono::seconds(m_interval));
    }
}

CToolStatus CTopCommand::Round(CRedisConnection& connection, const CFileExtentStreamKeys& keys, std::string& text)
{
    CRedisGroupStatistics statistics;
    CZuError error = CRedisGroupStatisticsReader::Read(connection, keys, statistics);
    if (error.IsError())
        return CToolStatus::Failure("reading job '" + m_job + "' from '" + m_redis + "'", error);
    std::ostringstream out;
    out << "Stream " << keys.Records() << ": " << statistics.StreamLength << " entries, " << statistics.DeadLetters
        << " dead letters\n";
    if (!statistics.GroupExists)
        out << "Group collectors: not made yet (no collector has started)\n";
    else
    {
        out << "Group collectors: lag " << (statistics.Lag ? std::to_string(*statistics.Lag) : std::string("unknown"))
            << ", pending " << statistics.Pending << ", last delivered " << statistics.LastDeliveredId << '\n';
        CTableWriter consumers({"COLLECTOR", "PENDING", "IDLE"});
        for (const CRedisConsumerStatistics& consumer : statistics.Consumers)
            consumers.AddRow({consumer.Name, std::to_string(consumer.Pending),
                              std::to_string(consumer.IdleMs / 1000) + " s"});
        if (consumers.RowCount())
            consumers.WriteTable(out);
    }
    CToolDirectory dir(m_directory);
    const std::string dbPath = dir.File(FILEEXTENT_COLLECTOR::CFileExtentCollector::DBName);
    out << '\n' << AgentsSection(dbPath) << '\n' << FilesSection(dbPath);
    text = out.str();
    return CToolStatus::Ok();
}

// Agents as the collector's database counts them; the rate is since the previous view.
std::string CTopCommand::AgentsSection(const std::string& dbPath)
{
    if (::access(dbPath.c_str(), F_OK) != 0)
        return "No collector database at " + dbPath + " yet\n";
    CReadOnlyDatabase db;
    CToolStatus status = db.Open(dbPath);
    CTableWriter agents({"AGENT", "RUN", "LAST SEQUENCE", "RECORDS", "RECORDS/S", "STALE", "REFUSED", "LAST SEEN"});
    const auto now = std::chrono::steady_clock::now();
    if (status.IsOk())
        status = db.ForEachRow("SELECT AgentId, Incarnation, LastSequence, Records, Stale, Refused, LastSeenMs FROM "
                               "Agents ORDER BY AgentId;",
                               [&](sqlite3_stmt* row) {
                                   const std::string id = CReadOnlyDatabase::Text(row, 0);
                                   const std::int64_t records = sqlite3_column_int64(row, 3);
                                   auto seen = m_seen.find(id);
                                   std::string rate = "-";
                                   if (seen != m_seen.end())
                                   {
                                       const double seconds =
                                           std::chrono::duration<double>(now - seen->second.When).count();
                                       rate = std::to_string(static_cast<long long>(
                                           seconds > 0 ? (records - seen->second.Records) / seconds : 0));
                                   }
                                   m_seen[id] = CSeen{records, now};
                                   agents.AddRow({id.empty() ? "(unknown)" : id, CReadOnlyDatabase::Text(row, 1), CReadOnlyDatabase::Text(row, 2),
                                                  CReadOnlyDatabase::Text(row, 3), rate, CReadOnlyDatabase::Text(row, 4), CReadOnlyDatabase::Text(row, 5),
                                                  AgeOf(sqlite3_column_int64(row, 6))});
                                   return true;
                               });
    if (!status.IsOk())
        return status.Message() + "\n";
    std::ostringstream out;
    agents.WriteTable(out);
    return out.str();
}

std::string CTopCommand::FilesSection(const std::string& dbPath)
{
    if (::access(dbPath.c_str(), F_OK) != 0)
        return std::string();
    CRestoreDatabaseReader reader;
    CProgressSummary summary;
    CToolStatus status = reader.Open(dbPath);
    if (status.IsOk())
        status = reader.ForEachItem([&summary](const CRestoreRow& row) {
            summary.Add(row);
            return true;
        });
    if (!status.IsOk())
        return status.Message() + "\n";
    std::ostringstream out;
    summary.Write(CommandOptions::OutputFormat::Table, dbPath, out);
    return out.str();
}
