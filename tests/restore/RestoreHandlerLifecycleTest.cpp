#include "restore/RestoreHandlerTestSupport.h"

#include "platform/ZuUtils/FXErrorUtil.h"
#include "platform/ZuUtils/FXFile.h"
#include "support/RecordingLogWriter.h"

#include <thread>

class RestoreLifecycleTest : public RestoreHandlerFixture
{
};

TEST_F(RestoreLifecycleTest, OperationsOutsideInitializeAreRefused)
{
    EXPECT_EQ("", handler.GetContainerItemDBPath());
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.Flush(), ERROR_INVALID_STATE));
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.OnContainerItem("/a", ContainerReport(1, "/r")), ERROR_INVALID_STATE));
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.UpdateStatus(), ERROR_INVALID_STATE));
    ULONGLONG count = 9;
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.GetAllRestoredItemsCount(count), ERROR_INVALID_STATE));
    EXPECT_EQ(0u, count);
    EXPECT_FALSE(handler.DeInitialize().IsError()); // nothing to release

    InitializeOrdinary();
    EXPECT_EQ(DBPath(), handler.GetContainerItemDBPath());
    ASSERT_FALSE(handler.OnContainerItem("/a", ContainerReport(1, "/r")).IsError());

    TempDir other;
    CZuError again = handler.Initialize(other.Path(), false, nullptr, nullptr, 0);
    EXPECT_TRUE(FXErrorUtil::IsWin32(again, ERROR_ALREADY_INITIALIZED));
    EXPECT_EQ(DBPath(), handler.GetContainerItemDBPath()); // the first objects stay in use
    ASSERT_FALSE(handler.OnExtentItem("/a", ExtentReport(0)).IsError());

    ASSERT_FALSE(handler.DeInitialize().IsError());
    EXPECT_EQ("1", Column("ExtentBitmap", "/a")); // flushed on the way out
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.OnExtentItem("/a", ExtentReport(0)), ERROR_INVALID_STATE));
    EXPECT_EQ("", handler.GetContainerItemDBPath());

    // A new Initialize after DeInitialize sees what the first one stored.
    InitializeOrdinary();
    CRestoredItem item;
    ASSERT_FALSE(handler.GetRestoredItem("/a", 0, item).IsError());
    EXPECT_EQ("/r", *item.RestoredFilePath);
}

TEST_F(RestoreLifecycleTest, FailedInitializeLeavesNoCacheAndCanBeRetried)
{
    std::string missing = dir.File("no/such/dir");
    CZuError error = handler.Initialize(missing, false, nullptr, nullptr, 0);
    EXPECT_TRUE(error.IsError());
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.Flush(), ERROR_INVALID_STATE));
    EXPECT_FALSE(handler.DeInitialize().IsError());
    EXPECT_FALSE(FXFile::DoesFileExist(missing));

    ASSERT_TRUE(handler.Initialize(missing, false, nullptr, nullptr, 0).IsError());
    InitializeOrdinary(); // a retry after a failure rebuilds
    EXPECT_FALSE(handler.Flush().IsError());
}

TEST_F(RestoreLifecycleTest, DistributedImmediateSendsOneXdrMessagePerNewRecord)
{
    ScopedRecordingLog log(0);
    InitializeDistributed(0);
    EXPECT_EQ(std::vector<std::string>{"It is a distributed restore, initializing the FileExtentNetwork handler"},
              log->TextsAt(0));
    for (const char* path : {"/a", "/b", "/c"})
        ASSERT_FALSE(handler.OnContainerItem(path, ContainerReport(2, "/r")).IsError());
    ASSERT_FALSE(handler.OnExtentItem("/a", ExtentReport(1)).IsError()); // a change waits for the flush
    EXPECT_EQ(3u, collector.xdrMessageNumbers.size());
    EXPECT_EQ(0x180000A1u, collector.xdrMessageNumbers[0]);
    ASSERT_FALSE(handler.Flush().IsError());
    EXPECT_EQ(4u, collector.xdrMessageNumbers.size());
    EXPECT_TRUE(collector.listSizes.empty());

    SqliteFile file(DBPath());
    EXPECT_EQ("0", file.Scalar("SELECT count(*) FROM RestoredItems"));

    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.Remove("/a"), ERROR_NOT_SUPPORTED));
    CFileExtentContainerItemRestoreReportPtr report(new CFileExtentContainerItemRestoreReport());
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.GetContainerItemData("/b", 0, report), ERROR_NOT_FOUND));
}

TEST_F(RestoreLifecycleTest, DistributedBlocksGoAsListsOnFlush)
{
    InitializeDistributed(3);
    for (int i = 0; i < 7; ++i)
        ASSERT_FALSE(handler.OnContainerItem("/f" + std::to_string(i), ContainerReport(1, "/r")).IsError());
    EXPECT_TRUE(collector.listSizes.empty());
    ASSERT_FALSE(handler.Flush().IsError());
    EXPECT_EQ((std::vector<size_t>{3, 3, 1}), collector.listSizes);
    EXPECT_TRUE(collector.xdrMessageNumbers.empty());
}

TEST_F(RestoreLifecycleTest, DistributedSendFailureIsReportedThenLoggedAtTheEnd)
{
    InitializeDistributed(0);
    collector.accept = false;
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.OnContainerItem("/a", ContainerReport(1, "/r")),
                                     ERROR_NETWORK_UNREACHABLE));
    ScopedRecordingLog log(0);
    // Torn down all the same, and the host learns that a record was not sent.
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.DeInitialize(), ERROR_NETWORK_UNREACHABLE));
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.Flush(), ERROR_INVALID_STATE));
    std::vector<std::string> failures = log->TextsAt(-1);
    ASSERT_EQ(1u, failures.size());
    EXPECT_EQ(0u, failures[0].find("Failed to flush the FileExtent records, error=["));
    EXPECT_NE(std::string::npos, failures[0].find("1231"));
}

TEST_F(RestoreLifecycleTest, ExtentReportsFallBackToTheLocalTableInADistributedRestore)
{
    {
        CFileExtentRestoreHandler ordinary;
        ASSERT_FALSE(ordinary.Initialize(dir.Path(), false, nullptr, nullptr, 0).IsError());
        ASSERT_FALSE(ordinary.OnContainerItem("/local", ContainerReport(2, "/r")).IsError());
        ASSERT_FALSE(ordinary.DeInitialize().IsError());
    }
    InitializeDistributed(2);
    ASSERT_FALSE(handler.OnExtentItem("/local", ExtentReport(1)).IsError());
    ASSERT_FALSE(handler.Flush().IsError());
    EXPECT_EQ((std::vector<size_t>{1}), collector.listSizes);
    EXPECT_EQ("00", Column("ExtentBitmap", "/local")); // the change went to the collector only
}

namespace
{
void RestoreFiles(CFileExtentRestoreHandler& handler, int first, int count, int extents)
{
    for (int i = first; i < first + count; ++i)
    {
        const std::string path = "/data/file" + std::to_string(i);
        const int incomplete = i % 10 == 0 ? 1 : 0;
        ASSERT_FALSE(handler.OnContainerItem(path, 1, ContainerReport(extents, "/restore" + path, i % 3)).IsError());
        for (int extent = 0; extent < extents - incomplete; ++extent)
            ASSERT_FALSE(handler.OnExtentItem(path, 1, ExtentReport(extent)).IsError());
    }
}
} // namespace

TEST_F(RestoreLifecycleTest, OrdinaryRestoreEndToEndWithSeveralHostThreads)
{
    InitializeOrdinary();
    const int threads = 4;
    const int perThread = 100;
    std::vector<std::thread> hosts;
    for (int t = 0; t < threads; ++t)
        hosts.emplace_back([&, t] { RestoreFiles(handler, t * perThread, perThread, 8); });
    for (std::thread& host : hosts)
        host.join();
    ASSERT_FALSE(handler.Flush().IsError());
    ASSERT_FALSE(handler.UpdateStatus().IsError());

    int restored = 0;
    int failed = 0;
    ASSERT_FALSE(handler
                     .GetAllRestoredItems([&](const std::string&, unsigned int version,
                                              const CFileExtentContainerItemRestoreReport& report) {
                         EXPECT_EQ(1u, version);
                         (report.GetRestoreStatus() == SUCCESS ? restored : failed)++;
                         return CZuError::Success();
                     })
                     .IsError());
    EXPECT_EQ(360, restored);
    EXPECT_EQ(40, failed);
    ASSERT_FALSE(handler.DeInitialize().IsError());
}

TEST_F(RestoreLifecycleTest, DistributedRestoreEndToEndWithSeveralHostThreads)
{
    InitializeDistributed(16);
    std::vector<std::thread> hosts;
    for (int t = 0; t < 3; ++t)
        hosts.emplace_back([&, t] { RestoreFiles(handler, t * 100, 100, 4); });
    for (std::thread& host : hosts)
        host.join();
    ASSERT_FALSE(handler.DeInitialize().IsError());
    size_t sent = 0;
    for (size_t size : collector.listSizes)
        sent += size;
    EXPECT_EQ(300u, sent); // every record once, in blocks
    SqliteFile file(DBPath());
    EXPECT_EQ("0", file.Scalar("SELECT count(*) FROM RestoredItems"));
}
