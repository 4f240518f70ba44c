// The baselines only mean something if they do the library's work: the same rows in the same
// table, and the same final decision per row.
#include "LibraryRecallHost.h"
#include "LibraryRestoreHost.h"
#include "NaiveSqliteHost.h"
#include "RecallFloorHost.h"
#include "RecalledItemsSql.h"
#include "RestoreFloorHost.h"
#include "RestoreWorkload.h"
#include "RestoredItemsSql.h"
#include "SqliteDb.h"
#include "WriteLog.h"

#include "support/SqliteFile.h"
#include "support/TempDir.h"

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include <strings.h>

#include <filesystem>

using namespace FILEEXTENT_RESTORE;

namespace
{
const char* const kRows = "SELECT *, typeof(ExtentBitmap) FROM RestoredItems ORDER BY FilePath, RestoredItemVersion;";
const char* const kRecalledRows =
    "SELECT *, typeof(ExtentBitmap), typeof(Metadata) FROM RecalledItems ORDER BY FilePath;";

std::string TableSql(const std::string& dbPath, const std::string& table)
{
    return SqliteFile(dbPath).Scalar("SELECT sql FROM sqlite_master WHERE name = '" + table + "';");
}
} // namespace

class BaselineEquivalenceTest : public ::testing::Test
{
protected:
    std::string LibraryDb(const std::string& name)
    {
        const std::string path = dir.File(name);
        std::filesystem::create_directory(path);
        return path;
    }
    static std::string DbFile(const std::string& directory) { return directory + "/FileExtentRestore.db"; }

    TempDir dir;
};

// In either mode of the handler: the rows differ only in when they were written.
TEST_F(BaselineEquivalenceTest, NaiveHostAndRestoreFloorLeaveTheRowsTheLibraryLeaves)
{
    const CRestoreWorkload workload(40, 12);
    {
        CNaiveSqliteHost host;
        host.Open(dir.File("naive.db"));
        workload.Replay(host);
        host.Finish();
    }
    {
        CRestoreFloorHost host;
        host.Open(dir.File("floor.db"));
        workload.Replay(host);
        host.Finish();
    }
    for (bool nextPass : {false, true})
    {
        const std::string library = LibraryDb(nextPass ? "next-pass" : "at-once");
        {
            CLibraryRestoreHost host;
            host.Initialize(library, nextPass ? CLibraryRestoreHost::WithNextPass() : CFileExtentRestoreOptions());
            workload.Replay(host);
            host.Finish();
        }
        const auto expected = SqliteFile(DbFile(library)).Rows(kRows);
        ASSERT_EQ(40u, expected.size());
        EXPECT_EQ(expected, SqliteFile(dir.File("naive.db")).Rows(kRows)) << library;
        EXPECT_EQ(expected, SqliteFile(dir.File("floor.db")).Rows(kRows)) << library;
        EXPECT_EQ(TableSql(DbFile(library), "RestoredItems"), TableSql(dir.File("naive.db"), "RestoredItems"));
        EXPECT_EQ(TableSql(DbFile(library), "RestoredItems"), TableSql(dir.File("floor.db"), "RestoredItems"));
    }
}

// More files than the cache holds: up to the status decision, the floor writes the same rows as
// the handler that writes new rows at once, write for write, evictions included, and no more.
TEST_F(BaselineEquivalenceTest, RestoreFloorWritesWhatTheLibraryWritesWhenItWrites)
{
    const CRestoreWorkload workload(CRestoreFloorHost::kMaxHeld + 100, 2);
    const std::string library = LibraryDb("library");
    const std::string floor = dir.File("floor.db");
    for (const std::string& db : {DbFile(library), floor})
        WriteLog::Install(db, CRestoredItemsSql::Create(), CRestoredItemsSql::Table(), CRestoredItemsSql::Columns());
    CLibraryRestoreHost ours;
    ours.Initialize(library);
    workload.Replay(ours);
    ours.Flush();
    CRestoreFloorHost host;
    host.Open(floor);
    workload.Replay(host);
    EXPECT_LE(host.Held(), CRestoreFloorHost::kMaxHeld);
    host.Flush();

    const std::vector<std::string> written = WriteLog::Read(DbFile(library));
    // A row per file at its container report, then one write-back each.
    ASSERT_EQ(2 * workload.Files(), written.size());
    // The first eviction comes right after the file that took the cache past its size.
    EXPECT_EQ(0u, written.at(CRestoreFloorHost::kMaxHeld + 1).find("UPDATE|'/data/projects/dir0000/file0000000.bin'"));
    EXPECT_EQ(written, WriteLog::Read(floor));
    ours.UpdateStatus();
    ours.DeInitialize();
    host.Finish();
    EXPECT_EQ(SqliteFile(DbFile(library)).Rows(kRows), SqliteFile(floor).Rows(kRows));
}

// The metadata text changes when the extent events bring their statistics: the floor stores at
// each write what the manager stores. 130 extents end between two 64th events, 128 on one.
TEST_F(BaselineEquivalenceTest, RecallFloorWritesWhatTheManagerWritesWhenItWrites)
{
    for (std::size_t extents : {130, 128})
    {
        const CRestoreWorkload workload(3, extents);
        const std::string manager = LibraryDb("manager" + std::to_string(extents));
        const std::string managerDb = manager + "/FileExtentRecall.db";
        const std::string floor = dir.File("floor" + std::to_string(extents) + ".db");
        for (const std::string& db : {managerDb, floor})
            WriteLog::Install(db, CRecalledItemsSql::Create(), CRecalledItemsSql::Table(),
                              CRecalledItemsSql::Columns());
        {
            CLibraryRecallHost host;
            host.Initialize(manager);
            workload.Replay(host);
            host.Finish();
        }
        {
            CRecallFloorHost host;
            host.Open(floor);
            workload.Replay(host);
            host.Finish();
        }
        const std::vector<std::string> written = WriteLog::Read(managerDb);
        // The file-recall event, the 64th and 128th extent events, and the last one when it is neither.
        ASSERT_EQ(workload.Files() * (extents == 130 ? 4 : 3), written.size()) << extents;
        EXPECT_EQ(written, WriteLog::Read(floor)) << extents;
        const auto rows = SqliteFile(managerDb).Rows(kRecalledRows);
        ASSERT_EQ(3u, rows.size());
        EXPECT_EQ(rows, SqliteFile(floor).Rows(kRecalledRows)) << extents;
        EXPECT_EQ(TableSql(managerDb, "RecalledItems"), TableSql(floor, "RecalledItems"));
    }
}

TEST_F(BaselineEquivalenceTest, SetBasedStatusDecidesEveryRowAsUpdateStatus)
{
    const std::string source = LibraryDb("source");
    {
        CFileExtentRestoreHandler handler;
        ASSERT_FALSE(handler.Initialize(source, false, nullptr, nullptr, 0).IsError());
        auto container = [&](const std::string& path, ULONG version, ULONGLONG extents, const std::string& restored,
                             RestoreStatus status, unsigned int error) {
            auto report = boost::make_shared<CFileExtentContainerItemRestoreReport>();
            report->SetNoOfExtents(extents);
            report->SetRestoredFilePath(restored);
            report->SetRestoreStatus(status);
            report->SetErrCode(error);
            ASSERT_FALSE(handler.OnContainerItem(path, version, report).IsError()) << path;
        };
        auto extent = [&](const std::string& path, ULONG version, ULONGLONG number, RestoreStatus status,
                          unsigned int error) {
            auto report = boost::make_shared<CFileExtentExtentItemRestoreReport>();
            report->SetExtentNumber(number);
            report->SetRestoreStatus(status);
            report->SetErrCode(error);
            ASSERT_FALSE(handler.OnExtentItem(path, version, report).IsError()) << path;
        };
        container("/complete", 0, 2, "/r/complete", PROGRESSING, 0);
        extent("/complete", 0, 0, SUCCESS, 0);
        extent("/complete", 0, 1, PROGRESSING, 0);
        container("/complete", 1, 2, "/r/complete.v1", PROGRESSING, 0);
        extent("/complete", 1, 1, SUCCESS, 0);
        container("/hole", 0, 3, "/r/hole", PROGRESSING, 0);
        extent("/hole", 0, 0, SUCCESS, 0);
        extent("/hole", 0, 2, SUCCESS, 0);
        container("/hole-with-error", 0, 2, "/r/hole-with-error", PROGRESSING, 0);
        extent("/hole-with-error", 0, 0, SUCCESS, 5);
        container("/no-path", 0, 1, "", PROGRESSING, 0);
        extent("/no-path", 0, 0, SUCCESS, 0);
        container("/no-extents", 0, 0, "/r/no-extents", SUCCESS, 0);
        container("/skipped", 0, 2, "/r/skipped", SKIPPED, 0);
        container("/failed", 0, 2, "/r/failed", FAILED, 7);
        container("/short", 0, 2, "/r/short", PROGRESSING, 0);
        extent("/short", 0, 0, SUCCESS, 0);
        extent("/short", 0, 1, SUCCESS, 0);
        ASSERT_FALSE(handler.ResetContainerItemEntry("/reset", 0).IsError());
        ASSERT_FALSE(handler.DeInitialize().IsError());
    }
    // Rows only another writer leaves: a bitmap shorter than its extent count, absent values.
    SqliteFile(DbFile(source)).Exec("UPDATE RestoredItems SET NumOfExtents = 3 WHERE FilePath = '/short';"
                                    "INSERT INTO RestoredItems (FilePath, RestoredItemVersion, Status) "
                                    "VALUES ('/nulls', 0, 3);");

    const std::string library = LibraryDb("library");
    std::filesystem::copy_file(DbFile(source), DbFile(library));
    std::filesystem::copy_file(DbFile(source), dir.File("sql.db"));
    {
        CFileExtentRestoreHandler handler;
        ASSERT_FALSE(handler.Initialize(library, false, nullptr, nullptr, 0).IsError());
        ASSERT_FALSE(handler.UpdateStatus().IsError());
        ASSERT_FALSE(handler.DeInitialize().IsError());
    }
    {
        CSqliteDb db(dir.File("sql.db"));
        db.Exec(CRestoredItemsSql::DecideStatus());
    }

    const auto decided = SqliteFile(DbFile(library)).Rows(kRows);
    ASSERT_EQ(11u, decided.size());
    EXPECT_EQ(decided, SqliteFile(dir.File("sql.db")).Rows(kRows));
    // Both must have decided something: complete rows SUCCESS, incomplete ones FAILED, the rest alone.
    EXPECT_EQ("2", SqliteFile(dir.File("sql.db")).Scalar("SELECT count(*) FROM RestoredItems WHERE Status = 0;"));
    EXPECT_EQ("6", SqliteFile(dir.File("sql.db")).Scalar("SELECT count(*) FROM RestoredItems WHERE Status = 1 "
                                                        "AND ErrorCode = 385876030;"));
}

TEST(RestoreWorkloadTest, PathsArriveInTheLibrarysKeyOrder)
{
    const CRestoreWorkload workload(3000, 1);
    for (std::size_t file = 1; file < workload.Files(); ++file)
        ASSERT_LT(strcasecmp(workload.Path(file - 1).c_str(), workload.Path(file).c_str()), 0) << file;
}
