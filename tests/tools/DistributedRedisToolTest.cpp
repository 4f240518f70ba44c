#include "support/RedisServer.h"
#include "support/SqliteFile.h"
#include "support/TempDir.h"
#include "tools/ToolRun.h"
#include "transport/redis/RedisAddress.h"
#include "transport/redis/RedisConnection.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <thread>

namespace
{
const char* const Rows = "SELECT FilePath, RestoredItemVersion, RestoredFilePath, ErrorCode, Status, "
                         "ContainerItemRestored, PostProcessAction, NumOfExtents, hex(ExtentBitmap), Metadata, TaskId "
                         "FROM RestoredItems ORDER BY FilePath, RestoredItemVersion;";

// A distributed restore as a user runs it: a real redis-server, agent processes, collectors.
class DistributedRedisToolTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!ToolAvailable())
            GTEST_SKIP() << "fileextentctl is not built";
        ASSERT_TRUE(redis.Start()) << redis.Error();
    }

    std::vector<std::string> Plan() const
    {
        return {"--files", "300", "--extents", "8", "--tasks", "3", "--fail-rate", "0.2", "--skip-rate", "0.1"};
    }
    ToolRun Agents(const std::string& agents, const std::string& block = "0")
    {
        std::vector<std::string> args = {"simulate", "--distributed", "--redis", redis.Address(), "--job", "job-1",
                                         "--agents", agents, "--block", block, "--dir", agentsDir.Path()};
        const std::vector<std::string> plan = Plan();
        args.insert(args.end(), plan.begin(), plan.end());
        return RunTool(args, scratch.Path());
    }
    std::vector<std::string> CollectArgs(const std::string& name, const std::string& batch = "50") const
    {
        return {"collect", "--redis", redis.Address(), "--job", "job-1", "--dir", collected.Path(), "--name", name,
                "--batch", batch, "--until-idle", "1", "--claim-idle", "1"};
    }
    ToolRun Collect(const std::string& name, bool decide = true)
    {
        std::vector<std::string> args = CollectArgs(name);
        if (decide)
            args.push_back("--decide");
        return RunTool(args, scratch.Path());
    }
    // The rows a restore of the same plan in one process ends with.
    std::vector<std::vector<std::string>> OrdinaryRows()
    {
        TempDir ordinary;
        std::vector<std::string> args = {"simulate", "--dir", ordinary.Path()};
        const std::vector<std::string> plan = Plan();
        args.insert(args.end(), plan.begin(), plan.end());
        EXPECT_EQ(0, RunTool(args, scratch.Path()).exitCode);
        return SqliteFile(ordinary.File("FileExtentRestore.db")).Rows(Rows);
    }
    std::string Collected(const std::string& sql)
    {
        return SqliteFile(collected.File("FileExtentCollector.db")).Scalar(sql);
    }
    // Read only once the collector made its database: opening it first would make an empty one.
    unsigned long long StoredRecords()
    {
        if (::access(collected.File("FileExtentCollector.db").c_str(), F_OK) != 0)
            return 0;
        try
        {
            const std::string records = Collected("SELECT coalesce(sum(Records), 0) FROM Agents;");
            return records.empty() ? 0 : std::stoull(records);
        }
        catch (const std::exception&)
        {
            return 0; // its tables are being made
        }
    }
    std::vector<std::vector<std::string>> CollectedRows()
    {
        return SqliteFile(collected.File("FileExtentCollector.db")).Rows(Rows);
    }
    FILEEXTENT_REDIS::CRedisReply Redis(const std::vector<std::string>& arguments)
    {
        FILEEXTENT_REDIS::CRedisAddress address;
        EXPECT_FALSE(FILEEXTENT_REDIS::CRedisAddress::Parse(redis.Address(), address).IsError());
        FILEEXTENT_REDIS::CRedisConnection connection(address, std::chrono::seconds(5));
        FILEEXTENT_REDIS::CRedisReply reply;
        EXPECT_FALSE(connection.Command(arguments, reply).IsError());
        return reply;
    }

    RedisServer redis;
    TempDir agentsDir;
    TempDir collected;
    TempDir scratch;
};

// Agents restore disjoint and shared parts of one job; the collector's decided rows are those of
// the same restore done in one process, and top and report read them.
TEST_F(DistributedRedisToolTest, AgentsAndACollectorEndWithTheRowsOfOneRestore)
{
    for (const char* block : {"0", "16"})
    {
        SCOPED_TRACE(block);
        const ToolRun agents = Agents("3", block);
        ASSERT_EQ(0, agents.exitCode) << agents.err;
        EXPECT_EQ(0u, agents.SummaryNumber("failed-sends"));
        const ToolRun collect = Collect(std::string("c-") + block);
        ASSERT_EQ(0, collect.exitCode) << collect.err;
        EXPECT_EQ(agents.SummaryNumber("sent"), collect.SummaryNumber("entries"));
        EXPECT_EQ(OrdinaryRows(), CollectedRows());
        EXPECT_EQ(0, Redis({"XLEN", "fileextent:job-1"}).Number) << "acknowledged entries are trimmed";
    }
    const ToolRun top = RunTool({"top", "--redis", redis.Address(), "--job", "job-1", "--dir", collected.Path(),
                                 "--once"},
                                scratch.Path());
    ASSERT_EQ(0, top.exitCode) << top.err;
    for (const char* text : {"agent-0", "agent-2", "c-16", "lag 0, pending 0", "total  300"})
        EXPECT_NE(std::string::npos, top.out.find(text)) << text << "\n" << top.out;
    const ToolRun report = RunTool({"report", "--dir", collected.Path(), "--collector", "--summary"}, scratch.Path());
    ASSERT_EQ(0, report.exitCode) << report.err;
    EXPECT_NE(std::string::npos, report.out.find("FileExtentCollector.db"));
}

// A collector killed in the middle of the stream and started again under its name reads what it
// left pending first: nothing is lost, and no agent's record is kept twice.
TEST_F(DistributedRedisToolTest, ACollectorKilledMidStreamLosesNothingOnRestart)
{
    const ToolRun agents = Agents("3");
    ASSERT_EQ(0, agents.exitCode) << agents.err;
    const unsigned long long sent = agents.SummaryNumber("sent");
    {
        TempDir output;
        std::vector<std::string> args = CollectArgs("steady", "5");
        BackgroundTool collector(args, output.Path());
        // Killed once it has stored some batches, well before the end.
        for (int i = 0; i < 500 && StoredRecords() == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ::kill(collector.Pid(), SIGKILL);
        collector.Wait();
    }
    EXPECT_LT(StoredRecords(), sent) << "the kill came too late to test anything";

    const ToolRun restart = Collect("steady");
    ASSERT_EQ(0, restart.exitCode) << restart.err;
    EXPECT_EQ(OrdinaryRows(), CollectedRows());
    // Every entry was stored once; one the kill left stored but unacknowledged counts as stale.
    EXPECT_EQ(std::to_string(sent), Collected("SELECT sum(Records) FROM Agents;"));
    EXPECT_EQ(Collected("SELECT count(*) FROM (SELECT DISTINCT FilePath, RestoredItemVersion, AgentId FROM "
                        "AgentItems);"),
              Collected("SELECT count(*) FROM AgentItems;"));
    EXPECT_EQ(0, Redis({"XPENDING", "fileextent:job-1", "collectors"}).Elements[0].Number);
}

// Two collectors of one group on one directory share the stream: each entry is stored by one.
TEST_F(DistributedRedisToolTest, TwoCollectorsShareTheStreamAndEveryRecordLandsOnce)
{
    const ToolRun agents = Agents("4");
    ASSERT_EQ(0, agents.exitCode) << agents.err;
    TempDir outputA, outputB;
    BackgroundTool a(CollectArgs("collector-a", "10"), outputA.Path());
    BackgroundTool b(CollectArgs("collector-b", "10"), outputB.Path());
    const ToolRun runA = a.Wait();
    const ToolRun runB = b.Wait();
    ASSERT_EQ(0, runA.exitCode) << runA.err;
    ASSERT_EQ(0, runB.exitCode) << runB.err;
    EXPECT_GT(runA.SummaryNumber("entries"), 0u);
    EXPECT_GT(runB.SummaryNumber("entries"), 0u);
    EXPECT_EQ(agents.SummaryNumber("sent"), runA.SummaryNumber("entries") + runB.SummaryNumber("entries"));
    // An agent's older record that one collector stores after the other stored a newer one changes
    // nothing (stale); every entry is either.
    EXPECT_EQ(std::to_string(agents.SummaryNumber("sent")), Collected("SELECT sum(Records) + sum(Stale) FROM Agents;"));
    ASSERT_EQ(0, Collect("collector-a").exitCode); // decides what both stored
    EXPECT_EQ(OrdinaryRows(), CollectedRows());
}

// What no agent sends goes to the dead-letter stream with its reason; the rest is stored.
TEST_F(DistributedRedisToolTest, MalformedEntriesGoToTheDeadLetterStream)
{
    Redis({"XADD", "fileextent:job-1", "*", "agent", "a", "incarnation", "1", "seq", "1", "kind", "xdr", "number",
           "402653345", "data", std::string("\0\0\0\x40<message", 12)});
    Redis({"XADD", "fileextent:job-1", "*", "agent", "a", "incarnation", "1", "seq", "2", "kind", "xml", "data",
           "<message group="});
    Redis({"XADD", "fileextent:job-1", "*", "agent", "a", "seq", "3"});
    const ToolRun collect = Collect("c", false);
    ASSERT_EQ(0, collect.exitCode) << collect.err;
    EXPECT_EQ(3u, collect.SummaryNumber("dead-lettered"));
    const FILEEXTENT_REDIS::CRedisReply dead = Redis({"XRANGE", "fileextent:job-1:dead", "-", "+"});
    ASSERT_EQ(3u, dead.Elements.size());
    std::string reasons;
    for (const FILEEXTENT_REDIS::CRedisReply& entry : dead.Elements)
    {
        const std::vector<FILEEXTENT_REDIS::CRedisReply>& fields = entry.Elements[1].Elements;
        for (std::size_t i = 0; i + 1 < fields.size(); i += 2)
            if (fields[i].Text == "reason")
                reasons += fields[i + 1].Text + "\n";
    }
    for (const char* text : {"Truncated XDR", "does not parse", "incarnation"})
        EXPECT_NE(std::string::npos, reasons.find(text)) << text << "\n" << reasons;
    // The two that were messages count against their agent; the third never named one.
    EXPECT_EQ("2", Collected("SELECT sum(Refused) FROM Agents;"));
    EXPECT_EQ(0, Redis({"XPENDING", "fileextent:job-1", "collectors"}).Elements[0].Number);
}
} // namespace
