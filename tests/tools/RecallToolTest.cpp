#include "support/TempDir.h"
#include "tools/CsvParser.h"
#include "tools/ToolRun.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>

namespace
{
class RecallToolTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!ToolAvailable())
            GTEST_SKIP() << "fileextentctl is not built";
    }

    ToolRun Run(const std::vector<std::string>& args) { return RunTool(args, scratch.Path()); }

    TempDir data;
    TempDir scratch;
};

TEST_F(RecallToolTest, SimulateThenReportAgree)
{
    const ToolRun run = Run({"recall", "simulate", "--dir", data.Path(), "--files", "50", "--extents", "8",
                             "--fail-rate", "0.2", "--skip-rate", "0.1"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.SummaryNumber("files"), 50u);
    // Failed recalls: half end FAILED, half never finish and stay PROGRESSING.
    EXPECT_EQ(run.SummaryNumber("recalled"), 35u);
    EXPECT_EQ(run.SummaryNumber("failed"), 5u);
    EXPECT_EQ(run.SummaryNumber("progressing"), 5u);
    EXPECT_EQ(run.SummaryNumber("skipped"), 5u);
    EXPECT_EQ(run.Summary().at("database"), data.File("FileExtentRecall.db"));

    const ToolRun report = Run({"recall", "report", "--dir", data.Path(), "--format", "json"});
    ASSERT_EQ(report.exitCode, 0) << report.err;
    const nlohmann::json json = nlohmann::json::parse(report.out);
    ASSERT_EQ(json["count"], 50);
    std::map<std::string, unsigned long long> byStatus;
    unsigned long long extents = 0;
    for (const nlohmann::json& item : json["items"])
    {
        ++byStatus[item["status"].get<std::string>()];
        extents += item["extents_done"].get<unsigned long long>();
        const nlohmann::json& metadata = item["metadata"];
        EXPECT_EQ(metadata["stub_data"].get<std::string>().rfind("stub:", 0), 0u) << item.dump();
        EXPECT_GT(metadata["file_size"].get<unsigned long long>(), 0u);
        if (item["status"] == "SKIPPED")
            continue;
        EXPECT_GT(metadata["stats"]["recall_duration"].get<long long>(), 0) << item.dump();
        EXPECT_GE(metadata["stats"]["recall_start_time"].get<long long>(), 1700000000);
        if (item["status"] == "SUCCESS")
        {
            EXPECT_EQ(item["extents_done"], 8);
            EXPECT_NE(metadata["change_time"], 0) << "time stamps were flushed before DeInitialize";
        }
    }
    EXPECT_EQ(byStatus["SUCCESS"], 35u);
    EXPECT_EQ(byStatus["FAILED"], 5u);
    EXPECT_EQ(extents, run.SummaryNumber("extents"));

    const ToolRun csv = Run({"recall", "report", "--dir", data.Path(), "--format", "csv", "--status", "SUCCESS"});
    ASSERT_EQ(csv.exitCode, 0) << csv.err;
    const auto records = ParseCsv(csv.out);
    ASSERT_EQ(records.size(), 36u);
    for (std::size_t i = 1; i < records.size(); ++i)
        ASSERT_EQ(records[i].size(), records[0].size());
}
} // namespace
