#include "restore/RestoreHandlerTestSupport.h"

#include "platform/ZuUtils/FXErrorUtil.h"

#include <memory>

// When a new file's row reaches the table, as a host and a second reader of the file see it.
class RestoreNewRecordsTest : public RestoreHandlerFixture
{
protected:
    void Initialize(bool withNextPass)
    {
        CFileExtentRestoreOptions options;
        options.WriteNewRecordsWithNextPass = withNextPass;
        ASSERT_FALSE(handler.Initialize(dir.Path(), false, nullptr, nullptr, 0, options).IsError());
    }
    ULONGLONG Count()
    {
        ULONGLONG count = 0;
        EXPECT_FALSE(handler.GetAllRestoredItemsCount(count).IsError());
        return count;
    }
    static CFileExtentContainerItemRestoreReportPtr FullReport()
    {
        auto report = ContainerReport(3, "/restored/a", 4, PROGRESSING, 6);
        CFileExtentRestoredItemPostProcessAction action;
        action.DeleteItem = true;
        report->SetFileExtentRestoredItemPostProcessAction(action);
        return report;
    }
    const std::vector<std::string> fullRow{"/a", "0", "/restored/a", "6", "3", "1", "<DELETE>1|", "3", "000",
                                           "0!0!0!0!0", "4"};
};

TEST_F(RestoreNewRecordsTest, ByDefaultANewFilesRowIsThereWhenItsContainerReportReturns)
{
    Initialize(false);
    ASSERT_FALSE(handler.OnContainerItem("/a", 0, FullReport()).IsError());
    EXPECT_EQ(fullRow, Row("/a")) << "another connection sees every column";
    EXPECT_EQ(1u, Count());

    // Extent events stay in memory until a pass writes them.
    ASSERT_FALSE(handler.OnExtentItem("/a", 0, ExtentReport(1)).IsError());
    EXPECT_EQ("000", Column("ExtentBitmap", "/a"));
    ASSERT_FALSE(handler.Flush().IsError());
    EXPECT_EQ("010", Column("ExtentBitmap", "/a"));
}

TEST_F(RestoreNewRecordsTest, WithTheNextPassTheRowWaitsForAFlush)
{
    Initialize(true);
    ASSERT_FALSE(handler.OnContainerItem("/a", 0, FullReport()).IsError());
    EXPECT_TRUE(Row("/a").empty());
    EXPECT_EQ(0u, Count());
    // The handler itself knows the file all the same, and may remove it.
    CRestoredItem item;
    ASSERT_FALSE(handler.GetRestoredItem("/a", 0, item).IsError());
    ASSERT_FALSE(handler.OnContainerItem("/gone", 0, FullReport()).IsError());
    ASSERT_FALSE(handler.Remove("/gone", 0).IsError());

    ASSERT_FALSE(handler.Flush().IsError());
    EXPECT_EQ(fullRow, Row("/a"));
    EXPECT_TRUE(Row("/gone").empty());
    EXPECT_EQ(1u, Count());
}

// What a crash (here: the handler gone without DeInitialize, which writes nothing) leaves of files
// that were reported but never flushed.
TEST_F(RestoreNewRecordsTest, ACrashKeepsTheContainerReportsWrittenAtOnceOnly)
{
    for (bool withNextPass : {false, true})
    {
        SCOPED_TRACE(withNextPass ? "with the next pass" : "at once");
        TempDir crashed;
        {
            CFileExtentRestoreHandler lost;
            CFileExtentRestoreOptions options;
            options.WriteNewRecordsWithNextPass = withNextPass;
            ASSERT_FALSE(lost.Initialize(crashed.Path(), false, nullptr, nullptr, 0, options).IsError());
            for (const char* path : {"/x", "/y"})
            {
                ASSERT_FALSE(lost.OnContainerItem(path, 0, ContainerReport(2, "/r")).IsError());
                ASSERT_FALSE(lost.OnExtentItem(path, 0, ExtentReport(0)).IsError());
            }
        }
        SqliteFile file(crashed.File("FileExtentRestore.db"));
        EXPECT_EQ(withNextPass ? "0" : "2", file.Scalar("SELECT count(*) FROM RestoredItems;"));
        EXPECT_EQ(withNextPass ? "" : "00", file.Scalar("SELECT ExtentBitmap FROM RestoredItems WHERE FilePath='/x';"))
            << "unflushed extents are lost in both modes";
    }
}
