#include "store/FileRecallDBHandler.h"

#include "platform/ZuUtils/FXErrorUtil.h"
#include "support/SqliteFile.h"
#include "support/TempDir.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <vector>

using namespace FILEEXTENTRECALLDB;

namespace
{
class RecallTableTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_FALSE(handler.CreateTable().IsError()); }

    static CRecalledItem Item(const std::string& path)
    {
        CRecalledItem item;
        item.Reset();
        item.FilePath = path;
        item.RestoredFilePath = path + ".restored";
        item.ErrorCode = 5u;
        item.Status = SKIPPED;
        item.NumOfExtents = static_cast<std::int64_t>(10);
        boost::dynamic_bitset<unsigned char> bitmap(10);
        bitmap.set(0).set(9);
        item.ExtentBitmap = bitmap;
        CFileExtentRecallFileMetadata metadata;
        metadata.StubData = "stub";
        metadata.FileSize = 1ULL << 40;
        metadata.Stats.InPipeline = CTimeInterval::From100NS(12);
        item.Metadata = metadata;
        return item;
    }

    CRecalledItem Read(const std::string& path)
    {
        CRecalledItem item;
        EXPECT_FALSE(handler.GetFileExtentRecalledItemByFilePath(path, item).IsError()) << path;
        return item;
    }

    std::string Stored(const std::string& column) const
    {
        return SqliteFile(dir.File("FileExtentRecall.db")).Scalar("SELECT " + column + " FROM RecalledItems;");
    }

    ULONGLONG Count()
    {
        ULONGLONG count = 99;
        EXPECT_FALSE(handler.GetCount(count).IsError());
        return count;
    }

    TempDir dir;
    FILEEXTENT_RESTORE::CFileExtentRestoreDB db{dir.Path(), "FileExtentRecall.db", 1};
    CFileRecallDBHandler handler{db};
};

TEST_F(RecallTableTest, RecordRoundTripsWithMetadataAsJsonText)
{
    ASSERT_FALSE(handler.Add(Item("/a")).IsError());

    const CRecalledItem read = Read("/a");
    const CRecalledItem expected = Item("/a");
    EXPECT_EQ(expected.FilePath, read.FilePath);
    EXPECT_EQ(*expected.RestoredFilePath, *read.RestoredFilePath);
    EXPECT_EQ(*expected.ErrorCode, *read.ErrorCode);
    EXPECT_EQ(*expected.Status, *read.Status);
    EXPECT_EQ(*expected.ContainerItemRestored, *read.ContainerItemRestored);
    EXPECT_EQ(*expected.NumOfExtents, *read.NumOfExtents);
    EXPECT_EQ(*expected.ExtentBitmap, *read.ExtentBitmap);
    EXPECT_EQ(*expected.Metadata, *read.Metadata);

    EXPECT_EQ("1000000001", Stored("ExtentBitmap"));
    EXPECT_EQ("2", Stored("Status"));
    const nlohmann::json metadata = nlohmann::json::parse(Stored("Metadata"));
    EXPECT_EQ("stub", metadata.at("StubData").get<std::string>());
    EXPECT_EQ(1ULL << 40, metadata.at("FileSize").get<std::uint64_t>());
    ASSERT_TRUE(metadata.at("Stats").is_string());
    EXPECT_EQ(12, nlohmann::json::parse(metadata.at("Stats").get<std::string>()).at("InPipeline").get<int>());
}

TEST_F(RecallTableTest, PathsDifferingOnlyInCaseShareOneRow)
{
    ASSERT_FALSE(handler.Add(Item("/Dir/File")).IsError());
    CRecalledItem change;
    change.ErrorCode = 77u;
    ASSERT_FALSE(handler.AddorUpdate("/dir/FILE", change).IsError());

    EXPECT_EQ(1u, Count());
    const CRecalledItem read = Read("/DIR/file");
    EXPECT_EQ("/Dir/File", read.FilePath);
    EXPECT_EQ(77u, *read.ErrorCode);
}

TEST_F(RecallTableTest, AddOrUpdateInsertsNewPathsAndChangesOnlyGivenFieldsOfKnownOnes)
{
    ASSERT_FALSE(handler.AddorUpdate("/a", Item("/a")).IsError());
    EXPECT_EQ(1u, Count());

    CRecalledItem change;
    change.Status = FAILED;
    CFileExtentRecallFileMetadata metadata;
    metadata.Attributes = 0x20;
    change.Metadata = metadata;
    ASSERT_FALSE(handler.AddorUpdate("/a", change).IsError());

    const CRecalledItem read = Read("/a");
    EXPECT_EQ(FAILED, *read.Status);
    EXPECT_EQ(5u, *read.ErrorCode);
    EXPECT_EQ("/a.restored", *read.RestoredFilePath);
    EXPECT_EQ(*Item("/a").ExtentBitmap, *read.ExtentBitmap);
    EXPECT_EQ(0x20u, read.Metadata->Attributes);
    EXPECT_EQ("", read.Metadata->StubData); // the metadata column is replaced whole
}

TEST_F(RecallTableTest, AddLeavesAStoredRowAlone)
{
    ASSERT_FALSE(handler.Add(Item("/a")).IsError());
    CRecalledItem other = Item("/A");
    other.ErrorCode = 1u;
    EXPECT_FALSE(handler.Add(other).IsError());
    EXPECT_EQ(5u, *Read("/a").ErrorCode);
}

TEST_F(RecallTableTest, SingleQuoteInPathIsUpdatedAndDeleted)
{
    const std::string path = "/it's/o'clock";
    ASSERT_FALSE(handler.Add(Item(path)).IsError());
    CRecalledItem change;
    change.RestoredFilePath = std::string("/where's it");
    ASSERT_FALSE(handler.Update(path, change).IsError());
    EXPECT_EQ("/where's it", *Read(path).RestoredFilePath);

    ASSERT_FALSE(handler.Delete(path).IsError());
    EXPECT_EQ(0u, Count());
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.Delete(path), ERROR_NOT_FOUND));
}

TEST_F(RecallTableTest, StoredMetadataLackingKeysReadsAsDefaults)
{
    ASSERT_FALSE(handler.Add(Item("/a")).IsError());
    ASSERT_FALSE(handler.Add(Item("/b")).IsError());
    ASSERT_FALSE(handler.Add(Item("/c")).IsError());
    SqliteFile file(dir.File("FileExtentRecall.db"));
    file.Exec("UPDATE RecalledItems SET Metadata='{\"Version\": 3, \"StubData\": \"x\"}' WHERE FilePath='/a';");
    file.Exec("UPDATE RecalledItems SET Metadata='not json' WHERE FilePath='/b';");
    file.Exec("UPDATE RecalledItems SET Metadata=NULL WHERE FilePath='/c';");

    CFileExtentRecallFileMetadata expected;
    expected.Version = 3;
    expected.StubData = "x";
    EXPECT_EQ(expected, *Read("/a").Metadata);
    EXPECT_EQ(CFileExtentRecallFileMetadata(), *Read("/b").Metadata);
    EXPECT_EQ(CFileExtentRecallFileMetadata(), *Read("/c").Metadata);
}

TEST_F(RecallTableTest, FieldsWithoutValueAreStoredAsNullAndReadAsDefaults)
{
    CRecalledItem bare;
    bare.FilePath = "/bare";
    bare.Status = PROGRESSING;
    ASSERT_FALSE(handler.Add(bare).IsError());
    EXPECT_EQ("NULL", Stored("Metadata"));

    const CRecalledItem read = Read("/bare");
    EXPECT_EQ("", *read.RestoredFilePath);
    EXPECT_EQ(0u, *read.ErrorCode);
    EXPECT_FALSE(*read.ContainerItemRestored);
    EXPECT_TRUE(read.ExtentBitmap->empty());
    EXPECT_EQ(CFileExtentRecallFileMetadata(), *read.Metadata);
}

TEST_F(RecallTableTest, MissingRowsAreNotFound)
{
    CRecalledItem item;
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.GetFileExtentRecalledItemByFilePath("/x", item), ERROR_NOT_FOUND));
    CRecalledItem change;
    change.ErrorCode = 1u;
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.Update("/x", change), ERROR_NOT_FOUND));
    EXPECT_TRUE(FXErrorUtil::IsWin32(
        handler.GetAllRestoredItems([](const CRecalledItem&) { return CZuError::Success(); }), ERROR_NOT_FOUND));
    EXPECT_EQ(0u, Count());
}

TEST_F(RecallTableTest, EnumerationStopsAtTheFirstCallbackError)
{
    for (const char* path : {"/a", "/b", "/c", "/d"})
        ASSERT_FALSE(handler.Add(Item(path)).IsError());
    std::vector<std::string> seen;
    const CZuError err = handler.GetAllRestoredItems([&seen](const CRecalledItem& item) {
        seen.push_back(item.FilePath);
        EXPECT_EQ("stub", item.Metadata->StubData);
        return seen.size() == 3 ? FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_GEN_FAILURE) : CZuError::Success();
    });
    EXPECT_TRUE(FXErrorUtil::IsWin32(err, ERROR_GEN_FAILURE));
    EXPECT_EQ(3u, seen.size());
}

TEST_F(RecallTableTest, InterfaceNamesTheTableAndDeletesAll)
{
    IFileRecallDBHandler& table = handler;
    EXPECT_EQ("RecalledItems", table.GetTableName());
    EXPECT_TRUE(table.DoesTableExist());
    ASSERT_FALSE(table.Add(Item("/a")).IsError());
    ASSERT_FALSE(table.DuplicateTable("RecalledCopy").IsError());
    EXPECT_EQ("1", SqliteFile(dir.File("FileExtentRecall.db")).Scalar("SELECT count(*) FROM RecalledCopy;"));
    ASSERT_FALSE(table.DeleteAll().IsError());
    EXPECT_EQ(0u, Count());
}

TEST(RecallTableLifecycleTest, UseBeforeCreateTableIsRefused)
{
    TempDir dir;
    FILEEXTENT_RESTORE::CFileExtentRestoreDB db(dir.Path(), "FileExtentRecall.db", 1);
    CFileRecallDBHandler handler(db);
    CRecalledItem item;
    item.FilePath = "/a";
    const CZuError err = handler.Add(item);
    EXPECT_TRUE(FXErrorUtil::IsWin32(err, 774));
    EXPECT_EQ("Table [RecalledItems] is not opened", err.GetMessage());
    ULONGLONG count = 5;
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.GetCount(count), 774));
    EXPECT_EQ(0u, count);
}
} // namespace
