#include "support/SqliteFile.h"
#include "support/TempDir.h"
#include "tools/ToolRun.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>

namespace
{
// The stored outcome of every file, in one order, for comparing two restores.
const char* const RowsSql =
    "SELECT FilePath, RestoredItemVersion, Status, ErrorCode, CAST(ExtentBitmap AS TEXT), RestoredFilePath, "
    "Metadata, PostProcessAction, TaskId FROM RestoredItems ORDER BY FilePath, RestoredItemVersion;";
// The reported extents: the '1' characters of every bitmap.
const char* const BitsSql =
    "SELECT sum(length(ExtentBitmap) - length(replace(CAST(ExtentBitmap AS TEXT), '1', ''))) FROM RestoredItems";

class ResumeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!ToolAvailable())
            GTEST_SKIP() << "fileextentctl is not built";
    }

    ToolRun Run(const std::vector<std::string>& args) { return RunTool(args, scratch.Path()); }
    // 400 files of 9 extents in 3 tasks; 80 fail (40 of them lack an extent), 40 are skipped:
    // 3200 extent events in all.
    ToolRun Simulate(const TempDir& dir, std::vector<std::string> extra = {})
    {
        std::vector<std::string> args = {"simulate",    "--dir",     dir.Path(), "--files", "400", "--extents", "9",
                                         "--tasks",     "3",         "--fail-rate", "0.2",  "--skip-rate", "0.1",
                                         "--seed",      "11"};
        args.insert(args.end(), extra.begin(), extra.end());
        return Run(args);
    }
    static std::string Db(const TempDir& dir) { return dir.File("FileExtentRestore.db"); }

    TempDir whole;
    TempDir interrupted;
    TempDir scratch;
};

// Killed after 2500 extent events, two flushes (1000, 2000) had landed: the resume sends each
// known file only what it lacks, and ends with the rows of the run that was never interrupted.
// What counts as known differs by mode: written at once, every file begun before the kill has
// its row, so the 500 extents reported after the last flush are sent again to known files; with
// the next pass, only the file being reported at the second flush is known and incomplete.
TEST_F(ResumeTest, InterruptedThenResumedEqualsUninterrupted)
{
    ASSERT_EQ(Simulate(whole).exitCode, 0);
    struct Mode
    {
        const char* name;
        std::uint64_t resentAtLeast;
        std::uint64_t resentBelow;
    };
    for (const Mode& mode : {Mode{"at-once", 500, 509}, Mode{"with-next-pass", 1, 9}})
    {
        SCOPED_TRACE(mode.name);
        TempDir dir;
        const ToolRun crash = Simulate(dir, {"--crash-after", "2500", "--new-records", mode.name});
        ASSERT_EQ(crash.exitCode, 128 + SIGKILL) << crash.err;
        EXPECT_EQ(SqliteFile(Db(dir)).Scalar(BitsSql), "2000");

        const ToolRun resume = Simulate(dir, {"--resume", "--new-records", mode.name});
        ASSERT_EQ(resume.exitCode, 0) << resume.err;
        EXPECT_EQ(resume.SummaryNumber("landed"), 2000u);
        EXPECT_GE(resume.SummaryNumber("resent"), mode.resentAtLeast);
        EXPECT_LT(resume.SummaryNumber("resent"), mode.resentBelow);
        EXPECT_EQ(resume.SummaryNumber("files"), 400u);
        // Its events: a container report per file it did not know, and every extent it sent.
        EXPECT_EQ(resume.SummaryNumber("landed") + resume.SummaryNumber("events") -
                      (400 - resume.SummaryNumber("resumed")),
                  3200u);

        EXPECT_EQ(SqliteFile(Db(dir)).Rows(RowsSql), SqliteFile(Db(whole)).Rows(RowsSql));
        const ToolRun again = Simulate(dir, {"--resume"});
        ASSERT_EQ(again.exitCode, 0) << again.err;
        EXPECT_EQ(again.SummaryNumber("resumed"), 400u);
        EXPECT_EQ(again.SummaryNumber("resent"), 0u);
        EXPECT_EQ(SqliteFile(Db(dir)).Rows(RowsSql), SqliteFile(Db(whole)).Rows(RowsSql));
    }
}

TEST_F(ResumeTest, SummaryCountsWhatTheDatabaseHolds)
{
    ASSERT_EQ(Simulate(interrupted, {"--crash-after", "3100"}).exitCode, 128 + SIGKILL);
    // Read while the killed writer's log is still there, as during a restore.
    const ToolRun run = Run({"report", "--dir", interrupted.Path(), "--summary", "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const nlohmann::json summary = nlohmann::json::parse(run.out);

    const SqliteFile db(Db(interrupted));
    ASSERT_EQ(summary["tasks"].size(), 3u);
    for (const nlohmann::json& task : summary["tasks"])
    {
        const std::string where = std::string(" WHERE TaskId=") + task["task_id"].dump();
        SCOPED_TRACE(where);
        EXPECT_EQ(task["files"].dump(), db.Scalar("SELECT count(*) FROM RestoredItems" + where));
        const char* names[] = {"success", "failed", "skipped", "progressing"};
        for (int status = 0; status < 4; ++status)
            EXPECT_EQ(task[names[status]].dump(), db.Scalar("SELECT count(*) FROM RestoredItems" + where +
                                                            " AND Status=" + std::to_string(status)));
        EXPECT_EQ(task["extents_done"].dump(), db.Scalar(BitsSql + where));
        EXPECT_EQ(task["extents_total"].dump(), db.Scalar("SELECT sum(NumOfExtents) FROM RestoredItems" + where));
    }
    const nlohmann::json& total = summary["total"];
    EXPECT_EQ(total["extents_done"], 3000) << "the flush after the 3000th extent event";
    EXPECT_EQ(total["files"].dump(), db.Scalar("SELECT count(*) FROM RestoredItems;"));
    const double percent = 100.0 * 3000 / total["extents_total"].get<double>();
    EXPECT_NEAR(total["percent"].get<double>(), percent, 0.1);
    EXPECT_LE(total["percent"].get<double>(), percent);
}

TEST_F(ResumeTest, MissingExtentsAreListedAsRanges)
{
    ASSERT_EQ(Simulate(interrupted).exitCode, 0);
    SqliteFile db(Db(interrupted));
    // A restored file now said to have had 13 extents, of which 4, 5, 6 and 8 were reported (the
    // text holds extent 12 first).
    db.Exec("UPDATE RestoredItems SET NumOfExtents=13, ExtentBitmap=CAST('0000101110000' AS BLOB), TaskId=7, "
            "Status=3 WHERE rowid=(SELECT min(rowid) FROM RestoredItems WHERE Status=0);");
    const std::string path = db.Scalar("SELECT FilePath FROM RestoredItems WHERE TaskId=7;");

    const ToolRun task = Run({"report", "--dir", interrupted.Path(), "--missing", "--task", "7", "--format", "json"});
    ASSERT_EQ(task.exitCode, 0) << task.err;
    const nlohmann::json one = nlohmann::json::parse(task.out);
    ASSERT_EQ(one["count"], 1);
    EXPECT_EQ(one["items"][0]["path"], path);
    EXPECT_EQ(one["items"][0]["missing"], "0-3,7,9-12");
    EXPECT_EQ(one["items"][0]["extents_missing"], 9);

    // The 40 files left incomplete lack one extent each; the files that failed otherwise lack none.
    const ToolRun all = Run({"report", "--dir", interrupted.Path(), "--missing", "--format", "csv"});
    ASSERT_EQ(all.exitCode, 0) << all.err;
    EXPECT_NE(all.out.find(",PROGRESSING,7,13,9,\"0-3,7,9-12\"\r\n"), std::string::npos) << all.out;
    const ToolRun failed = Run({"report", "--dir", interrupted.Path(), "--missing", "--status", "FAILED",
                                "--format", "json"});
    EXPECT_EQ(nlohmann::json::parse(failed.out)["count"], 40);
}
} // namespace
