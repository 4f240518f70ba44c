#include "platform/ZuSQLite/ZuSQLite.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "support/SQLiteProbe.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
class DatabaseBaseTest : public ::testing::Test
{
protected:
    DatabaseBaseTest() : db(0)
    {
        db.SetDatabasePath(dir.Path());
        db.SetDatabaseName("wrapper.db");
    }

    std::string Path() const { return dir.File("wrapper.db"); }

    void MakeTable()
    {
        ASSERT_FALSE(db.CreateTable("T", "(K TEXT PRIMARY KEY, N INT, B BLOB)").IsError());
    }

    TempDir dir;
    FX::CDatabaseBase db;
};

TEST_F(DatabaseBaseTest, OpensAtFirstUseInWalModeAndCreatesTheFile)
{
    EXPECT_FALSE(db.DoesTableExist("T"));
    MakeTable();
    EXPECT_TRUE(db.DoesTableExist("T"));
    ASSERT_FALSE(db.Execute("INSERT INTO T VALUES('a', 1, NULL);").IsError());

    SQLiteProbe probe(Path());
    EXPECT_EQ("wal", probe.Text("PRAGMA journal_mode;"));
    EXPECT_EQ(1, probe.Int("SELECT count(*) FROM T;"));
    EXPECT_EQ(1, db.GetDatabase().ExecScalarInt64("PRAGMA synchronous;", -1)); // NORMAL
}

TEST_F(DatabaseBaseTest, CreateTableKeepsRowsAndDeleteTableToleratesAbsence)
{
    MakeTable();
    ASSERT_FALSE(db.Execute("INSERT INTO T VALUES('a', 1, NULL);").IsError());
    MakeTable();
    EXPECT_EQ(1, db.GetDatabase().ExecScalarInt64("SELECT count(*) FROM T;", 0));
    EXPECT_FALSE(db.DeleteTable("T").IsError());
    EXPECT_FALSE(db.DeleteTable("T").IsError());
    EXPECT_FALSE(db.DoesTableExist("T"));
}

TEST_F(DatabaseBaseTest, ReportsChangedRowsAndNoneForDdl)
{
    MakeTable();
    int changed = -1;
    ASSERT_FALSE(db.Execute("INSERT INTO T VALUES('a', 1, NULL), ('b', 2, NULL);", changed).IsError());
    EXPECT_EQ(2, changed);
    ASSERT_FALSE(db.Execute("CREATE TABLE U (X INT);", changed).IsError());
    EXPECT_EQ(0, changed);
    ASSERT_FALSE(db.DeleteAllRows("T").IsError());
    EXPECT_EQ(0, db.GetDatabase().ExecScalarInt64("SELECT count(*) FROM T;", -1));
}

TEST_F(DatabaseBaseTest, EngineFailuresAreErrorsWithExtendedCodes)
{
    MakeTable();
    ASSERT_FALSE(db.Execute("INSERT INTO T VALUES('a', 1, NULL);").IsError());
    CZuError err = db.Execute("INSERT INTO T VALUES('a', 2, NULL);");
    EXPECT_TRUE(FXErrorUtil::IsSQLite(err, 1555)) << err.AsString();

    boost::shared_ptr<FX::CSQLite3Statement> statement;
    ASSERT_FALSE(db.CompileStatement("INSERT INTO T VALUES(?, ?, ?);", statement).IsError());
    statement->Bind(1, "a");
    statement->Bind(2, 5);
    statement->BindNull(3);
    try
    {
        statement->ExecDML();
        FAIL() << "no exception";
    }
    catch (const FX::CSQLite3Exception& e)
    {
        EXPECT_EQ(1555, e.errorCode());
        ASSERT_NE(nullptr, e.errorMessage());
    }
    statement->Reset();

    EXPECT_TRUE(FXErrorUtil::IsSQLite(db.Execute("SELEC 1;"), 1));
}

TEST_F(DatabaseBaseTest, RefusesASecondStatementInOneText)
{
    MakeTable();
    CZuError err = db.Execute("INSERT INTO T VALUES('a', 1, NULL); DROP TABLE T;");
    EXPECT_TRUE(err.IsError());
    EXPECT_TRUE(db.DoesTableExist("T"));
    EXPECT_EQ(0, db.GetDatabase().ExecScalarInt64("SELECT count(*) FROM T;", -1));
}

TEST_F(DatabaseBaseTest, QueryFieldsReadDefaultsForNull)
{
    MakeTable();
    ASSERT_FALSE(db.Execute("INSERT INTO T VALUES('a', NULL, NULL);").IsError());
    ASSERT_FALSE(db.Execute("INSERT INTO T VALUES('b', 3000000000, x'0102');").IsError());
    boost::shared_ptr<FX::CSQLite3Query> query;
    ASSERT_FALSE(db.Query("SELECT K, N, B FROM T ORDER BY K;", query).IsError());
    ASSERT_FALSE(query->Eof());
    int length = -1;
    EXPECT_EQ(nullptr, query->GetBlobField("B", length));
    EXPECT_EQ(0, length);
    EXPECT_EQ(7, query->GetIntField("N", 7));
    EXPECT_EQ(8, query->GetBigIntField("n", 8)); // names match without regard to case
    EXPECT_EQ("dflt", query->GetStringField("N", "dflt"));
    query->NextRow();
    EXPECT_EQ("b", query->GetStringField("K", ""));
    EXPECT_EQ(3000000000LL, query->GetBigIntField("N", 0));
    const unsigned char* bytes = query->GetBlobField("B", length);
    ASSERT_EQ(2, length);
    EXPECT_EQ(2, bytes[1]);
    EXPECT_THROW(query->GetIntField("Missing", 0), FX::CSQLite3Exception);
    query->NextRow();
    EXPECT_TRUE(query->Eof());
    EXPECT_THROW(query->GetIntField(0, 0), FX::CSQLite3Exception);
}

TEST_F(DatabaseBaseTest, SqlSafeStringDoublesQuotes)
{
    EXPECT_EQ("it''s ''x''", FX::CDatabaseBase::SqlSafeString("it's 'x'"));
    MakeTable();
    std::string key = "o'brien";
    ASSERT_FALSE(db.Execute("INSERT INTO T VALUES('" + db.SqlSafeString(key) + "', 1, NULL);").IsError());
    boost::shared_ptr<FX::CSQLite3Query> query;
    ASSERT_FALSE(db.Query("SELECT K FROM T;", query).IsError());
    EXPECT_EQ(key, query->GetStringField("K", ""));
}

TEST_F(DatabaseBaseTest, ObjectsMayOutliveTheConnectionAndTheDatabase)
{
    MakeTable();
    ASSERT_FALSE(db.Execute("INSERT INTO T VALUES('a', 1, NULL);").IsError());
    boost::shared_ptr<FX::CSQLite3Statement> statement;
    boost::shared_ptr<FX::CSQLite3Query> query;
    ASSERT_FALSE(db.CompileStatement("SELECT K FROM T;", statement).IsError());
    boost::shared_ptr<FX::CSQLite3Query> fromStatement = statement->ExecQuery();
    ASSERT_FALSE(db.Query("SELECT K FROM T;", query).IsError());

    ASSERT_FALSE(db.CloseDatabase().IsError());
    EXPECT_THROW(statement->ExecQuery(), FX::CSQLite3Exception);
    EXPECT_THROW(query->GetStringField("K", ""), FX::CSQLite3Exception);
    statement->Reset();

    // Reopens at the next use.
    EXPECT_EQ(1, db.GetDatabase().ExecScalarInt64("SELECT count(*) FROM T;", 0));

    // Released in any order, even after the database object itself.
    {
        auto other = std::make_unique<FX::CDatabaseBase>(0);
        other->SetDatabasePath(dir.Path());
        other->SetDatabaseName("wrapper.db");
        ASSERT_FALSE(other->CompileStatement("SELECT K FROM T;", statement).IsError());
        query = statement->ExecQuery();
        other.reset();
    }
    EXPECT_THROW(query->NextRow(), FX::CSQLite3Exception);
    statement.reset();
    query.reset();
}

TEST_F(DatabaseBaseTest, AFileThatIsNotADatabaseGivesAClearError)
{
    {
        std::ofstream garbage(Path(), std::ios::binary);
        garbage << std::string(4096, 'x');
    }
    CZuError err = db.OpenDatabase();
    EXPECT_TRUE(FXErrorUtil::IsSQLite(err, 26)) << err.AsString();
    EXPECT_TRUE(FXErrorUtil::IsSQLite(db.Execute("SELECT 1;"), 26));
    EXPECT_FALSE(db.DoesTableExist("T"));
    EXPECT_THROW(db.GetDatabase().ExecScalarInt64("SELECT 1;", 0), FX::CSQLite3Exception);
}

TEST_F(DatabaseBaseTest, AMissingDirectoryCannotBeOpened)
{
    db.SetDatabasePath(dir.File("absent"));
    EXPECT_TRUE(FXErrorUtil::IsSQLite(db.OpenDatabase(), 14));
}

TEST_F(DatabaseBaseTest, AnotherConnectionReadsWhileAWriteIsOpen)
{
    MakeTable();
    ASSERT_FALSE(db.Execute("INSERT INTO T VALUES('a', 1, NULL);").IsError());
    ASSERT_FALSE(db.Execute("BEGIN IMMEDIATE;").IsError());
    ASSERT_FALSE(db.Execute("INSERT INTO T VALUES('b', 2, NULL);").IsError());
    SQLiteProbe reader(Path());
    EXPECT_EQ(1, reader.Int("SELECT count(*) FROM T;"));
    ASSERT_FALSE(db.Execute("COMMIT;").IsError());
    EXPECT_EQ(2, reader.Int("SELECT count(*) FROM T;"));
}

// Table handlers on other threads share the connection: the rows one statement reports as
// changed must be its own, or an update that found no row passes for a write.
TEST_F(DatabaseBaseTest, ChangedRowsAreOnlyThoseOfTheStatementItself)
{
    MakeTable();
    ASSERT_FALSE(db.Execute("INSERT INTO T VALUES('a', 0, NULL);").IsError());
    std::atomic<bool> stop(false);
    std::thread writer([&] {
        while (!stop)
            db.Execute("UPDATE T SET N=N+1 WHERE K='a';");
    });
    int misreported = 0;
    for (int i = 0; i < 3000 && misreported == 0; ++i)
    {
        int changed = -1;
        ASSERT_FALSE(db.Execute("UPDATE T SET N=0 WHERE K='absent';", changed).IsError());
        misreported += changed != 0;
    }
    stop = true;
    writer.join();
    EXPECT_EQ(0, misreported);
}

// The transaction statements are kept from one transaction to the next: one that the engine
// refused runs again, and a new connection has its own.
TEST_F(DatabaseBaseTest, TransactionsRunAgainAfterARefusedCommitAndOnANewConnection)
{
    ASSERT_FALSE(db.CreateTable("P", "(Id INT PRIMARY KEY)").IsError());
    ASSERT_FALSE(db.CreateTable("C", "(Id INT REFERENCES P(Id) DEFERRABLE INITIALLY DEFERRED)").IsError());
    ASSERT_FALSE(db.Execute("PRAGMA foreign_keys=ON;").IsError());
    SQLiteProbe probe(Path());

    ASSERT_FALSE(db.BeginTransaction().IsError());
    ASSERT_FALSE(db.Execute("INSERT INTO C VALUES(5);").IsError());
    CZuError refused = db.CommitTransaction();
    EXPECT_TRUE(FXErrorUtil::IsSQLite(refused, 787)) << refused.AsString();
    EXPECT_NE(std::string::npos, refused.AsString().find("FOREIGN KEY constraint failed")) << refused.AsString();
    EXPECT_FALSE(db.IsInTransaction());
    EXPECT_EQ(0, probe.Int("SELECT count(*) FROM C;"));

    ASSERT_FALSE(db.BeginTransaction().IsError());
    ASSERT_FALSE(db.Execute("INSERT INTO P VALUES(5);").IsError());
    ASSERT_FALSE(db.Execute("INSERT INTO C VALUES(5);").IsError());
    ASSERT_FALSE(db.CommitTransaction().IsError());
    EXPECT_EQ(1, probe.Int("SELECT count(*) FROM C;"));

    ASSERT_FALSE(db.CloseDatabase().IsError());
    ASSERT_FALSE(db.BeginTransaction().IsError());
    ASSERT_FALSE(db.Execute("INSERT INTO C VALUES(6);").IsError());
    db.RollbackTransaction();
    EXPECT_FALSE(db.IsInTransaction());
    ASSERT_FALSE(db.BeginTransaction().IsError());
    ASSERT_FALSE(db.Execute("INSERT INTO C VALUES(5);").IsError());
    ASSERT_FALSE(db.CommitTransaction().IsError());
    EXPECT_EQ(2, probe.Int("SELECT count(*) FROM C;"));
}

TEST_F(DatabaseBaseTest, ACommittedWriteSurvivesACrashOfTheProcess)
{
    MakeTable();
    ASSERT_FALSE(db.CloseDatabase().IsError()); // a connection must not cross fork()
    pid_t child = fork();
    ASSERT_NE(-1, child);
    if (child == 0)
    {
        bool ok = !db.Execute("INSERT INTO T VALUES('a', 1, NULL);").IsError();
        _exit(ok ? 0 : 1); // no close, no checkpoint
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    SQLiteProbe probe(Path());
    EXPECT_EQ(1, probe.Int("SELECT count(*) FROM T;"));
}
} // namespace
