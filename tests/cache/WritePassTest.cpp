#include "tests/cache/RecordingPersist.h"

#include "store/FileExtentRestoreDB.h"
#include "store/FileExtentRestoreDBHandler.h"
#include "store/RestoredItemColumns.h"
#include "store/RecordColumnNames.h"
#include "support/SqliteFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

using namespace cachetest;
using namespace FILEEXTENT_RESTORE;

namespace
{
// A store with transactions that keeps its writes aside until they commit, and that can be
// told to lose its transaction at a given single write or to fail its commit.
class TransactionalPersist : public RecordingPersist
{
public:
    int loseAtSingle = 0; // 1-based, counting singles of every pass
    bool failCommit = false;
    int commits = 0;

    bool HasTransactions() const override { return true; }
    CZuError BeginWrites() override
    {
        m_open = true;
        m_lost = false;
        m_staged.clear();
        return CZuError::Success();
    }
    CZuError Update(const Key& key, const CRestoredItem& value) override
    {
        if (!m_open)
            return RecordingPersist::Update(key, value);
        if (++m_singles == loseAtSingle)
        {
            // As SQLite after SQLITE_FULL: the statement fails and the transaction is gone.
            m_open = false;
            m_lost = true;
            m_staged.clear();
            return FXErrorUtil::ErrorSQLite(FX_CODE_LOCATION, 13, "database or disk is full");
        }
        m_staged.emplace_back(key, value);
        return CZuError::Success();
    }
    CZuError CommitWrites() override
    {
        m_open = false;
        if (failCommit)
            return FXErrorUtil::ErrorSQLite(FX_CODE_LOCATION, 787, "FOREIGN KEY constraint failed");
        ++commits;
        for (const auto& write : m_staged)
            RecordingPersist::Update(write.first, write.second);
        return CZuError::Success();
    }
    void RollbackWrites() override { m_open = false; }
    bool WritesLost() override { return m_lost; }

private:
    bool m_open = false;
    bool m_lost = false;
    int m_singles = 0;
    std::vector<std::pair<Key, CRestoredItem>> m_staged;
};

class WritePassTest : public ::testing::Test
{
protected:
    boost::shared_ptr<TransactionalPersist> persist = boost::make_shared<TransactionalPersist>();
    // New records wait for a pass, so that one pass holds many.
    Cache cache{persist, 0, KeyLess(RestoreKeyLess), _deleter<CRestoredItem>(), 5000, NEW_RECORDS_WITH_NEXT_PASS};

    void Fill(int from, int to, int task)
    {
        for (int i = from; i < to; ++i)
            ASSERT_FALSE(cache.Update(K(i), Item(K(i), task)).IsError());
    }
    int StoredTask(int i) { return persist->stored.count(K(i)) ? *persist->stored[K(i)].TaskId : -1; }
};

// By default each new record is its own transaction, committed before Update returns; one
// whose commit fails stays dirty, nothing is evicted for it, and the next flush writes it.
TEST_F(WritePassTest, NewRecordsAreCommittedAtOnceEachOnItsOwn)
{
    Cache atOnce(persist, 0, KeyLess(RestoreKeyLess), _deleter<CRestoredItem>(), 3);
    for (int i = 0; i < 3; ++i)
    {
        ASSERT_FALSE(atOnce.Update(K(i), Item(K(i), 1)).IsError());
        EXPECT_EQ(i + 1, persist->commits);
        EXPECT_EQ(1, StoredTask(i));
    }
    persist->failCommit = true;
    EXPECT_TRUE(FXErrorUtil::IsSQLite(atOnce.Update(K(3), Item(K(3), 1)), 787));
    EXPECT_EQ(4u, atOnce.GetCachedCount()) << "no eviction after a failed write";
    EXPECT_EQ(-1, StoredTask(3));
    persist->failCommit = false;
    ASSERT_FALSE(atOnce.FlushSync().IsError());
    EXPECT_EQ(1, StoredTask(3));
    EXPECT_EQ(4u, persist->CountOf(RecordingPersist::Single)) << "the first three were not written again";
}

TEST_F(WritePassTest, WithTheNextPassNewRecordsWaitForOnePassAndOneCommit)
{
    Fill(0, 5, 1);
    EXPECT_TRUE(persist->calls.empty());
    ASSERT_FALSE(cache.FlushSync().IsError());
    EXPECT_EQ(1, persist->commits);
    EXPECT_EQ(5u, persist->stored.size());
    ASSERT_FALSE(cache.FlushSync().IsError());
    EXPECT_EQ(5u, persist->CountOf(RecordingPersist::Single)) << "written records are clean";
}

TEST_F(WritePassTest, RecordsOfALostTransactionStayDirty)
{
    Fill(0, 6, 1);
    persist->loseAtSingle = 4;
    CZuError err = cache.FlushSync();
    EXPECT_TRUE(FXErrorUtil::IsSQLite(err, 13));
    // The first three went with the lost transaction; the last two in a new one.
    EXPECT_EQ(-1, StoredTask(0));
    EXPECT_EQ(-1, StoredTask(3));
    EXPECT_EQ(1, StoredTask(5));
    ASSERT_FALSE(cache.FlushSync().IsError());
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(1, StoredTask(i)) << i;
}

TEST_F(WritePassTest, FailedCommitLeavesEveryRecordOfThePassDirty)
{
    Fill(0, 4, 1);
    persist->failCommit = true;
    EXPECT_TRUE(FXErrorUtil::IsSQLite(cache.FlushSync(), 787));
    EXPECT_TRUE(persist->stored.empty());
    persist->failCommit = false;
    ASSERT_FALSE(cache.FlushSync().IsError());
    EXPECT_EQ(4u, persist->stored.size());
}

TEST_F(WritePassTest, EvictionLeavesOnlyWhatItsCommitWrote)
{
    Cache small(persist, 0, KeyLess(RestoreKeyLess), _deleter<CRestoredItem>(), 4, NEW_RECORDS_WITH_NEXT_PASS);
    for (int i = 0; i < 4; ++i)
        ASSERT_FALSE(small.Update(K(i), Item(K(i), 1)).IsError());
    persist->failCommit = true;
    EXPECT_TRUE(FXErrorUtil::IsSQLite(small.Update(K(4), Item(K(4), 1)), 787));
    EXPECT_EQ(5u, small.GetCachedCount()) << "nothing leaves whose write did not commit";
    EXPECT_EQ(0u, persist->CountOf(RecordingPersist::Read));
    persist->failCommit = false;
    ASSERT_FALSE(small.Update(K(5), Item(K(5), 1)).IsError());
    EXPECT_EQ(0u, small.GetCachedCount());
    EXPECT_EQ(6u, persist->stored.size());
}

// The same on a real file: a commit that SQLite refuses (a deferred constraint, checked only at
// COMMIT) takes every row of the pass with it, and the records stay dirty until a pass commits.
TEST(WritePassOnSQLiteTest, RefusedCommitWritesNoRowOfThePass)
{
    TempDir dir;
    CFileExtentRestoreDB db(dir.Path(), "FileExtentRestore.db", 1);
    ASSERT_FALSE(db.OpenDB().IsError());
    {
        CRestoredItem prototype;
        CRecordColumnNames names;
        CRestoredItemColumns::Visit(prototype, names);
        std::string columns = names.ColumnList(CRestoredItemColumns::ColumnListFormat());
        columns.insert(columns.size() - 1, ", FOREIGN KEY (TaskId) REFERENCES Tasks(Id) DEFERRABLE INITIALLY DEFERRED");
        SqliteFile file(dir.File("FileExtentRestore.db"));
        file.Exec("CREATE TABLE Tasks (Id INT PRIMARY KEY);");
        file.Exec("CREATE TABLE RestoredItems " + columns + ";");
    }
    auto table = boost::make_shared<CFileExtentRestoreDBHandler>(db);
    ASSERT_FALSE(table->CreateTable().IsError());
    ASSERT_FALSE(db.Execute("PRAGMA foreign_keys=ON;").IsError());
    Cache cache(boost::make_shared<CFileExtentPersistToLocalDB>(table), 0, KeyLess(RestoreKeyLess),
                _deleter<CRestoredItem>(), 5000, NEW_RECORDS_WITH_NEXT_PASS);
    for (int i = 0; i < 3; ++i)
        ASSERT_FALSE(cache.Update(K(i), Item(K(i), 7)).IsError());

    EXPECT_TRUE(FXErrorUtil::IsSQLite(cache.FlushSync(), 787));
    SqliteFile file(dir.File("FileExtentRestore.db"));
    EXPECT_EQ("0", file.Scalar("SELECT count(*) FROM RestoredItems;"));
    file.Exec("INSERT INTO Tasks VALUES (7);");
    ASSERT_FALSE(cache.FlushSync().IsError());
    EXPECT_EQ("3", file.Scalar("SELECT count(*) FROM RestoredItems;"));
}
} // namespace
