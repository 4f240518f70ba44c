#include "restore/RestoreHandlerTestSupport.h"

#include "platform/ZuUtils/FXErrorUtil.h"
#include "store/FileExtentRestoreDBHandler.h"
#include "support/RecordingLogWriter.h"

#include <algorithm>
#include <map>

namespace
{
const char* const kFailedCode = "385876030"; // 0x1700003E
}

class RestoreStatusTest : public RestoreHandlerFixture
{
protected:
    void SetUp() override { InitializeOrdinary(); }

    // Writes a row as it stands, past the facade.
    void StoreRow(const CRestoredItem& item)
    {
        CFileExtentRestoreDB db(dir.Path(), "FileExtentRestore.db", 1);
        CFileExtentRestoreDBHandler table(db);
        ASSERT_FALSE(table.CreateTable().IsError());
        ASSERT_FALSE(table.Add(item).IsError());
    }
    static CRestoredItem Complete(const std::string& path, std::int64_t extents, size_t bits, bool allSet = true)
    {
        CRestoredItem item;
        item.Reset();
        item.FilePath = path;
        item.RestoredFilePath = "/restored" + path;
        item.ContainerItemRestored = true;
        item.NumOfExtents = extents;
        item.ExtentBitmap = boost::dynamic_bitset<unsigned char>(bits);
        if (allSet)
            item.ExtentBitmap->set();
        return item;
    }
    std::pair<std::string, std::string> StatusAndCode(const std::string& path)
    {
        std::vector<std::string> row = Row(path);
        return row.empty() ? std::make_pair(std::string(), std::string()) : std::make_pair(row[4], row[3]);
    }
};

TEST_F(RestoreStatusTest, DecidesEveryRecordAndLogsEachReason)
{
    StoreRow(Complete("/ok", 3, 3));
    StoreRow(Complete("/zero", 0, 0));
    CRestoredItem noPath = Complete("/nopath", 1, 1);
    noPath.RestoredFilePath = std::string();
    StoreRow(noPath);
    CRestoredItem noContainer = Complete("/nocontainer", 1, 1);
    noContainer.ContainerItemRestored = false;
    StoreRow(noContainer);
    StoreRow(Complete("/short", 4, 3));
    CRestoredItem hole = Complete("/hole", 3, 3);
    hole.ExtentBitmap->reset(1);
    hole.ErrorCode = 5u;
    StoreRow(hole);

    ScopedRecordingLog log(0);
    ASSERT_FALSE(handler.UpdateStatus().IsError());

    EXPECT_EQ(std::make_pair(std::string("0"), std::string("0")), StatusAndCode("/ok"));
    EXPECT_EQ(std::make_pair(std::string("0"), std::string("0")), StatusAndCode("/zero"));
    EXPECT_EQ(std::make_pair(std::string("1"), std::string(kFailedCode)), StatusAndCode("/nopath"));
    EXPECT_EQ(std::make_pair(std::string("1"), std::string(kFailedCode)), StatusAndCode("/nocontainer"));
    EXPECT_EQ(std::make_pair(std::string("1"), std::string(kFailedCode)), StatusAndCode("/short"));
    EXPECT_EQ(std::make_pair(std::string("1"), std::string("5")), StatusAndCode("/hole")); // keeps its own code

    std::vector<std::string> lines = log->TextsAt(-1);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ((std::vector<std::string>{
                  "Marking the item[/hole] as failed. Reason=[All extents not restored].",
                  "Marking the item[/nocontainer] as failed. Reason=[ContainerItem not restored].",
                  "Marking the item[/nopath] as failed. Reason=[Restored file path is empty].",
                  "Marking the item[/short] as failed. Reason=[All extents not restored. NumOfExtents=[3] "
                  "NumOfExtentsRestored=[4]].",
              }),
              lines);
}

TEST_F(RestoreStatusTest, FinalStatusesAreKeptAndSuccessIsExaminedAgain)
{
    CRestoredItem skipped = Complete("/skipped", 2, 2, false);
    skipped.Status = SKIPPED;
    skipped.ErrorCode = 0u;
    StoreRow(skipped);
    CRestoredItem failed = Complete("/failed", 2, 2, false);
    failed.Status = FAILED;
    failed.ErrorCode = 0u;
    StoreRow(failed);
    CRestoredItem success = Complete("/success", 1, 1);
    success.Status = SUCCESS;
    success.RestoredFilePath = std::string();
    StoreRow(success);
    std::vector<std::string> skippedBefore = Row("/skipped");

    ASSERT_FALSE(handler.UpdateStatus().IsError());
    std::map<std::string, std::vector<std::string>> once;
    for (const char* path : {"/skipped", "/failed", "/success"})
        once[path] = Row(path);
    EXPECT_EQ(skippedBefore, once["/skipped"]);
    EXPECT_EQ("0", once["/failed"][3]);
    EXPECT_EQ("1", once["/success"][4]);

    ASSERT_FALSE(handler.UpdateStatus().IsError());
    for (const char* path : {"/skipped", "/failed", "/success"})
        EXPECT_EQ(once[path], Row(path)) << path;
}

TEST_F(RestoreStatusTest, ResetItemFailsAndEmptyTableIsNotFound)
{
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.UpdateStatus(), ERROR_NOT_FOUND));
    ASSERT_FALSE(handler.OnContainerItem("/r", ContainerReport(1, "/restored")).IsError());
    ReportAllExtents("/r", 1);
    ASSERT_FALSE(handler.ResetContainerItemEntry("/r", 0).IsError());
    ASSERT_FALSE(handler.Flush().IsError());
    ASSERT_FALSE(handler.UpdateStatus().IsError());
    EXPECT_EQ(std::make_pair(std::string("1"), std::string(kFailedCode)), StatusAndCode("/r"));
}

TEST_F(RestoreStatusTest, ReaderCacheKeepsOldStatusWhileEnumerationsSeeTheDecision)
{
    ASSERT_FALSE(handler.OnContainerItem("/done", ContainerReport(2, "/r/done", 1)).IsError());
    ReportAllExtents("/done", 2);
    ASSERT_FALSE(handler.OnContainerItem("/half", ContainerReport(2, "/r/half", 2)).IsError());
    ASSERT_FALSE(handler.OnExtentItem("/half", ExtentReport(0, PROGRESSING)).IsError());
    ASSERT_FALSE(handler.Flush().IsError());
    ASSERT_FALSE(handler.UpdateStatus().IsError());

    RestoreStatus cached = SUCCESS;
    ASSERT_FALSE(handler.GetContainerItemStatus("/half", 0, cached).IsError());
    EXPECT_EQ(PROGRESSING, cached);

    std::map<std::string, RestoreStatus> decided;
    ASSERT_FALSE(handler
                     .GetAllRestoredItems([&](const std::string& path, unsigned int version,
                                              const CFileExtentContainerItemRestoreReport& report) {
                         EXPECT_EQ(0u, version);
                         decided[path] = report.GetRestoreStatus();
                         return CZuError::Success();
                     })
                     .IsError());
    EXPECT_EQ(SUCCESS, decided["/done"]);
    EXPECT_EQ(FAILED, decided["/half"]);

    std::vector<std::string> task2;
    ASSERT_FALSE(handler
                     .GetAllRestoredItemsByTaskId(2, [&](const std::string& path,
                                                         const CFileExtentContainerItemRestoreReport& report) {
                         task2.push_back(path);
                         EXPECT_EQ(385876030u, report.GetErrCode());
                         EXPECT_EQ("/r/half", report.GetRestoredFilePath());
                         return CZuError::Success();
                     })
                     .IsError());
    EXPECT_EQ(std::vector<std::string>{"/half"}, task2);
    EXPECT_TRUE(FXErrorUtil::IsWin32(
        handler.GetAllRestoredItemsByTaskId(
            77, [](const std::string&, const CFileExtentContainerItemRestoreReport&) { return CZuError::Success(); }),
        ERROR_NOT_FOUND));
}

TEST_F(RestoreStatusTest, EnumerationStopsAtAFailingCallback)
{
    for (const char* path : {"/a", "/b", "/c"})
        ASSERT_FALSE(handler.OnContainerItem(path, ContainerReport(1, "/r")).IsError());
    int calls = 0;
    CZuError error = handler.GetAllRestoredItems(
        [&](const std::string&, unsigned int, const CFileExtentContainerItemRestoreReport&) {
            return ++calls == 2 ? FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_GEN_FAILURE) : CZuError::Success();
        });
    EXPECT_TRUE(FXErrorUtil::IsWin32(error, ERROR_GEN_FAILURE));
    EXPECT_EQ(2, calls);
    EXPECT_GE(error.GetLocations().size(), 3u);
    EXPECT_EQ("FileExtentRestoreHandler.cpp", error.GetLocations().back().GetFile());
}

TEST_F(RestoreStatusTest, ThrowingCallbackBecomesAnError)
{
    ASSERT_FALSE(handler.OnContainerItem("/a", ContainerReport(1, "/r")).IsError());
    CZuError error = handler.GetAllRestoredItemsByTaskId(
        1, [](const std::string&, const CFileExtentContainerItemRestoreReport&) -> CZuError {
            throw std::runtime_error("host bug");
        });
    EXPECT_TRUE(FXErrorUtil::IsWin32(error, ERROR_GEN_FAILURE));
    EXPECT_NE(std::string::npos, error.GetMessage().find("host bug"));
    // The table is still usable afterwards.
    ULONGLONG count = 0;
    ASSERT_FALSE(handler.GetAllRestoredItemsCount(count).IsError());
    EXPECT_EQ(1u, count);
}
