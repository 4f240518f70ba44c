#include "cache/FileExtentDBCache.h"
#include "cache/FileExtentPersist.h"
#include "store/FileExtentRestoreDB.h"
#include "store/FileExtentRestoreDBHandler.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include <functional>
#include <strings.h>

using namespace FILEEXTENT_RESTORE;

namespace
{
typedef std::vector<std::tuple<CRestoringItemAndVersion, CRestoredItem>> Batch;

CRestoredItem Item(const std::string& path, ULONG version, int task)
{
    CRestoredItem item;
    item.FilePath = path;
    item.RestoredItemVersion = version;
    item.RestoredFilePath = "/restored" + path;
    item.Status = PROGRESSING;
    item.TaskId = task;
    return item;
}

class FileExtentPersistToLocalDBTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(db.OpenDB().IsError());
        ASSERT_FALSE(table->CreateTable().IsError());
    }

    int StoredTask(const std::string& path, ULONG version)
    {
        CRestoredItem item;
        if (table->GetFileExtentRestoreItemByFilePath(path, version, item).IsError() || !item.TaskId)
            return -1;
        return *item.TaskId;
    }

    TempDir dir;
    CFileExtentRestoreDB db{dir.Path(), "FileExtentRestore.db", 1};
    boost::shared_ptr<CFileExtentRestoreDBHandler> table = boost::make_shared<CFileExtentRestoreDBHandler>(db);
    CFileExtentPersistToLocalDB adapter{table};
};

TEST_F(FileExtentPersistToLocalDBTest, WritesReadsAndDeletesRowsByPathAndVersion)
{
    ASSERT_FALSE(adapter.Update(CRestoringItemAndVersion("/a", 1), Item("/a", 1, 1)).IsError());
    ASSERT_FALSE(adapter.Update(CRestoringItemAndVersion("/a", 1), Item("/a", 1, 2)).IsError());
    EXPECT_EQ(StoredTask("/a", 1), 2) << "a stored key is updated, not added again";

    CRestoredItem item;
    ASSERT_FALSE(adapter.Get(CRestoringItemAndVersion("/A", 1), item).IsError());
    EXPECT_EQ(*item.RestoredFilePath, "/restored/a");

    ASSERT_FALSE(adapter.Delete(CRestoringItemAndVersion("/a", 1)).IsError());
    EXPECT_EQ(StoredTask("/a", 1), -1);
}

TEST_F(FileExtentPersistToLocalDBTest, AbsentRowPassesNotFoundThroughWithOneMoreLocation)
{
    CRestoredItem item;
    CZuError direct = table->GetFileExtentRestoreItemByFilePath("/none", 1, item);
    CZuError err = adapter.Get(CRestoringItemAndVersion("/none", 1), item);
    ASSERT_TRUE(FXErrorUtil::IsWin32(err, ERROR_NOT_FOUND));
    EXPECT_EQ(err.GetLocations().size(), direct.GetLocations().size() + 1);
    EXPECT_EQ(err.GetLocations().back().GetFile(), "FileExtentPersist.cpp");

    err = adapter.Delete(CRestoringItemAndVersion("/none", 1));
    EXPECT_TRUE(FXErrorUtil::IsWin32(err, ERROR_NOT_FOUND));
}

TEST_F(FileExtentPersistToLocalDBTest, BatchStopsAtTheRecordTheTableRejects)
{
    // A record without any value to set makes an UPDATE the database refuses.
    CRestoredItem empty;
    empty.FilePath = "/b";
    empty.RestoredItemVersion = 1;
    CZuError err = adapter.Update(Batch{{CRestoringItemAndVersion("/a", 1), Item("/a", 1, 1)},
                                        {CRestoringItemAndVersion("/b", 1), empty},
                                        {CRestoringItemAndVersion("/c", 1), Item("/c", 1, 1)}});
    ASSERT_TRUE(err.IsError());
    EXPECT_EQ(err.GetKind(), CZuError::Kind::SQLite);
    EXPECT_EQ(StoredTask("/a", 1), 1) << "written before the failure, not rolled back";
    EXPECT_EQ(StoredTask("/c", 1), -1) << "not attempted";
    const auto& trail = err.GetLocations();
    ASSERT_GE(trail.size(), 2u);
    EXPECT_NE(trail[trail.size() - 2].GetFunction().find("Update(const CRestoringItemAndVersion&"), std::string::npos);
    EXPECT_NE(trail.back().GetFunction().find("Update(const std::vector"), std::string::npos);

    ULONGLONG rows = 0;
    EXPECT_FALSE(adapter.Update(Batch{}).IsError());
    ASSERT_FALSE(table->GetCount(rows).IsError());
    EXPECT_EQ(rows, 1u);
}

TEST(FileExtentPersistToLocalDBUnopenedTest, TableNotOpenedReachesTheCaller)
{
    TempDir dir;
    CFileExtentRestoreDB db(dir.Path(), "FileExtentRestore.db", 1);
    CFileExtentPersistToLocalDB adapter(boost::make_shared<CFileExtentRestoreDBHandler>(db));
    CZuError err = adapter.Update(CRestoringItemAndVersion("/a", 1), Item("/a", 1, 1));
    EXPECT_TRUE(FXErrorUtil::IsWin32(err, 774));
    EXPECT_EQ(err.GetMessage(), "Table [RestoredItems] is not opened");
}

// The restore reader's setup: a write-through cache over the table.
TEST_F(FileExtentPersistToLocalDBTest, CacheOverTheTableSeesTheTablesAnswers)
{
    typedef std::function<bool(const CRestoringItemAndVersion&, const CRestoringItemAndVersion&)> KeyLess;
    KeyLess less = [](const CRestoringItemAndVersion& a, const CRestoringItemAndVersion& b) {
        int c = ::strcasecmp(a.FilePath.c_str(), b.FilePath.c_str());
        return c == 0 ? a.Version < b.Version : c < 0;
    };
    CFileExtentDBCache<CRestoringItemAndVersion, CRestoredItem, KeyLess, _deleter<CRestoredItem>> cache(
        boost::make_shared<CFileExtentPersistToLocalDB>(table), 0, less);

    CRestoredItem item;
    EXPECT_TRUE(FXErrorUtil::IsWin32(cache.Get(CRestoringItemAndVersion("/a", 1), item), ERROR_NOT_FOUND));
    ASSERT_FALSE(cache.Update(CRestoringItemAndVersion("/a", 1), Item("/a", 1, 1)).IsError());
    EXPECT_EQ(StoredTask("/a", 1), 1) << "written through at once";

    ASSERT_FALSE(cache.Update(CRestoringItemAndVersion("/A", 1), Item("/a", 1, 5)).IsError());
    EXPECT_EQ(StoredTask("/a", 1), 1);
    ASSERT_FALSE(cache.FlushSync().IsError());
    EXPECT_EQ(StoredTask("/a", 1), 5);

    ASSERT_FALSE(cache.Delete(CRestoringItemAndVersion("/a", 1)).IsError());
    EXPECT_EQ(StoredTask("/a", 1), -1);
    EXPECT_TRUE(FXErrorUtil::IsWin32(cache.Delete(CRestoringItemAndVersion("/a", 1)), ERROR_NOT_FOUND));
    EXPECT_TRUE(FXErrorUtil::IsWin32(cache.Delete(CRestoringItemAndVersion("/b", 2)), ERROR_NOT_FOUND))
        << "the table's answer for a row it never held";
}
} // namespace
