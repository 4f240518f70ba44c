#include "recall/FileExtentRecallDBManager.h"

#include "platform/ZuUtils/FXErrorUtil.h"
#include "support/SqliteFile.h"
#include "support/TempDir.h"

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace FILEEXTENTRECALLDB;

namespace
{
class RecallManagerTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_FALSE(manager.Initialize(dir.Path()).IsError()); }
    void TearDown() override { manager.DeInitialize(); }

    CZuError Recall(const std::string& path, ULONGLONG extents, RecallStatus status = PROGRESSING,
                    const std::string& stubData = "stub")
    {
        CFileRecallItemPtr item = boost::make_shared<CFileRecallItem>();
        item->RestoredFilePath = path + ".restored";
        item->Status = status;
        item->NoOfExtents = extents;
        item->Metadata.StubData = stubData;
        item->Metadata.Attributes = 7;
        return manager.OnFileRecallItem(path, item);
    }

    CZuError Extent(const std::string& path, ULONGLONG number, ULONG errCode = 0, RecallStatus status = PROGRESSING)
    {
        CFileExtentRecallExtentItemPtr item = boost::make_shared<CFileExtentRecallExtentItem>();
        item->Status = status;
        item->ErrCode = errCode;
        item->ExtentNumber = number;
        item->Stats.InPipeline = CTimeInterval::From100NS(static_cast<std::int64_t>(number) + 1);
        return manager.OnExtentItem(path, item);
    }

    CZuError Container(const std::string& path, RecallStatus status, ULONG errCode = 0)
    {
        CFileExtentRecallContainerItemPtr item = boost::make_shared<CFileExtentRecallContainerItem>();
        item->Status = status;
        item->ErrCode = errCode;
        item->ContainerItemRestored = true;
        item->Stats.InTapeCheck = CTimeInterval::From100NS(99);
        return manager.OnContainerItem(path, item);
    }

    CZuError Status(const std::string& path, RecallStatus status, ULONG errCode = 0)
    {
        CFileExtentRecallStatusPtr item = boost::make_shared<CFileExtentRecallStatus>();
        item->Status = status;
        item->ErrCode = errCode;
        return manager.UpdateStatus(path, item);
    }

    // A column of the stored row, read past the library; "" when there is no row.
    std::string Stored(const std::string& path, const std::string& column) const
    {
        return SqliteFile(dir.File("FileExtentRecall.db"))
            .Scalar("SELECT " + column + " FROM RecalledItems WHERE FilePath='" + path + "';");
    }

    // Extent events 1 to 63 of a freshly recalled path stay in the cache; the 64th is written.
    void ExpectFirstWriteAtSixtyFourthExtent(const std::string& path)
    {
        for (ULONG event = 1; event <= 63; ++event)
            ASSERT_FALSE(Extent(path, event, event).IsError());
        EXPECT_EQ("0", Stored(path, "ErrorCode"));
        ASSERT_FALSE(Extent(path, 64, 64).IsError());
        EXPECT_EQ("64", Stored(path, "ErrorCode"));
    }

    CFileExtentRecallFileReportPtr Report(const std::string& path)
    {
        CFileExtentRecallFileReportPtr report;
        EXPECT_FALSE(manager.GetRecalledFileReport(path, report).IsError());
        return report ? report : boost::make_shared<CFileExtentRecallFileReport>();
    }

    TempDir dir;
    CFileExtentRecallDBManager manager;
};

TEST_F(RecallManagerTest, FileRecallEventStoresTheWholeRecordAtOnce)
{
    ASSERT_FALSE(Recall("/f", 10).IsError());

    EXPECT_EQ("/f.restored", Stored("/f", "RestoredFilePath"));
    EXPECT_EQ("3", Stored("/f", "Status"));
    EXPECT_EQ("10", Stored("/f", "NumOfExtents"));
    EXPECT_EQ("0000000000", Stored("/f", "ExtentBitmap"));
    EXPECT_EQ("0", Stored("/f", "ContainerItemRestored"));

    CFileExtentRecallFileReportPtr report = Report("/f");
    EXPECT_EQ("/f", report->FilePath);
    EXPECT_EQ("/f.restored", report->RestoredFilePath);
    EXPECT_EQ(PROGRESSING, report->Status.Status);
    EXPECT_EQ(10u, report->NoOfExtents);
    EXPECT_EQ(7u, report->Metadata.Attributes);
}

TEST_F(RecallManagerTest, EverySixtyFourthExtentEventWritesTheRecord)
{
    ASSERT_FALSE(Recall("/f", 200).IsError());
    for (ULONG event = 1; event <= 128; ++event)
    {
        ASSERT_FALSE(Extent("/f", event - 1, event).IsError()) << event;
        const ULONG lastWritten = event / 64 * 64;
        ASSERT_EQ(std::to_string(lastWritten), Stored("/f", "ErrorCode")) << "after event " << event;
    }
    const std::string bitmap = Stored("/f", "ExtentBitmap");
    EXPECT_EQ(std::string(72, '0') + std::string(128, '1'), bitmap);
}

TEST_F(RecallManagerTest, FinalExtentStatusWritesEveryDirtyRecord)
{
    ASSERT_FALSE(Recall("/a", 4).IsError());
    ASSERT_FALSE(Recall("/b", 4).IsError());
    ASSERT_FALSE(Extent("/a", 0, 11).IsError());
    ASSERT_EQ("0", Stored("/a", "ErrorCode"));

    ASSERT_FALSE(Extent("/b", 3, 22, SUCCESS).IsError());
    EXPECT_EQ("11", Stored("/a", "ErrorCode"));
    EXPECT_EQ("0001", Stored("/a", "ExtentBitmap"));
    EXPECT_EQ("22", Stored("/b", "ErrorCode"));
    EXPECT_EQ("0", Stored("/b", "Status"));
    EXPECT_EQ("1000", Stored("/b", "ExtentBitmap"));
}

TEST_F(RecallManagerTest, FailedRecordRefusesEventsWithoutCountingThem)
{
    ASSERT_FALSE(Recall("/f", 100, FAILED).IsError());
    const std::string before = Stored("/f", "Metadata");

    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(FXErrorUtil::IsWin32(Extent("/f", 0, 5), 774));
    EXPECT_TRUE(FXErrorUtil::IsWin32(Container("/f", SUCCESS), 774));
    EXPECT_TRUE(FXErrorUtil::IsWin32(Status("/f", SUCCESS), 774));
    ASSERT_FALSE(manager.Flush().IsError());
    EXPECT_EQ("1", Stored("/f", "Status"));
    EXPECT_EQ("0", Stored("/f", "ErrorCode"));
    EXPECT_EQ(before, Stored("/f", "Metadata"));

    // A new file-recall event replaces the failed record; the refused events left no count behind.
    ASSERT_FALSE(Recall("/f", 100).IsError());
    ExpectFirstWriteAtSixtyFourthExtent("/f");
}

TEST_F(RecallManagerTest, RemoveRestartsTheExtentCount)
{
    ASSERT_FALSE(Recall("/f", 100).IsError());
    for (ULONG event = 1; event <= 10; ++event)
        ASSERT_FALSE(Extent("/f", event, event).IsError());
    ASSERT_FALSE(manager.Remove("/f").IsError());
    EXPECT_EQ("", Stored("/f", "FilePath"));

    ASSERT_FALSE(Recall("/f", 100).IsError());
    ExpectFirstWriteAtSixtyFourthExtent("/f");
}

// The count belongs to the file's recall, not to one Initialize: a recall that goes on after a
// new Initialize is still written on its 64th extent event.
TEST_F(RecallManagerTest, ExtentCountOutlivesDeInitialize)
{
    ASSERT_FALSE(Recall("/f", 100).IsError());
    for (ULONG event = 1; event <= 10; ++event)
        ASSERT_FALSE(Extent("/f", event, event).IsError());
    ASSERT_FALSE(manager.DeInitialize().IsError());
    ASSERT_FALSE(manager.Initialize(dir.Path()).IsError());

    for (ULONG event = 11; event <= 63; ++event)
        ASSERT_FALSE(Extent("/f", event, event).IsError());
    EXPECT_EQ("0", Stored("/f", "ErrorCode"));
    ASSERT_FALSE(Extent("/f", 64, 64).IsError());
    EXPECT_EQ("64", Stored("/f", "ErrorCode"));
}

TEST_F(RecallManagerTest, ContainerAndStatusEventsAreWrittenAtOnce)
{
    ASSERT_FALSE(Recall("/f", 2).IsError());
    ASSERT_FALSE(Container("/f", PROGRESSING, 3).IsError());
    EXPECT_EQ("1", Stored("/f", "ContainerItemRestored"));
    EXPECT_EQ("3", Stored("/f", "ErrorCode"));
    EXPECT_EQ(99, Report("/f")->Metadata.Stats.InTapeCheck.As100NSIntervals());
    EXPECT_EQ("stub", Report("/f")->Metadata.StubData);

    ASSERT_FALSE(Status("/f", SKIPPED, 4).IsError());
    EXPECT_EQ("2", Stored("/f", "Status"));
    EXPECT_EQ("4", Stored("/f", "ErrorCode"));
}

TEST_F(RecallManagerTest, ReportsNeverClaimTheContainerWasRestored)
{
    ASSERT_FALSE(Recall("/f", 2).IsError());
    ASSERT_FALSE(Container("/f", SUCCESS).IsError());
    ASSERT_EQ("1", Stored("/f", "ContainerItemRestored"));

    EXPECT_FALSE(Report("/f")->ContainerItemRestored);
    int calls = 0;
    ASSERT_FALSE(manager
                     .GetAllRecalledFiles([&calls](CFileExtentRecallFileReportPtr report) {
                         ++calls;
                         EXPECT_FALSE(report->ContainerItemRestored);
                         return CZuError::Success();
                     })
                     .IsError());
    EXPECT_EQ(1, calls);
}

TEST_F(RecallManagerTest, AttributesAndTimeStampsReachTheTableOnlyOnFlush)
{
    ASSERT_FALSE(Recall("/f", 2).IsError());
    ASSERT_FALSE(manager.UpdateAttributes("/f", 0x80).IsError());
    ASSERT_FALSE(manager.UpdateFileTimeStamps("/f", 1, 2, 3, 4).IsError());
    EXPECT_EQ(7u, Report("/f")->Metadata.Attributes);
    EXPECT_EQ(0u, Report("/f")->Metadata.ChangeTime);

    ASSERT_FALSE(manager.Flush().IsError());
    const CFileExtentRecallFileMetadata metadata = Report("/f")->Metadata;
    EXPECT_EQ(0x80u, metadata.Attributes);
    EXPECT_EQ(1u, metadata.CreationTime);
    EXPECT_EQ(2u, metadata.LastAccessTime);
    EXPECT_EQ(3u, metadata.LastWriteTime);
    EXPECT_EQ(4u, metadata.ChangeTime);
}

TEST_F(RecallManagerTest, DeInitializeDropsWhatWasNotFlushed)
{
    ASSERT_FALSE(Recall("/f", 2).IsError());
    ASSERT_FALSE(manager.UpdateAttributes("/f", 0x80).IsError());
    ASSERT_FALSE(manager.DeInitialize().IsError());
    ASSERT_FALSE(manager.Initialize(dir.Path()).IsError());
    EXPECT_EQ(7u, Report("/f")->Metadata.Attributes);
}

TEST_F(RecallManagerTest, UnknownPathsAreNotFound)
{
    EXPECT_TRUE(FXErrorUtil::IsWin32(manager.UpdateAttributes("/nope", 1), ERROR_NOT_FOUND));
    EXPECT_TRUE(FXErrorUtil::IsWin32(manager.UpdateFileTimeStamps("/nope", 1, 2, 3, 4), ERROR_NOT_FOUND));
    CFileExtentRecallFileReportPtr report;
    EXPECT_TRUE(FXErrorUtil::IsWin32(manager.GetRecalledFileReport("/nope", report), ERROR_NOT_FOUND));
    std::string stub;
    EXPECT_TRUE(FXErrorUtil::IsWin32(manager.GetRecalledFileMetaData("/nope", stub), ERROR_NOT_FOUND));
    EXPECT_TRUE(FXErrorUtil::IsWin32(manager.Remove("/nope"), ERROR_NOT_FOUND));
    EXPECT_TRUE(FXErrorUtil::IsWin32(
        manager.GetAllRecalledFiles([](CFileExtentRecallFileReportPtr) { return CZuError::Success(); }),
        ERROR_NOT_FOUND));
}

TEST_F(RecallManagerTest, MetaDataIsTheStubData)
{
    ASSERT_FALSE(Recall("/f", 1, PROGRESSING, "the stub's data").IsError());
    std::string stub;
    ASSERT_FALSE(manager.GetRecalledFileMetaData("/f", stub).IsError());
    EXPECT_EQ("the stub's data", stub);
}

TEST_F(RecallManagerTest, CallbackFailureStopsTheEnumeration)
{
    for (const char* path : {"/a", "/b", "/c"})
        ASSERT_FALSE(Recall(path, 1).IsError());
    int calls = 0;
    const CZuError err = manager.GetAllRecalledFiles([&calls](CFileExtentRecallFileReportPtr) {
        return ++calls == 2 ? FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_GEN_FAILURE) : CZuError::Success();
    });
    EXPECT_TRUE(FXErrorUtil::IsWin32(err, ERROR_GEN_FAILURE));
    EXPECT_EQ(2, calls);
    EXPECT_GT(err.GetLocations().size(), 1u);
}

TEST_F(RecallManagerTest, EventsWithoutARecordKeepTheirStatistics)
{
    ASSERT_FALSE(Container("/c", PROGRESSING, 1).IsError());
    EXPECT_EQ(99, Report("/c")->Metadata.Stats.InTapeCheck.As100NSIntervals());
    EXPECT_EQ("/c", Report("/c")->FilePath);

    ASSERT_FALSE(Extent("/e", 5, 2, SUCCESS).IsError());
    CFileExtentRecallFileReportPtr report = Report("/e");
    EXPECT_EQ("/e", report->FilePath);
    EXPECT_EQ(SUCCESS, report->Status.Status);
    EXPECT_EQ(2u, report->Status.ErrCode);
    EXPECT_EQ(6, report->Metadata.Stats.InPipeline.As100NSIntervals());
    EXPECT_TRUE(report->ExtentBitmap.empty());
}

TEST_F(RecallManagerTest, ExtentBeyondTheBitmapIsRefusedAndNotCounted)
{
    ASSERT_FALSE(Recall("/f", 4).IsError());
    for (ULONG event = 1; event <= 62; ++event)
        ASSERT_FALSE(Extent("/f", event % 4, event).IsError());
    EXPECT_TRUE(FXErrorUtil::IsWin32(Extent("/f", 4, 999), ERROR_INVALID_PARAMETER));
    ASSERT_FALSE(Extent("/f", 3, 63).IsError());
    EXPECT_EQ("0", Stored("/f", "ErrorCode"));
    ASSERT_FALSE(Extent("/f", 3, 64).IsError());
    EXPECT_EQ("64", Stored("/f", "ErrorCode"));
    EXPECT_EQ("1111", Stored("/f", "ExtentBitmap"));
}

TEST_F(RecallManagerTest, ExtentOfAFileWithoutExtentsRecordsStatusOnly)
{
    ASSERT_FALSE(Recall("/f", 0).IsError());
    ASSERT_FALSE(Extent("/f", 0, 8, FAILED).IsError());
    EXPECT_EQ("1", Stored("/f", "Status"));
    EXPECT_EQ("8", Stored("/f", "ErrorCode"));
    EXPECT_EQ("", Stored("/f", "ExtentBitmap"));
}

TEST_F(RecallManagerTest, NullInputsAreInvalid)
{
    EXPECT_TRUE(FXErrorUtil::IsWin32(manager.OnFileRecallItem("/f", nullptr), ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(FXErrorUtil::IsWin32(manager.OnContainerItem("/f", nullptr), ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(FXErrorUtil::IsWin32(manager.OnExtentItem("/f", nullptr), ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(FXErrorUtil::IsWin32(manager.UpdateStatus("/f", nullptr), ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(FXErrorUtil::IsWin32(manager.GetAllRecalledFiles(nullptr), ERROR_INVALID_PARAMETER));
    EXPECT_EQ("", Stored("/f", "FilePath"));
}

TEST_F(RecallManagerTest, SecondInitializeIsRefusedAndTheFirstKeepsWorking)
{
    TempDir other;
    EXPECT_TRUE(FXErrorUtil::IsWin32(manager.Initialize(other.Path()), ERROR_ALREADY_INITIALIZED));
    ASSERT_FALSE(Recall("/f", 1).IsError());
    EXPECT_EQ("1", Stored("/f", "NumOfExtents"));
}

TEST(RecallManagerLifecycleTest, OperationsOutsideInitializeAreInvalidState)
{
    TempDir dir;
    CFileExtentRecallDBManager manager;
    auto expectNotInitialized = [&manager](const char* when) {
        const CZuError err = manager.Flush();
        EXPECT_TRUE(FXErrorUtil::IsWin32(err, ERROR_INVALID_STATE)) << when;
        EXPECT_NE(std::string::npos, err.GetMessage().find("not initialized")) << when;
        EXPECT_TRUE(FXErrorUtil::IsWin32(manager.UpdateAttributes("/f", 1), ERROR_INVALID_STATE)) << when;
        EXPECT_TRUE(FXErrorUtil::IsWin32(manager.OnFileRecallItem("/f", boost::make_shared<CFileRecallItem>()),
                                         ERROR_INVALID_STATE))
            << when;
        std::string stub;
        EXPECT_TRUE(FXErrorUtil::IsWin32(manager.GetRecalledFileMetaData("/f", stub), ERROR_INVALID_STATE)) << when;
    };
    expectNotInitialized("before Initialize");
    EXPECT_FALSE(manager.DeInitialize().IsError());
    ASSERT_FALSE(manager.Initialize(dir.Path()).IsError());
    ASSERT_FALSE(manager.DeInitialize().IsError());
    expectNotInitialized("after DeInitialize");
}

TEST_F(RecallManagerTest, ThreadsRecallingDistinctPathsKeepEveryRecord)
{
    const int kThreads = 4;
    const ULONG kExtents = 100;
    std::vector<std::thread> threads;
    std::vector<CZuError> failures(kThreads);
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([this, t, &failures] {
            for (int file = 0; file < 3; ++file)
            {
                const std::string path = "/t" + std::to_string(t) + "/f" + std::to_string(file);
                CZuError err = Recall(path, kExtents);
                for (ULONG e = 0; !err.IsError() && e < kExtents; ++e)
                    err = Extent(path, e, e, e + 1 == kExtents ? SUCCESS : PROGRESSING);
                if (!err.IsError())
                    err = manager.UpdateAttributes(path, static_cast<ULONG>(t));
                if (!err.IsError())
                {
                    CFileExtentRecallFileReportPtr report;
                    err = manager.GetRecalledFileReport(path, report);
                }
                if (err.IsError())
                {
                    failures[t] = err;
                    return;
                }
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (const CZuError& err : failures)
        EXPECT_FALSE(err.IsError()) << err.AsString();
    ASSERT_FALSE(manager.Flush().IsError());

    for (int t = 0; t < kThreads; ++t)
    {
        for (int file = 0; file < 3; ++file)
        {
            CFileExtentRecallFileReportPtr report = Report("/t" + std::to_string(t) + "/f" + std::to_string(file));
            EXPECT_EQ(SUCCESS, report->Status.Status);
            EXPECT_TRUE(report->ExtentBitmap.all());
            EXPECT_EQ(kExtents, report->ExtentBitmap.size());
            EXPECT_EQ(static_cast<ULONG>(t), report->Metadata.Attributes);
        }
    }
}
} // namespace

namespace
{
TEST(RecallManagerLifecycleTest, FailedInitializeLeavesTheManagerUninitializedAndCanBeRetried)
{
    TempDir dir;
    CFileExtentRecallDBManager manager;
    const CZuError err = manager.Initialize(dir.File("missing/dir"));
    ASSERT_TRUE(err.IsError());
    EXPECT_TRUE(FXErrorUtil::IsWin32(manager.Flush(), ERROR_INVALID_STATE));

    ASSERT_FALSE(manager.Initialize(dir.Path()).IsError());
    EXPECT_FALSE(manager.Flush().IsError());
    EXPECT_FALSE(manager.DeInitialize().IsError());
}
} // namespace

namespace
{
// One file named in two letter cases is one row of the table, and one record of the cache:
// extent events under either name add to the same bitmap.
TEST_F(RecallManagerTest, OneFileInTwoLetterCasesKeepsEveryBit)
{
    ASSERT_FALSE(Recall("/Dir/File", 8).IsError());
    for (ULONGLONG extent = 0; extent < 8; ++extent)
        ASSERT_FALSE(Extent(extent % 2 ? "/dir/file" : "/DIR/FILE", extent).IsError());
    ASSERT_FALSE(manager.Flush().IsError());
    EXPECT_EQ("11111111", Stored("/dir/file", "ExtentBitmap"));
}

TEST_F(RecallManagerTest, PathsWithANulAndRecordsTooLargeAreRefused)
{
    const std::string path("/q/nul\0tail", 11);
    auto isRefused = [](const CZuError& error) { return FXErrorUtil::IsWin32(error, ERROR_INVALID_PARAMETER); };
    EXPECT_TRUE(isRefused(Recall(path, 1)));
    EXPECT_TRUE(isRefused(Extent(path, 0)));
    EXPECT_TRUE(isRefused(Container(path, PROGRESSING)));
    EXPECT_TRUE(isRefused(Status(path, SUCCESS)));
    EXPECT_TRUE(isRefused(manager.UpdateAttributes(path, 1)));
    EXPECT_TRUE(isRefused(manager.UpdateFileTimeStamps(path, 1, 2, 3, 4)));
    CFileExtentRecallFileReportPtr report;
    EXPECT_TRUE(isRefused(manager.GetRecalledFileReport(path, report)));
    std::string stub;
    EXPECT_TRUE(isRefused(manager.GetRecalledFileMetaData(path, stub)));
    EXPECT_TRUE(isRefused(manager.Remove(path)));

    // A bitmap past SQLite's length limit could never be written: refused before it is made.
    EXPECT_TRUE(isRefused(Recall("/huge", 1000000001ull)));
    EXPECT_EQ("", Stored("/huge", "FilePath"));
    EXPECT_EQ("", Stored("/q/nul", "FilePath"));
}
} // namespace
