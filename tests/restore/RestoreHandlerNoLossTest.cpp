#include "restore/RestoreHandlerTestSupport.h"

#include "platform/ZuUtils/FXErrorUtil.h"
#include "support/RecordingLogWriter.h"

#include <map>
#include <thread>

// What must not be lost or reported as success when the store, the collector or the host's
// input misbehaves.
class RestoreNoLossTest : public RestoreHandlerFixture
{
protected:
    // A trigger that makes SQLite refuse every write of one path's row, as a full or broken
    // store would refuse it; the restore's own connection sees it at its next statement.
    void RefuseWritesOf(const std::string& path)
    {
        SqliteFile file(DBPath());
        for (const char* event : {"INSERT", "UPDATE"})
            file.Exec(std::string("CREATE TRIGGER refuse_") + event + " BEFORE " + event +
                      " ON RestoredItems WHEN NEW.FilePath='" + path +
                      "' BEGIN SELECT RAISE(ABORT, 'refused by the test'); END;");
    }
    void AcceptWritesAgain()
    {
        SqliteFile file(DBPath());
        file.Exec("DROP TRIGGER refuse_INSERT;");
        file.Exec("DROP TRIGGER refuse_UPDATE;");
    }
    std::string StatusOf(const std::string& path) { return Column("Status", path); }
};

TEST_F(RestoreNoLossTest, StatusThatCannotBeWrittenIsReportedAndDecidedOnTheNextRun)
{
    InitializeOrdinary();
    for (const char* path : {"/a", "/b", "/c"})
        ASSERT_FALSE(handler.OnContainerItem(path, ContainerReport(2, "/r")).IsError());
    ReportAllExtents("/c", 2);
    ASSERT_FALSE(handler.Flush().IsError());
    RefuseWritesOf("/b");

    ScopedRecordingLog log(0);
    CZuError error = handler.UpdateStatus();
    EXPECT_TRUE(FXErrorUtil::IsSQLite(error, 1811)) << error.AsString(); // the trigger's constraint code
    EXPECT_NE(std::string::npos, error.GetMessage().find("/b")) << error.GetMessage();
    EXPECT_EQ("1", StatusOf("/a")); // every other row was decided
    EXPECT_EQ("3", StatusOf("/b"));
    EXPECT_EQ("0", StatusOf("/c"));
    bool logged = false;
    for (const std::string& line : log->TextsAt(-1))
        logged |= line.find("Failed to update status of the filepath=[/b]") == 0;
    EXPECT_TRUE(logged);

    AcceptWritesAgain();
    ASSERT_FALSE(handler.UpdateStatus().IsError());
    EXPECT_EQ("1", StatusOf("/b"));
}

TEST_F(RestoreNoLossTest, RecordTheStoreRefusesStaysDirtyWhileTheOthersAreWritten)
{
    InitializeOrdinary();
    RefuseWritesOf("/b");
    for (const char* path : {"/a", "/b", "/c"})
    {
        // Written at once: the store's refusal reaches the host, and the record stays, dirty.
        const CZuError error = handler.OnContainerItem(path, ContainerReport(1, "/r"));
        EXPECT_EQ(std::string(path) == "/b", FXErrorUtil::IsSQLite(error, 1811)) << path << error.AsString();
        ReportAllExtents(path, 1);
    }
    CZuError error = handler.Flush();
    EXPECT_TRUE(FXErrorUtil::IsSQLite(error, 1811)) << error.AsString();
    EXPECT_NE(std::string::npos, error.GetMessage().find("/b")) << error.GetMessage();
    EXPECT_EQ("1", Column("ExtentBitmap", "/a"));
    EXPECT_EQ("1", Column("ExtentBitmap", "/c"));
    EXPECT_TRUE(Row("/b").empty());

    AcceptWritesAgain();
    ASSERT_FALSE(handler.DeInitialize().IsError());
    EXPECT_EQ("1", Column("ExtentBitmap", "/b"));
}

TEST_F(RestoreNoLossTest, ContainerReportsTheTableCannotHoldAreRefused)
{
    InitializeOrdinary();
    // A bitmap past SQLite's length limit could never be written; refused before any allocation.
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.OnContainerItem("/huge", ContainerReport(1000000001ull, "/r")),
                                     ERROR_INVALID_PARAMETER));

    // "|" separates the parts of the stored action and NUL ends it: such a name would come back
    // as another action.
    const std::string badNames[] = {"x|<DELETE>1", "a|b", std::string("nul\0tail", 8)};
    for (const std::string& name : badNames)
    {
        auto report = ContainerReport(1, "/r");
        CFileExtentRestoredItemPostProcessAction action;
        action.RenameItem = true;
        action.NewName = name;
        report->SetFileExtentRestoredItemPostProcessAction(action);
        EXPECT_TRUE(FXErrorUtil::IsWin32(handler.OnContainerItem("/renamed", report), ERROR_INVALID_PARAMETER))
            << name;
    }
    CRestoredItem item;
    for (const char* path : {"/huge", "/renamed"})
        EXPECT_TRUE(FXErrorUtil::IsWin32(handler.GetRestoredItem(path, 0, item), ERROR_NOT_FOUND)) << path;

    // Every other name comes back exactly.
    auto report = ContainerReport(1, "/r");
    CFileExtentRestoredItemPostProcessAction action;
    action.DeleteItem = true;
    action.RenameItem = true;
    action.NewName = "<DELETE>1 <RENAME>!x \xc3\xa9\xff";
    report->SetFileExtentRestoredItemPostProcessAction(action);
    ASSERT_FALSE(handler.OnContainerItem("/renamed", report).IsError());
    ASSERT_FALSE(handler.Flush().IsError());
    ASSERT_FALSE(handler
                     .GetAllRestoredItems([&](const std::string&, unsigned int,
                                              const CFileExtentContainerItemRestoreReport& back) {
                         EXPECT_EQ(action.NewName, back.GetFileExtentRestoredItemPostProcessAction().NewName);
                         EXPECT_TRUE(back.GetFileExtentRestoredItemPostProcessAction().DeleteItem);
                         return CZuError::Success();
                     })
                     .IsError());
}

TEST_F(RestoreNoLossTest, PathsWithANulAreRefusedEverywhere)
{
    InitializeOrdinary();
    ASSERT_FALSE(handler.OnContainerItem("/q/nul", ContainerReport(1, "/r")).IsError());
    const std::string path("/q/nul\0tail", 11);
    auto isRefused = [](const CZuError& error) { return FXErrorUtil::IsWin32(error, ERROR_INVALID_PARAMETER); };
    CFileExtentContainerItemRestoreReportPtr report(new CFileExtentContainerItemRestoreReport());
    CRestoredItem item;
    RestoreStatus status;
    bool skipped;
    int code;
    EXPECT_TRUE(isRefused(handler.OnContainerItem(path, 0, ContainerReport(1, "/r"))));
    EXPECT_TRUE(isRefused(handler.OnExtentItem(path, 0, ExtentReport(0))));
    EXPECT_TRUE(isRefused(handler.GetContainerItemData(path, 0, report)));
    EXPECT_TRUE(isRefused(handler.IsContainerItemSkipped(path, 0, skipped, code)));
    EXPECT_TRUE(isRefused(handler.GetRestoredItem(path, 0, item)));
    EXPECT_TRUE(isRefused(handler.GetContainerItemStatus(path, 0, status)));
    EXPECT_TRUE(isRefused(handler.Remove(path, 0)));
    EXPECT_TRUE(isRefused(handler.ResetContainerItemEntry(path, 0)));
    EXPECT_TRUE(isRefused(handler.GetMissingExtents(path, 0, [](ULONGLONG, ULONGLONG) { return CZuError(); })));
    ASSERT_FALSE(handler.GetRestoredItem("/q/nul", 0, item).IsError());
    EXPECT_EQ("0", Bits(*item.ExtentBitmap)); // the cut path's record was not touched
}

namespace
{
// A collector that decodes every list message and keeps the last bitmap it got for each path.
class DecodingCollector
{
public:
    FN_SendXMLMsgToFIR XmlCallback()
    {
        return [this](CNMessageBase& message) {
            for (const CNMessageBase& item : message.GetFields()[0].list)
            {
                std::string path;
                std::string bitmap;
                for (const CNMessageField& field : item.GetFields())
                {
                    if (field.first == 1)
                        path = field.text;
                    else if (field.first == 8)
                        bitmap = field.text;
                }
                bitmaps[path] = bitmap;
            }
            return 1;
        };
    }
    std::map<std::string, std::string> bitmaps;
};
} // namespace

// The writer of a distributed restore evicts beyond 5000 records. A file whose record it
// evicted still takes its later extents, and the collector gets the whole record.
TEST_F(RestoreNoLossTest, DistributedWriterKeepsWhatItEvicted)
{
    DecodingCollector remote;
    ASSERT_FALSE(handler.Initialize(dir.Path(), true, collector.XdrCallback(), remote.XmlCallback(), 16).IsError());
    const int files = 6000;
    for (int i = 0; i < files; ++i)
        ASSERT_FALSE(handler.OnContainerItem("/f" + std::to_string(i), ContainerReport(2, "/r")).IsError());
    for (int i = 0; i < files; ++i)
        for (ULONGLONG extent : {0, 1})
            ASSERT_FALSE(handler.OnExtentItem("/f" + std::to_string(i), ExtentReport(extent)).IsError()) << i;
    EXPECT_TRUE(Row("/f0").empty()); // the restored items stay the collector's
    ASSERT_FALSE(handler.DeInitialize().IsError());

    ASSERT_EQ(static_cast<size_t>(files), remote.bitmaps.size());
    for (const auto& sent : remote.bitmaps)
        EXPECT_EQ("11", sent.second) << sent.first;
    SqliteFile file(DBPath());
    EXPECT_EQ("0", file.Scalar("SELECT count(*) FROM sqlite_master WHERE name='EvictedItems';"));
}

// Extent reports of one file from two threads change its record in place, under the cache's
// lock: no bit is lost.
TEST_F(RestoreNoLossTest, TwoThreadsReportingOneFileKeepEveryBit)
{
    InitializeOrdinary();
    const ULONGLONG extents = 12800;
    ASSERT_FALSE(handler.OnContainerItem("/shared", ContainerReport(extents, "/r")).IsError());
    std::vector<std::thread> hosts;
    for (ULONGLONG start : {0, 1})
        hosts.emplace_back([&, start] {
            for (ULONGLONG extent = start; extent < extents; extent += 2)
                EXPECT_FALSE(handler.OnExtentItem("/shared", ExtentReport(extent)).IsError());
        });
    for (std::thread& host : hosts)
        host.join();
    CRestoredItem item;
    ASSERT_FALSE(handler.GetRestoredItem("/shared", 0, item).IsError());
    EXPECT_EQ(extents, item.ExtentBitmap->count());
}
