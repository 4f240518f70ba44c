// The pieces every scenario leans on: fresh directories per round, connections set up as the
// library sets up its own, the in-memory bound, and the command line.
#include "BenchDirectory.h"
#include "BenchPlan.h"
#include "InMemoryHost.h"
#include "RestoreWorkload.h"
#include "SqliteDb.h"

#include "support/SqliteFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

TEST(BenchDirectoryTest, EveryRoundGetsAnEmptyDirectoryAndNothingIsLeftBehind)
{
    std::string path;
    {
        const CBenchDirectory dir;
        path = dir.Path();
        const std::string round = dir.NewSubdirectory("ours");
        std::ofstream(round + "/FileExtentRestore.db") << "a previous round";
        EXPECT_EQ(round, dir.NewSubdirectory("ours"));
        EXPECT_TRUE(std::filesystem::is_empty(round));
        std::ofstream(round + "/left.db") << "x";
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(SqliteDbTest, WritersUseWalWithNormalSyncAsTheLibraryDoes)
{
    const CBenchDirectory dir;
    {
        CSqliteDb db(dir.File("base.db"));
        EXPECT_EQ(1, db.Scalar("PRAGMA synchronous;"));
        db.Exec("CREATE TABLE t (b BLOB);");
        CSqliteStatement insert = db.Prepare("INSERT INTO t VALUES (?);");
        const std::string bytes("1\0" "01", 4);
        insert.BindBlob(1, bytes);
        insert.Run();
        CSqliteStatement select = db.Prepare("SELECT b FROM t;");
        ASSERT_TRUE(select.Step());
        EXPECT_EQ(bytes, select.Bytes(0));
        EXPECT_FALSE(select.Step());
    }
    EXPECT_EQ("wal", SqliteFile(dir.File("base.db")).Scalar("PRAGMA journal_mode;"));
    EXPECT_THROW(CSqliteDb(dir.File("absent.db"), CSqliteDb::Mode::ReadOnly), std::runtime_error);
    CSqliteDb db(dir.File("base.db"));
    EXPECT_THROW(db.Exec("INSERT INTO missing VALUES (1);"), std::runtime_error);
}

TEST(InMemoryHostTest, CountsOnlyCompleteFilesAndARepeatedFileStartsOver)
{
    const CRestoreWorkload workload(3, 4);
    CInMemoryHost host;
    workload.Replay(host);
    host.OnFile(workload, 1);
    host.OnExtent(workload, 1, 0);
    host.Finish();
    EXPECT_EQ(2u, host.Complete());
}

namespace
{
CBenchPlan Plan(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "fileextent_bench");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(&argument[0]);
    return CBenchPlan(static_cast<int>(argv.size()), argv.data());
}
} // namespace

TEST(BenchPlanTest, RunsEverythingInFullUnlessAskedOtherwise)
{
    const CBenchPlan full = Plan({});
    EXPECT_TRUE(full.Runs(1) && full.Runs(5));
    EXPECT_EQ(7, full.Rounds(7));

    const CBenchPlan some = Plan({"--only=2,4", "--quick"});
    EXPECT_FALSE(some.Runs(1));
    EXPECT_TRUE(some.Runs(2) && some.Runs(4));
    EXPECT_EQ(3, some.Rounds(7));
    EXPECT_EQ(1, some.Rounds(1));
    EXPECT_THROW(Plan({"--rounds=9"}), std::invalid_argument);
}
