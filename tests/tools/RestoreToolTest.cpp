#include "support/SqliteFile.h"
#include "support/TempDir.h"
#include "tools/CsvParser.h"
#include "tools/ToolRun.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace
{
const unsigned long long IncompleteRestoreError = 0x1700003E;

class RestoreToolTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!ToolAvailable())
            GTEST_SKIP() << "fileextentctl is not built";
    }

    ToolRun Run(std::vector<std::string> args)
    {
        return RunTool(args, scratch.Path());
    }
    // 50 files of 8 extents: 10 fail (5 incomplete, 5 reported failed), 5 are skipped.
    ToolRun Simulate(std::vector<std::string> extra = {})
    {
        std::vector<std::string> args = {"simulate", "--dir",       data.Path(), "--files",     "50",
                                         "--extents", "8",          "--tasks",   "3",           "--fail-rate",
                                         "0.2",       "--skip-rate", "0.1"};
        args.insert(args.end(), extra.begin(), extra.end());
        return Run(args);
    }
    nlohmann::json ReportJson(std::vector<std::string> extra = {})
    {
        std::vector<std::string> args = {"report", "--dir", data.Path(), "--format", "json"};
        args.insert(args.end(), extra.begin(), extra.end());
        const ToolRun run = Run(args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return nlohmann::json::parse(run.out);
    }

    TempDir data;
    TempDir scratch;
};

TEST_F(RestoreToolTest, SimulateSummaryCountsWhatTheDatabaseHolds)
{
    const ToolRun run = Simulate();
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.SummaryNumber("files"), 50u);
    EXPECT_EQ(run.SummaryNumber("restored"), 35u);
    EXPECT_EQ(run.SummaryNumber("failed"), 10u);
    EXPECT_EQ(run.SummaryNumber("skipped"), 5u);
    EXPECT_EQ(run.SummaryNumber("progressing"), 0u);
    EXPECT_EQ(run.Summary().at("database"), data.File("FileExtentRestore.db"));

    const nlohmann::json report = ReportJson();
    ASSERT_EQ(report["count"], 50);
    std::map<std::string, unsigned long long> byStatus;
    unsigned long long extents = 0;
    for (const nlohmann::json& item : report["items"])
    {
        ++byStatus[item["status"].get<std::string>()];
        extents += item["extents_done"].get<unsigned long long>();
        const std::string status = item["status"];
        if (status == "SUCCESS")
        {
            EXPECT_EQ(item["extents_done"], item["extents_total"]) << item.dump();
        }
        if (status == "FAILED")
        {
            EXPECT_NE(item["error_code"], 0) << item.dump();
        }
        if (status == "FAILED" && item["error_code"] == IncompleteRestoreError)
        {
            EXPECT_EQ(item["extents_done"].get<int>(), 7) << item.dump();
        }
    }
    EXPECT_EQ(byStatus["SUCCESS"], run.SummaryNumber("restored"));
    EXPECT_EQ(byStatus["FAILED"], run.SummaryNumber("failed"));
    EXPECT_EQ(byStatus["SKIPPED"], run.SummaryNumber("skipped"));
    EXPECT_EQ(extents, run.SummaryNumber("extents"));
}

TEST_F(RestoreToolTest, CsvAndTableCarryTheSameItemsAsJson)
{
    ASSERT_EQ(Simulate().exitCode, 0);
    const nlohmann::json json = ReportJson();
    const ToolRun csvRun = Run({"report", "--dir", data.Path(), "--format", "csv"});
    ASSERT_EQ(csvRun.exitCode, 0) << csvRun.err;
    const auto records = ParseCsv(csvRun.out);
    ASSERT_EQ(records.size(), 51u);
    const std::vector<std::string>& header = records[0];
    ASSERT_EQ(header.size(), 16u);
    EXPECT_EQ(header[0], "path");
    EXPECT_EQ(header[15], "new_name");

    bool sawQuotedPath = false;
    for (std::size_t i = 1; i < records.size(); ++i)
    {
        const nlohmann::json& item = json["items"][i - 1];
        const std::vector<std::string>& row = records[i];
        ASSERT_EQ(row.size(), 16u);
        EXPECT_EQ(row[0], item["path"].get<std::string>());
        EXPECT_EQ(row[1], std::to_string(item["version"].get<unsigned>()));
        EXPECT_EQ(row[2], item["status"].get<std::string>());
        EXPECT_EQ(row[3], std::to_string(item["error_code"].get<unsigned>()));
        EXPECT_EQ(row[12], std::to_string(item["attributes"]["value5"].get<unsigned long long>()));
        EXPECT_EQ(row[15], item["post_process_action"]["new_name"].get<std::string>());
        sawQuotedPath |= row[0].find_first_of(",\"'") != std::string::npos;
    }
    EXPECT_TRUE(sawQuotedPath) << "the simulation names some files with a comma and quotes";

    const ToolRun table = Run({"report", "--dir", data.Path()});
    ASSERT_EQ(table.exitCode, 0) << table.err;
    EXPECT_NE(table.out.find("50 item(s) in " + data.File("FileExtentRestore.db")), std::string::npos);
}

TEST_F(RestoreToolTest, ReportFiltersByStatusTaskAndLimit)
{
    ASSERT_EQ(Simulate().exitCode, 0);
    const nlohmann::json failed = ReportJson({"--status", "failed"});
    EXPECT_EQ(failed["count"], 10);
    for (const nlohmann::json& item : failed["items"])
        EXPECT_EQ(item["status"], "FAILED");

    const nlohmann::json task = ReportJson({"--task", "2"});
    EXPECT_GT(task["count"].get<int>(), 0);
    EXPECT_LT(task["count"].get<int>(), 50);
    for (const nlohmann::json& item : task["items"])
        EXPECT_EQ(item["task_id"], 2);

    EXPECT_EQ(ReportJson({"--limit", "3"})["count"], 3);
    EXPECT_EQ(ReportJson({"--task", "99"})["count"], 0);
}

TEST_F(RestoreToolTest, SecondSimulateStartsFromACleanDatabase)
{
    ASSERT_EQ(Simulate().exitCode, 0);
    const ToolRun second = Run({"simulate", "--dir", data.Path(), "--files", "20", "--extents", "4"});
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(second.SummaryNumber("files"), 20u);
    EXPECT_EQ(ReportJson()["count"], 20);
}

TEST_F(RestoreToolTest, SameSeedGivesTheSameRestore)
{
    ASSERT_EQ(Simulate({"--seed", "42"}).exitCode, 0);
    const std::string first = ReportJson().dump();
    ASSERT_EQ(Simulate({"--seed", "42"}).exitCode, 0);
    EXPECT_EQ(ReportJson().dump(), first);
    ASSERT_EQ(Simulate({"--seed", "43"}).exitCode, 0);
    EXPECT_NE(ReportJson().dump(), first);
}

TEST_F(RestoreToolTest, ReportLeavesTheDatabaseUntouched)
{
    ASSERT_EQ(Simulate().exitCode, 0);
    const std::string before = ReadWholeFile(data.File("FileExtentRestore.db"));
    ASSERT_EQ(Run({"report", "--dir", data.Path(), "--format", "csv"}).exitCode, 0);
    EXPECT_EQ(ReadWholeFile(data.File("FileExtentRestore.db")), before);
}

TEST_F(RestoreToolTest, LibraryLogGoesToTheDirectory)
{
    ASSERT_EQ(Simulate({"-v"}).exitCode, 0);
    const std::string log = ReadWholeFile(data.File("fileextentctl.log"));
    EXPECT_NE(log.find("Marking the item["), std::string::npos) << "incomplete items are logged as failed";
}

TEST_F(RestoreToolTest, DistributedCollectorHoldsEveryRecord)
{
    for (const char* block : {"0", "16"})
    {
        SCOPED_TRACE(block);
        const ToolRun run = Simulate({"--distributed", "--block", block});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.SummaryNumber("files"), 50u);
        EXPECT_EQ(run.SummaryNumber("restored"), 35u);
        EXPECT_EQ(run.SummaryNumber("failed"), 10u);
        EXPECT_EQ(run.SummaryNumber("skipped"), 5u);
        EXPECT_NE(run.out.find("collector merged and decided"), std::string::npos);
        const std::string messages = run.Summary().at("messages");
        EXPECT_NE(messages.find(std::string(block) == "0" ? "0 XML" : "0 XDR"), std::string::npos) << messages;

        const SqliteFile collector(data.File("FileExtentCollector.db"));
        EXPECT_EQ(collector.Scalar("SELECT count(*) FROM RestoredItems;"), "50");
        EXPECT_EQ(collector.Scalar("SELECT count(*) FROM RestoredItems WHERE Status=2;"), "5");
        EXPECT_EQ(collector.Scalar("SELECT count(*) FROM RestoredItems WHERE Status=0;"), "35") << "decided";
        EXPECT_EQ(collector.Scalar("SELECT count(*) FROM RestoredItems WHERE ContainerItemRestored=1 AND "
                                   "TaskId BETWEEN 1 AND 3 AND RestoredFilePath LIKE '/restore/%';"),
                  "50");
        // Complete files arrive with every extent bit set: 8 characters of '1'.
        EXPECT_EQ(collector.Scalar("SELECT count(*) FROM RestoredItems WHERE CAST(ExtentBitmap AS TEXT)='11111111';"),
                  "40");
        // Nothing went to the local table.
        const SqliteFile local(data.File("FileExtentRestore.db"));
        EXPECT_EQ(local.Scalar("SELECT count(*) FROM RestoredItems;"), "0");
    }
}
} // namespace
