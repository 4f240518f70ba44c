#include "support/TempDir.h"
#include "tools/ToolRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace
{
void Write(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

class BadInputTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!ToolAvailable())
            GTEST_SKIP() << "fileextentctl is not built";
    }

    // Bad input: the given exit code, one line on stderr naming the problem, nothing on stdout.
    void ExpectRefused(const std::vector<std::string>& args, int exitCode, const std::string& words)
    {
        std::string command;
        for (const std::string& arg : args)
            command += arg + " ";
        SCOPED_TRACE(command);
        const ToolRun run = RunTool(args, scratch.Path());
        EXPECT_EQ(run.exitCode, exitCode) << run.err;
        ASSERT_EQ(run.ErrLines().size(), 1u) << run.err;
        EXPECT_NE(run.err.find(words), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }

    TempDir data;
    TempDir scratch;
};

TEST_F(BadInputTest, UsageErrorsExitWithTwo)
{
    const std::string dir = data.Path();
    ExpectRefused({"simulate", "--dir", dir, "--files", "-1"}, 2, "--files");
    ExpectRefused({"simulate", "--dir", dir, "--extents", "-5"}, 2, "--extents");
    ExpectRefused({"simulate", "--dir", dir, "--files", "ten"}, 2, "--files");
    ExpectRefused({"simulate", "--dir", dir, "--fail-rate", "1.5"}, 2, "--fail-rate");
    ExpectRefused({"simulate", "--dir", dir, "--skip-rate", "-0.1"}, 2, "--skip-rate");
    ExpectRefused({"simulate", "--dir", dir, "--fail-rate", "0.7", "--skip-rate", "0.5"}, 2, "add up to more than 1");
    ExpectRefused({"simulate", "--dir", dir, "--block", "4"}, 2, "--distributed");
    ExpectRefused({"report", "--dir", dir, "--status", "DONE"}, 2, "unknown status 'DONE'");
    ExpectRefused({"recall", "report", "--dir", dir, "--status", "DONE"}, 2, "unknown status 'DONE'");
    ExpectRefused({"report", "--dir", dir, "--format", "xml"}, 2, "unknown format 'xml'");
    ExpectRefused({"recall", "simulate", "--files", "-3"}, 2, "--files");
    // Negative, fractional or out-of-range numbers never wrap or round.
    ExpectRefused({"simulate", "--dir", dir, "--seed", "-1"}, 2, "--seed");
    ExpectRefused({"simulate", "--dir", dir, "--seed", "18446744073709551616"}, 2, "--seed");
    ExpectRefused({"simulate", "--dir", dir, "--tasks", "2.5"}, 2, "--tasks");
    ExpectRefused({"simulate", "--dir", dir, "--crash-after", "-1"}, 2, "--crash-after");
    ExpectRefused({"simulate", "--dir", dir, "--distributed", "--block", "1e3"}, 2, "--block");
    ExpectRefused({"report", "--dir", dir, "--limit", "-1"}, 2, "--limit");
    ExpectRefused({"report", "--dir", dir, "--task", "1.5"}, 2, "--task");
    ExpectRefused({"report", "--dir", dir, "--summary", "--watch", "0"}, 2, "--watch");
    ExpectRefused({"report", "--dir", dir, "--watch", "5"}, 2, "--summary");
    ExpectRefused({"simulate", "--dir", dir, "--resume", "--distributed"}, 2, "collector");
    ExpectRefused({"frobnicate"}, 2, "frobnicate");
    ExpectRefused({}, 2, "subcommand");
    // Nothing was created by any of them.
    EXPECT_TRUE(std::filesystem::is_empty(dir));
}

TEST_F(BadInputTest, DirectoriesThatCannotBeUsedExitWithOne)
{
    ExpectRefused({"simulate", "--dir", data.File("missing/child")}, 1, "does not exist");
    ExpectRefused({"report", "--dir", data.File("missing")}, 1, "does not exist");
    ExpectRefused({"recall", "report", "--dir", data.File("missing")}, 1, "does not exist");
    Write(data.File("plain"), "x");
    ExpectRefused({"simulate", "--dir", data.File("plain")}, 1, "not a directory");
    // /proc takes no new files, not even from root.
    ExpectRefused({"simulate", "--dir", "/proc"}, 1, "cannot be written");
    ExpectRefused({"report", "--dir", data.Path()}, 1, "no database");
}

TEST_F(BadInputTest, ALibraryFailureKeepsItsCause)
{
    ASSERT_EQ(RunTool({"simulate", "--dir", data.Path(), "--files", "5"}, scratch.Path()).exitCode, 0);
    std::filesystem::create_directory(data.File("FileExtentRestore.db-wal"));
    ExpectRefused({"simulate", "--dir", data.Path(), "--files", "5", "--resume"}, 1,
                  "unable to open database file");
    ExpectRefused({"simulate", "--dir", data.File("absent"), "--resume"}, 1, "no database");
}

TEST_F(BadInputTest, AFileThatIsNotADatabaseIsNeitherReadNorReplaced)
{
    Write(data.File("FileExtentRestore.db"), "these are somebody's notes\n");
    Write(data.File("FileExtentRecall.db"), "more notes\n");
    ExpectRefused({"report", "--dir", data.Path()}, 1, "not a SQLite database");
    ExpectRefused({"recall", "report", "--dir", data.Path()}, 1, "not a SQLite database");
    ExpectRefused({"simulate", "--dir", data.Path(), "--files", "5"}, 1, "not replacing it");
    ExpectRefused({"recall", "simulate", "--dir", data.Path(), "--files", "5"}, 1, "not replacing it");
    EXPECT_EQ(ReadWholeFile(data.File("FileExtentRestore.db")), "these are somebody's notes\n");
    EXPECT_EQ(ReadWholeFile(data.File("FileExtentRecall.db")), "more notes\n");
}

TEST_F(BadInputTest, ADatabaseOfTheOtherFacadeIsRefused)
{
    TempDir source;
    ASSERT_EQ(RunTool({"recall", "simulate", "--dir", source.Path(), "--files", "5", "--extents", "2"},
                      scratch.Path())
                  .exitCode,
              0);
    ASSERT_EQ(RunTool({"simulate", "--dir", source.Path(), "--files", "5", "--extents", "2"}, scratch.Path())
                  .exitCode,
              0);
    std::filesystem::copy_file(source.File("FileExtentRecall.db"), data.File("FileExtentRestore.db"));
    std::filesystem::copy_file(source.File("FileExtentRestore.db"), data.File("FileExtentRecall.db"));
    const std::string recallDb = ReadWholeFile(data.File("FileExtentRestore.db"));

    ExpectRefused({"report", "--dir", data.Path()}, 1, "RecalledItems of the other facade");
    ExpectRefused({"recall", "report", "--dir", data.Path()}, 1, "RestoredItems of the other facade");
    ExpectRefused({"simulate", "--dir", data.Path(), "--files", "5"}, 1, "not replacing it");
    EXPECT_EQ(ReadWholeFile(data.File("FileExtentRestore.db")), recallDb);
}
} // namespace
