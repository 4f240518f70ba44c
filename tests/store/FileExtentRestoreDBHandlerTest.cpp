#include "platform/ZuUtils/FXErrorUtil.h"
#include "store/FileExtentRestoreDBHandler.h"
#include "support/RecordingLogWriter.h"
#include "support/SQLiteProbe.h"
#include "support/TempDir.h"

#include <boost/optional/optional_io.hpp>
#include <gtest/gtest.h>

#include <fstream>
#include <map>

using namespace FILEEXTENT_RESTORE;

namespace
{
typedef boost::dynamic_bitset<unsigned char> Bitmap;

CRestoredItem FullItem(const std::string& path, ULONG version, int taskId = 1)
{
    CRestoredItem item;
    item.FilePath = path;
    item.RestoredItemVersion = version;
    item.RestoredFilePath = "/restored" + path;
    item.ErrorCode = 5u;
    item.Status = FAILED;
    item.ContainerItemRestored = true;
    item.PostProcessAction = "action";
    item.NumOfExtents = std::int64_t(3);
    item.ExtentBitmap = Bitmap(3, 0x5);
    item.Metadata = "meta";
    item.TaskId = taskId;
    return item;
}

class RestoreDBHandlerTest : public ::testing::Test
{
protected:
    RestoreDBHandlerTest() : db(dir.Path(), FileExtentLocalDBName, 1), handler(db) {}

    void SetUp() override { ASSERT_FALSE(handler.CreateTable().IsError()); }

    std::string Path() const { return dir.File(FileExtentLocalDBName); }

    CRestoredItem Get(const std::string& path, ULONG version)
    {
        CRestoredItem item;
        CZuError err = handler.GetFileExtentRestoreItemByFilePath(path, version, item);
        EXPECT_FALSE(err.IsError()) << err.AsString();
        return item;
    }

    std::vector<CRestoredItem> All()
    {
        std::vector<CRestoredItem> items;
        handler.GetAllRestoredItems([&](const CRestoredItem& item) {
            items.push_back(item);
            return CZuError::Success();
        });
        return items;
    }

    TempDir dir;
    CFileExtentRestoreDB db;
    CFileExtentRestoreDBHandler handler;
};

TEST_F(RestoreDBHandlerTest, MakesTheTableWithItsSchema)
{
    EXPECT_EQ("RestoredItems", handler.GetTableName());
    EXPECT_TRUE(handler.DoesTableExist());
    SQLiteProbe probe(Path());
    EXPECT_EQ("CREATE TABLE RestoredItems (FilePath TEXT NOT NULL COLLATE NOCASE, RestoredItemVersion INT, "
              "RestoredFilePath TEXT,\tErrorCode INT,\tStatus INT8, ContainerItemRestored BOOLEAN, "
              "PostProcessAction TEXT, NumOfExtents BIGINT, ExtentBitmap BLOB, Metadata TEXT, TaskId INT, "
              "PRIMARY KEY (FilePath, RestoredItemVersion))",
              probe.Text("SELECT sql FROM sqlite_master WHERE name='RestoredItems';"));
    EXPECT_EQ("FilePath,RestoredItemVersion,RestoredFilePath,ErrorCode,Status,ContainerItemRestored,"
              "PostProcessAction,NumOfExtents,ExtentBitmap,Metadata,TaskId",
              probe.Text("SELECT group_concat(name) FROM pragma_table_info('RestoredItems');"));
}

TEST_F(RestoreDBHandlerTest, EveryOperationFailsBeforeTheTableIsCreated)
{
    CFileExtentRestoreDBHandler fresh(db);
    CRestoredItem item = FullItem("/a", 1);
    auto never = [](const CRestoredItem&) { return CZuError::Success(); };
    ULONGLONG count = 99;
    std::vector<CZuError> errors = {fresh.Add(item),
                                    fresh.GetFileExtentRestoreItemByFilePath("/a", 1, item),
                                    fresh.GetAllRestoredItems(never),
                                    fresh.GetAllRestoredItemsByTaskId(1, never),
                                    fresh.GetCount(count),
                                    fresh.Delete("/a", 1),
                                    fresh.DeleteAll(),
                                    fresh.Update("/a", 1, item),
                                    fresh.AddorUpdate("/a", 1, item)};
    for (const CZuError& err : errors)
    {
        EXPECT_TRUE(FXErrorUtil::IsWin32(err, 774)) << err.AsString();
        EXPECT_EQ("Table [RestoredItems] is not opened", err.GetMessage());
    }
    EXPECT_EQ(0u, count);
}

TEST_F(RestoreDBHandlerTest, AfterCloseTheStatementsAreGoneButNothingCrashes)
{
    ASSERT_FALSE(handler.Add(FullItem("/a", 1)).IsError());
    ASSERT_FALSE(handler.CloseTable().IsError());
    CRestoredItem item;
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.Add(FullItem("/b", 1)), 774));
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.GetFileExtentRestoreItemByFilePath("/a", 1, item), 774));
    ASSERT_FALSE(handler.CreateTable().IsError());
    EXPECT_EQ("/restored/a", *Get("/a", 1).RestoredFilePath);
}

TEST_F(RestoreDBHandlerTest, AddedItemsReadBackWithEveryField)
{
    CRestoredItem stored = FullItem("/Dir/File", 7);
    ASSERT_FALSE(handler.Add(stored).IsError());
    CRestoredItem item = Get("/Dir/File", 7);
    EXPECT_EQ("/Dir/File", item.FilePath);
    EXPECT_EQ(7u, item.RestoredItemVersion);
    EXPECT_EQ(stored.RestoredFilePath, item.RestoredFilePath);
    EXPECT_EQ(stored.ErrorCode, item.ErrorCode);
    EXPECT_EQ(stored.Status, item.Status);
    EXPECT_EQ(stored.ContainerItemRestored, item.ContainerItemRestored);
    EXPECT_EQ(stored.PostProcessAction, item.PostProcessAction);
    EXPECT_EQ(stored.NumOfExtents, item.NumOfExtents);
    EXPECT_EQ(stored.ExtentBitmap, item.ExtentBitmap);
    EXPECT_EQ(stored.Metadata, item.Metadata);
    EXPECT_EQ(stored.TaskId, item.TaskId);
}

TEST_F(RestoreDBHandlerTest, AbsentFieldsAreStoredAsNullAndReadAsDefaults)
{
    CRestoredItem sparse;
    sparse.FilePath = "/sparse";
    sparse.RestoredItemVersion = 2;
    ASSERT_FALSE(handler.Add(sparse).IsError());
    CRestoredItem flagFalse = FullItem("/flag", 1);
    flagFalse.ContainerItemRestored = false;
    ASSERT_FALSE(handler.Add(flagFalse).IsError());

    SQLiteProbe probe(Path());
    EXPECT_EQ("<NULL>", probe.Text("SELECT RestoredFilePath FROM RestoredItems WHERE FilePath='/sparse';"));
    EXPECT_EQ("<NULL>", probe.Text("SELECT Status FROM RestoredItems WHERE FilePath='/sparse';"));
    EXPECT_EQ("<NULL>", probe.Text("SELECT ExtentBitmap FROM RestoredItems WHERE FilePath='/sparse';"));
    EXPECT_EQ(0, probe.Int("SELECT ContainerItemRestored FROM RestoredItems WHERE FilePath='/sparse';"));

    CRestoredItem item = Get("/sparse", 2);
    EXPECT_EQ(std::string(), item.RestoredFilePath.value());
    EXPECT_EQ(0u, item.ErrorCode.value());
    EXPECT_EQ(SUCCESS, item.Status.value());
    EXPECT_FALSE(item.ContainerItemRestored.value());
    EXPECT_EQ(0, item.NumOfExtents.value());
    EXPECT_EQ(0u, item.ExtentBitmap.value().size());
    EXPECT_EQ(0, item.TaskId.value());
    EXPECT_FALSE(Get("/flag", 1).ContainerItemRestored.value());
}

TEST_F(RestoreDBHandlerTest, AddKeepsAStoredRowAndAddorUpdateChangesIt)
{
    ASSERT_FALSE(handler.Add(FullItem("/a", 1)).IsError());
    CRestoredItem other = FullItem("/A", 1);
    other.ErrorCode = 77u;
    EXPECT_FALSE(handler.Add(other).IsError());
    EXPECT_EQ(5u, *Get("/a", 1).ErrorCode);

    CRestoredItem change;
    change.ErrorCode = 77u;
    ASSERT_FALSE(handler.AddorUpdate("/a", 1, change).IsError());
    CRestoredItem item = Get("/a", 1);
    EXPECT_EQ(77u, *item.ErrorCode);
    EXPECT_EQ("meta", *item.Metadata); // untouched fields stay

    ASSERT_FALSE(handler.AddorUpdate("/new", 4, FullItem("/new", 4)).IsError());
    EXPECT_EQ("/restored/new", *Get("/new", 4).RestoredFilePath);
    ULONGLONG count = 0;
    ASSERT_FALSE(handler.GetCount(count).IsError());
    EXPECT_EQ(2u, count);
}

TEST_F(RestoreDBHandlerTest, PathsDifferingOnlyInCaseNameOneRow)
{
    ASSERT_FALSE(handler.Add(FullItem("/Dir/File.TXT", 1)).IsError());
    CRestoredItem item = Get("/dir/file.txt", 1);
    EXPECT_EQ("/Dir/File.TXT", item.FilePath); // as stored
    CRestoredItem missing;
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.GetFileExtentRestoreItemByFilePath("/dir/file.txt", 2, missing), 1168));
    CRestoredItem change;
    change.TaskId = 9;
    ASSERT_FALSE(handler.Update("/DIR/FILE.txt", 1, change).IsError());
    EXPECT_EQ(9, *Get("/Dir/File.TXT", 1).TaskId);
    ASSERT_FALSE(handler.Delete("/dir/FILE.txt", 1).IsError());
    EXPECT_TRUE(All().empty());
}

TEST_F(RestoreDBHandlerTest, PathsWithQuotesCanBeUpdatedAndDeleted)
{
    const std::string path = "/it's/o''brien's";
    ASSERT_FALSE(handler.Add(FullItem(path, 1)).IsError());
    CRestoredItem change;
    change.RestoredFilePath = std::string("/x'; DROP TABLE RestoredItems; --");
    change.Metadata = std::string("'");
    ASSERT_FALSE(handler.Update(path, 1, change).IsError());
    CRestoredItem item = Get(path, 1);
    EXPECT_EQ(*change.RestoredFilePath, *item.RestoredFilePath);
    EXPECT_EQ("'", *item.Metadata);
    ASSERT_FALSE(handler.Delete(path, 1).IsError());
    EXPECT_TRUE(handler.DoesTableExist());
    EXPECT_TRUE(All().empty());
}

TEST_F(RestoreDBHandlerTest, UpdateWithNothingToSetIsAnSQLiteError)
{
    ASSERT_FALSE(handler.Add(FullItem("/a", 1)).IsError());
    CZuError err = handler.Update("/a", 1, CRestoredItem());
    EXPECT_EQ(CZuError::Kind::SQLite, err.GetKind()) << err.AsString();
    EXPECT_TRUE(FXErrorUtil::IsSQLite(handler.AddorUpdate("/a", 1, CRestoredItem()), 1)); // not turned into Add
}

TEST_F(RestoreDBHandlerTest, MissingRowsAreNotFound)
{
    auto any = [](const CRestoredItem&) { return CZuError::Success(); };
    CRestoredItem item;
    CRestoredItem change;
    change.ErrorCode = 1u;
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.GetAllRestoredItems(any), 1168));
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.GetAllRestoredItemsByTaskId(1, any), 1168));
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.GetFileExtentRestoreItemByFilePath("/a", 1, item), 1168));
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.Update("/a", 1, change), 1168));
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.Delete("/a", 1), 1168));
    EXPECT_FALSE(handler.DeleteAll().IsError());
    ULONGLONG count = 5;
    ASSERT_FALSE(handler.GetCount(count).IsError());
    EXPECT_EQ(0u, count);
}

TEST_F(RestoreDBHandlerTest, ACallbackErrorStopsTheEnumeration)
{
    for (ULONG v = 1; v <= 5; ++v)
        ASSERT_FALSE(handler.Add(FullItem("/a", v)).IsError());
    int calls = 0;
    CZuError err = handler.GetAllRestoredItems([&](const CRestoredItem&) {
        return ++calls == 3 ? FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_GEN_FAILURE) : CZuError::Success();
    });
    EXPECT_EQ(3, calls);
    EXPECT_TRUE(FXErrorUtil::IsWin32(err, ERROR_GEN_FAILURE));
}

TEST_F(RestoreDBHandlerTest, EnumeratesByTaskId)
{
    ASSERT_FALSE(handler.Add(FullItem("/a", 1, 10)).IsError());
    ASSERT_FALSE(handler.Add(FullItem("/b", 1, 20)).IsError());
    ASSERT_FALSE(handler.Add(FullItem("/c", 1, -20)).IsError());
    ASSERT_FALSE(handler.Add(FullItem("/d", 1, 20)).IsError());
    std::vector<std::string> paths;
    ASSERT_FALSE(handler
                     .GetAllRestoredItemsByTaskId(20,
                                                  [&](const CRestoredItem& item) {
                                                      paths.push_back(item.FilePath);
                                                      return CZuError::Success();
                                                  })
                     .IsError());
    EXPECT_EQ((std::vector<std::string>{"/b", "/d"}), paths);
    EXPECT_EQ(1u, [&] {
        size_t n = 0;
        handler.GetAllRestoredItemsByTaskId(-20, [&](const CRestoredItem&) {
            ++n;
            return CZuError::Success();
        });
        return n;
    }());
}

TEST_F(RestoreDBHandlerTest, BitmapsAreStoredAsTextHighestBitFirst)
{
    CRestoredItem item = FullItem("/bits", 1);
    Bitmap bits(10);
    bits.set(0);
    bits.set(9);
    item.ExtentBitmap = bits;
    ASSERT_FALSE(handler.Add(item).IsError());
    SQLiteProbe probe(Path());
    EXPECT_EQ("blob", probe.Text("SELECT typeof(ExtentBitmap) FROM RestoredItems;"));
    EXPECT_EQ("1000000001", probe.Text("SELECT ExtentBitmap FROM RestoredItems;"));
    EXPECT_EQ(bits, *Get("/bits", 1).ExtentBitmap);

    // Through Update as well, where the bitmap is bound to the SET list.
    Bitmap one(4);
    one.set(1);
    CRestoredItem change;
    change.ExtentBitmap = one;
    ASSERT_FALSE(handler.Update("/bits", 1, change).IsError());
    EXPECT_EQ("0010", probe.Text("SELECT ExtentBitmap FROM RestoredItems;"));
}

TEST_F(RestoreDBHandlerTest, EmptyAndLargeBitmapsRoundTrip)
{
    Bitmap large(100000);
    for (size_t i = 0; i < large.size(); i += 7)
        large.set(i);
    large.set(99999);
    CRestoredItem item = FullItem("/large", 1);
    item.ExtentBitmap = large;
    ASSERT_FALSE(handler.Add(item).IsError());
    item = FullItem("/empty", 1);
    item.ExtentBitmap = Bitmap();
    ASSERT_FALSE(handler.Add(item).IsError());
    EXPECT_EQ(large, *Get("/large", 1).ExtentBitmap);
    EXPECT_EQ(0u, Get("/empty", 1).ExtentBitmap->size());

    large.flip();
    CRestoredItem change;
    change.ExtentBitmap = large;
    ASSERT_FALSE(handler.Update("/large", 1, change).IsError());
    EXPECT_EQ(large, *Get("/large", 1).ExtentBitmap);
}

TEST_F(RestoreDBHandlerTest, UpdateTracesItsStatementAndBinding)
{
    ASSERT_FALSE(handler.Add(FullItem("/a", 1)).IsError());
    ScopedRecordingLog log(5);
    CRestoredItem change;
    change.Status = SUCCESS;
    change.ContainerItemRestored = true;
    change.NumOfExtents = std::int64_t(-2);
    change.ExtentBitmap = Bitmap(2, 0x2);
    change.TaskId = -4;
    ASSERT_FALSE(handler.Update("/a", 1, change).IsError());
    EXPECT_EQ((std::vector<std::string>{"sql stmnt: 'UPDATE RestoredItems SET Status=0, ContainerItemRestored=1, "
                                        "NumOfExtents=-2, ExtentBitmap=?, TaskId=-4 WHERE FilePath='/a' AND "
                                        "RestoredItemVersion=1;'",
                                        "sql bind: '10'"}),
              log->TextsAt(5));
}

TEST_F(RestoreDBHandlerTest, VersionsAndCodesAbove31BitsStayConsistent)
{
    const ULONG top = 0xFFFFFFFFu;
    CRestoredItem item = FullItem("/a", top);
    item.ErrorCode = 0x80070005u;
    ASSERT_FALSE(handler.Add(item).IsError());
    SQLiteProbe probe(Path());
    EXPECT_EQ(4294967295LL, probe.Int("SELECT RestoredItemVersion FROM RestoredItems;"));
    EXPECT_EQ(0x80070005LL, probe.Int("SELECT ErrorCode FROM RestoredItems;"));
    EXPECT_EQ(0x80070005u, *Get("/a", top).ErrorCode);

    CRestoredItem change;
    change.TaskId = 3;
    ASSERT_FALSE(handler.AddorUpdate("/a", top, change).IsError());
    EXPECT_EQ(1, probe.Int("SELECT count(*) FROM RestoredItems;"));
    EXPECT_EQ(3, *Get("/a", top).TaskId);
    ASSERT_FALSE(handler.Delete("/a", top).IsError());
}

TEST_F(RestoreDBHandlerTest, RowsCanBeUpdatedDuringAnOpenEnumeration)
{
    const ULONG rows = 300;
    for (ULONG v = 0; v < rows; ++v)
    {
        CRestoredItem item = FullItem("/file" + std::to_string(v), v, int(v % 3));
        item.Status = PROGRESSING;
        ASSERT_FALSE(handler.Add(item).IsError());
    }
    std::map<std::string, int> visits;
    CZuError err = handler.GetAllRestoredItems([&](const CRestoredItem& item) {
        ++visits[item.FilePath];
        CRestoredItem change;
        change.Status = SUCCESS;
        change.ExtentBitmap = Bitmap(4000 + item.RestoredItemVersion); // grows rows, splits pages
        change.Metadata = std::string(500, 'm');
        return handler.Update(item.FilePath, item.RestoredItemVersion, change);
    });
    ASSERT_FALSE(err.IsError()) << err.AsString();
    EXPECT_EQ(rows, visits.size());
    for (const auto& visit : visits)
        EXPECT_EQ(1, visit.second) << visit.first;
    for (const CRestoredItem& item : All())
        EXPECT_EQ(SUCCESS, *item.Status);
}

TEST_F(RestoreDBHandlerTest, DuplicateAndDeleteAll)
{
    ASSERT_FALSE(handler.Add(FullItem("/a", 1)).IsError());
    ASSERT_FALSE(handler.Add(FullItem("/b", 1)).IsError());
    ASSERT_FALSE(handler.DuplicateTable("RestoredItemsCopy").IsError());
    ASSERT_FALSE(handler.DeleteAll().IsError());
    EXPECT_TRUE(All().empty());
    SQLiteProbe probe(Path());
    EXPECT_EQ(2, probe.Int("SELECT count(*) FROM RestoredItemsCopy;"));
    EXPECT_EQ(5, probe.Int("SELECT ErrorCode FROM RestoredItemsCopy WHERE FilePath='/b';"));
}

TEST_F(RestoreDBHandlerTest, TwoHandlersShareOneDatabase)
{
    CFileExtentRestoreDBHandler second(db);
    ASSERT_FALSE(second.CreateTable().IsError());
    ASSERT_FALSE(handler.Add(FullItem("/a", 1)).IsError());
    EXPECT_EQ("meta", *[&] {
        CRestoredItem item;
        second.GetFileExtentRestoreItemByFilePath("/a", 1, item);
        return item.Metadata;
    }());
}

TEST(RestoreDBHandlerOnBadFileTest, AFileThatIsNotADatabaseFailsClearly)
{
    TempDir dir;
    std::ofstream(dir.File(FileExtentLocalDBName), std::ios::binary) << std::string(2048, 'z');
    CFileExtentRestoreDB db(dir.Path(), FileExtentLocalDBName, 1);
    CFileExtentRestoreDBHandler handler(db);
    CZuError err = handler.CreateTable();
    EXPECT_TRUE(FXErrorUtil::IsSQLite(err, 26)) << err.AsString();
    // The engine's reason follows the context.
    EXPECT_EQ("TableName=[RestoredItems], DB=[FileExtentRestore.db]: file is not a database", err.GetMessage());
    ULONGLONG count = 1;
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.GetCount(count), 774));
}
} // namespace
