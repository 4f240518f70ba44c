#include "restore/RestoreHandlerTestSupport.h"

#include "platform/ZuUtils/FXErrorUtil.h"

class RestoreEventsTest : public RestoreHandlerFixture
{
protected:
    void SetUp() override { InitializeOrdinary(); }
};

TEST_F(RestoreEventsTest, ContainerReportBecomesAFullRecord)
{
    auto report = ContainerReport(4, "/restored/a.txt", 7, PROGRESSING, 5);
    CFileExtentContainerItemRestoredAttributes attributes;
    attributes.Value1 = 1;
    attributes.Value2 = 2;
    attributes.Value3 = 3;
    attributes.Value4 = 4;
    attributes.Value5 = 5;
    report->SetFileExtentContainerItemRestoredAttributes(attributes);
    CFileExtentRestoredItemPostProcessAction action;
    action.DeleteItem = true;
    action.RenameItem = true;
    action.NewName = "b.txt";
    report->SetFileExtentRestoredItemPostProcessAction(action);
    ASSERT_FALSE(handler.OnContainerItem("/src/a.txt", 2, report).IsError());

    // A new key is written through at once.
    EXPECT_EQ((std::vector<std::string>{"/src/a.txt", "2", "/restored/a.txt", "5", "3", "1",
                                        "<DELETE>1|<RENAME>b.txt", "4", "0000", "1!2!3!4!5", "7"}),
              Row("/src/a.txt", 2));

    CFileExtentContainerItemRestoreReportPtr back(new CFileExtentContainerItemRestoreReport());
    back->SetTaskId(99);
    ASSERT_FALSE(handler.GetContainerItemData("/src/a.txt", 2, back).IsError());
    EXPECT_EQ("/restored/a.txt", back->GetRestoredFilePath());
    EXPECT_EQ(5u, back->GetErrCode());
    EXPECT_EQ(4u, back->GetNoOfExtents());
    EXPECT_EQ(5u, back->GetFileExtentContainerItemRestoredAttributes().Value5);
    EXPECT_EQ(4u, back->GetExtentBitmap().size());
    EXPECT_EQ(99, back->GetTaskId()); // left as it was
}

TEST_F(RestoreEventsTest, ExtentsSetBitsAndTheLastStatusWins)
{
    ASSERT_FALSE(handler.OnContainerItem("/f", 0, ContainerReport(3, "/r/f")).IsError());
    ASSERT_FALSE(handler.OnExtentItem("/f", 0, ExtentReport(0, FAILED, 9)).IsError());
    ASSERT_FALSE(handler.OnExtentItem("/f", 0, ExtentReport(2, SUCCESS, 0)).IsError());

    CRestoredItem item;
    ASSERT_FALSE(handler.GetRestoredItem("/f", 0, item).IsError());
    EXPECT_EQ("101", Bits(*item.ExtentBitmap)); // bit 2 and bit 0, highest first
    EXPECT_EQ(SUCCESS, *item.Status);
    EXPECT_EQ(0u, *item.ErrorCode);

    // Changes stay in memory until a flush.
    EXPECT_EQ("000", Column("ExtentBitmap", "/f"));
    ASSERT_FALSE(handler.Flush().IsError());
    EXPECT_EQ("101", Column("ExtentBitmap", "/f"));
    ASSERT_FALSE(handler.OnExtentItem("/f", 0, ExtentReport(1, SUCCESS, 0)).IsError());
    EXPECT_EQ("101", Column("ExtentBitmap", "/f"));
    ASSERT_FALSE(handler.Flush().IsError());
    EXPECT_EQ("111", Column("ExtentBitmap", "/f"));

    // A second container report starts the bitmap again.
    ASSERT_FALSE(handler.OnContainerItem("/f", 0, ContainerReport(3, "/r/f")).IsError());
    ASSERT_FALSE(handler.GetRestoredItem("/f", 0, item).IsError());
    EXPECT_EQ("000", Bits(*item.ExtentBitmap));
}

TEST_F(RestoreEventsTest, ZeroExtentItemTakesStatusButNoBits)
{
    ASSERT_FALSE(handler.OnContainerItem("/empty", 0, ContainerReport(0, "/r/empty")).IsError());
    ASSERT_FALSE(handler.OnExtentItem("/empty", 0, ExtentReport(5, FAILED, 3)).IsError());
    CRestoredItem item;
    ASSERT_FALSE(handler.GetRestoredItem("/empty", 0, item).IsError());
    EXPECT_EQ(0u, item.ExtentBitmap->size());
    EXPECT_EQ(FAILED, *item.Status);
    EXPECT_EQ(3u, *item.ErrorCode);
}

TEST_F(RestoreEventsTest, ExtentBeyondTheBitmapIsRejectedAndChangesNothing)
{
    ASSERT_FALSE(handler.OnContainerItem("/f", 0, ContainerReport(2, "/r/f")).IsError());
    for (ULONGLONG extent : {2ull, 1000000ull, 0xFFFFFFFFFFFFFFFFull})
        EXPECT_TRUE(FXErrorUtil::IsWin32(handler.OnExtentItem("/f", 0, ExtentReport(extent, FAILED, 4)),
                                         ERROR_INVALID_PARAMETER));
    CRestoredItem item;
    ASSERT_FALSE(handler.GetRestoredItem("/f", 0, item).IsError());
    EXPECT_EQ(PROGRESSING, *item.Status);
    EXPECT_EQ("00", Bits(*item.ExtentBitmap));
}

TEST_F(RestoreEventsTest, MissingItemsAndMissingReports)
{
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.OnExtentItem("/none", 0, ExtentReport(0)), ERROR_NOT_FOUND));

    bool skipped = false;
    int errorCode = 42;
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.IsContainerItemSkipped("/none", 0, skipped, errorCode), ERROR_NOT_FOUND));
    EXPECT_TRUE(skipped);
    EXPECT_EQ(0, errorCode);

    RestoreStatus status = FAILED;
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.GetContainerItemStatus("/none", 0, status), ERROR_NOT_FOUND));
    EXPECT_EQ(SUCCESS, status);

    CFileExtentContainerItemRestoreReportPtr none;
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.OnContainerItem("/x", 0, none), ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.OnExtentItem("/x", 0, CFileExtentExtentItemRestoreReportPtr()),
                                     ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.GetContainerItemData("/x", 0, none), ERROR_INVALID_PARAMETER));
}

TEST_F(RestoreEventsTest, SkippedMeansFailedOrSkipped)
{
    ASSERT_FALSE(handler.OnContainerItem("/s", 0, ContainerReport(1, "/r", 1, SKIPPED, 12)).IsError());
    ASSERT_FALSE(handler.OnContainerItem("/f", 0, ContainerReport(1, "/r", 1, FAILED, 13)).IsError());
    ASSERT_FALSE(handler.OnContainerItem("/p", 0, ContainerReport(1, "/r")).IsError());
    bool skipped = false;
    int errorCode = 0;
    ASSERT_FALSE(handler.IsContainerItemSkipped("/s", skipped, errorCode).IsError());
    EXPECT_TRUE(skipped);
    EXPECT_EQ(12, errorCode);
    ASSERT_FALSE(handler.IsContainerItemSkipped("/f", skipped, errorCode).IsError());
    EXPECT_TRUE(skipped);
    ASSERT_FALSE(handler.IsContainerItemSkipped("/p", skipped, errorCode).IsError());
    EXPECT_FALSE(skipped);
    RestoreStatus status = SUCCESS;
    ASSERT_FALSE(handler.GetContainerItemStatus("/p", 0, status).IsError());
    EXPECT_EQ(PROGRESSING, status);
}

TEST_F(RestoreEventsTest, KeysIgnoreCaseAndSeparateVersions)
{
    ASSERT_FALSE(handler.OnContainerItem("/Dir/File", ContainerReport(2, "/r/v0")).IsError());
    ASSERT_FALSE(handler.OnContainerItem("/dir/file", 1, ContainerReport(2, "/r/v1")).IsError());
    ASSERT_FALSE(handler.OnExtentItem("/DIR/FILE", ExtentReport(1)).IsError()); // version 0

    CFileExtentContainerItemRestoreReportPtr report(new CFileExtentContainerItemRestoreReport());
    ASSERT_FALSE(handler.GetContainerItemData("/dir/FILE", report).IsError());
    EXPECT_EQ("/r/v0", report->GetRestoredFilePath());
    EXPECT_EQ("10", Bits(report->GetExtentBitmap()));
    ASSERT_FALSE(handler.GetContainerItemData("/dir/FILE", 1, report).IsError());
    EXPECT_EQ("/r/v1", report->GetRestoredFilePath());
    EXPECT_EQ("00", Bits(report->GetExtentBitmap()));

    ULONGLONG count = 0;
    ASSERT_FALSE(handler.GetAllRestoredItemsCount(count).IsError());
    EXPECT_EQ(2u, count);
}

TEST_F(RestoreEventsTest, RemoveDeletesTheRowAndHidesTheKey)
{
    ASSERT_FALSE(handler.OnContainerItem("/gone", ContainerReport(1, "/r")).IsError());
    ASSERT_FALSE(handler.Remove("/gone").IsError());
    EXPECT_TRUE(Row("/gone").empty());
    CRestoredItem item;
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.GetRestoredItem("/gone", 0, item), ERROR_NOT_FOUND));
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.Remove("/never"), ERROR_NOT_FOUND));
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.OnExtentItem("/never", 0, ExtentReport(0)), ERROR_NOT_FOUND));
}

TEST_F(RestoreEventsTest, ResetReturnsTheEntryToItsInitialState)
{
    ASSERT_FALSE(handler.OnContainerItem("/r", 3, ContainerReport(2, "/restored", 4, SUCCESS, 8)).IsError());
    ASSERT_FALSE(handler.ResetContainerItemEntry("/r", 3).IsError());
    ASSERT_FALSE(handler.Flush().IsError());
    EXPECT_EQ((std::vector<std::string>{"/r", "3", "", "0", "3", "0", "", "0", "", "", "0"}), Row("/r", 3));
}

TEST_F(RestoreEventsTest, ImpossibleExtentCountIsAnErrorNotACrash)
{
    // Refused before the bitmap is made, so no allocator (a sanitizer's included) sees it.
    CZuError error = handler.OnContainerItem("/huge", ContainerReport(0xFFFFFFFFFFFFFFFFull, "/r"));
    EXPECT_TRUE(FXErrorUtil::IsWin32(error, ERROR_OUTOFMEMORY) || FXErrorUtil::IsWin32(error, ERROR_INVALID_PARAMETER))
        << error.AsString();
    CRestoredItem item;
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.GetRestoredItem("/huge", 0, item), ERROR_NOT_FOUND));
}
