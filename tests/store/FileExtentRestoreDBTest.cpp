#include "platform/ZuUtils/FXErrorUtil.h"
#include "store/FileExtentRestoreDB.h"
#include "support/SQLiteProbe.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

using FILEEXTENT_RESTORE::CFileExtentRestoreDB;

namespace
{
class FileExtentRestoreDBTest : public ::testing::Test
{
protected:
    std::string Path() const { return dir.File(FILEEXTENT_RESTORE::FileExtentLocalDBName); }

    std::unique_ptr<CFileExtentRestoreDB> Make(unsigned int version)
    {
        return std::make_unique<CFileExtentRestoreDB>(dir.Path(), FILEEXTENT_RESTORE::FileExtentLocalDBName, version);
    }

    long long UserVersion() { return SQLiteProbe(Path()).Int("PRAGMA user_version;"); }

    TempDir dir;
};

TEST_F(FileExtentRestoreDBTest, NamesItsFileInTheDirectory)
{
    EXPECT_STREQ("FileExtentRestore.db", FILEEXTENT_RESTORE::FileExtentLocalDBName);
    EXPECT_STREQ("FileExtentRecall.db", FILEEXTENT_RESTORE::FileExtentRecallLocalDBName);
    auto db = Make(1);
    EXPECT_EQ(Path(), db->GetDBPath());
    EXPECT_FALSE(db->DoesDBExist()); // nothing opens before first use
}

TEST_F(FileExtentRestoreDBTest, ANewFileReceivesTheVersionAndAnExistingOneKeepsIt)
{
    {
        auto db = Make(1);
        ASSERT_FALSE(db->OpenDB().IsError());
        EXPECT_EQ(1u, db->GetApplicationDBVersion());
    }
    EXPECT_EQ(1, UserVersion());
    auto again = Make(5);
    ASSERT_FALSE(again->OpenDB().IsError());
    EXPECT_EQ(1u, again->GetApplicationDBVersion());
    again.reset();
    EXPECT_EQ(1, UserVersion());
}

TEST_F(FileExtentRestoreDBTest, AnyStoredVersionIsAccepted)
{
    SQLiteProbe(Path()).Exec("PRAGMA user_version=7;");
    auto db = Make(1);
    ASSERT_FALSE(db->OpenDB().IsError());
    EXPECT_EQ(7u, db->GetApplicationDBVersion());
    db.reset();
    EXPECT_EQ(7, UserVersion());
}

TEST_F(FileExtentRestoreDBTest, VersionZeroCannotBeSet)
{
    auto db = Make(0);
    CZuError err = db->OpenDB();
    EXPECT_TRUE(FXErrorUtil::IsWin32(err, 774));
    EXPECT_EQ("Failed to set the DB version", err.GetMessage());
}

TEST_F(FileExtentRestoreDBTest, AFileThatIsNotADatabaseFailsToOpen)
{
    {
        std::ofstream garbage(Path(), std::ios::binary);
        garbage << std::string(1000, '\x7f');
    }
    auto db = Make(1);
    CZuError err = db->OpenDB();
    EXPECT_TRUE(FXErrorUtil::IsSQLite(err, 26)) << err.AsString();
    EXPECT_FALSE(db->DoesTableExist("RestoredItems"));
}

TEST_F(FileExtentRestoreDBTest, DuplicateReplacesOrCreatesTheDestination)
{
    auto db = Make(1);
    ASSERT_FALSE(db->Execute("CREATE TABLE Src (K TEXT PRIMARY KEY, N INT);").IsError());
    ASSERT_FALSE(db->Execute("INSERT INTO Src VALUES('a', 1), ('b', 2);").IsError());
    ASSERT_FALSE(db->Execute("CREATE TABLE Dst (X INT);").IsError());
    ASSERT_FALSE(db->Execute("INSERT INTO Dst VALUES(9);").IsError());

    ASSERT_FALSE(db->DuplicateTable("Src", "Dst").IsError());
    ASSERT_FALSE(db->DuplicateTable("Src", "Fresh").IsError());
    SQLiteProbe probe(Path());
    EXPECT_EQ(2, probe.Int("SELECT count(*) FROM Dst WHERE K IN ('a', 'b');"));
    EXPECT_EQ(3, probe.Int("SELECT sum(N) FROM Fresh;"));

    CZuError err = db->DuplicateTable("Absent", "Other");
    EXPECT_TRUE(FXErrorUtil::IsSQLite(err, 1));
    EXPECT_EQ("Failed to duplicate table [Absent] to [Other]: no such table: Absent", err.GetMessage());
}

TEST_F(FileExtentRestoreDBTest, RenameMovesTheTableAndRefusesATakenName)
{
    auto db = Make(1);
    ASSERT_FALSE(db->Execute("CREATE TABLE A (X INT);").IsError());
    ASSERT_FALSE(db->Execute("CREATE TABLE B (X INT);").IsError());
    CZuError err = db->RenameTable("A", "B");
    EXPECT_TRUE(err.IsError());
    EXPECT_EQ("Failed to rename table [A] to [B]: there is already another table or index with this name: B",
              err.GetMessage());
    ASSERT_FALSE(db->RenameTable("A", "C").IsError());
    EXPECT_FALSE(db->DoesTableExist("A"));
    EXPECT_TRUE(db->DoesTableExist("C"));
}

TEST_F(FileExtentRestoreDBTest, DeleteDBLeavesNoLogForTheNextFileAtThePath)
{
    auto db = Make(1);
    ASSERT_FALSE(db->OpenDB().IsError());
    ASSERT_FALSE(db->Execute("CREATE TABLE A (X INT);").IsError());
    ASSERT_FALSE(db->CloseDB().IsError());
    // What a crash leaves behind.
    for (const char* companion : {"-wal", "-shm"})
        std::ofstream(Path() + companion, std::ios::binary) << std::string(64, 'w');

    ASSERT_FALSE(db->DeleteDB().IsError());
    EXPECT_FALSE(db->DoesDBExist());
    EXPECT_FALSE(std::ifstream(Path() + "-wal").good());
    EXPECT_FALSE(std::ifstream(Path() + "-shm").good());

    auto fresh = Make(1);
    ASSERT_FALSE(fresh->OpenDB().IsError());
    EXPECT_FALSE(fresh->DoesTableExist("A"));
}

TEST_F(FileExtentRestoreDBTest, DeletingAnAbsentFileIsAnError)
{
    auto db = Make(1);
    EXPECT_TRUE(FXErrorUtil::IsWin32(db->DeleteDB(), ERROR_FILE_NOT_FOUND));
}
} // namespace
