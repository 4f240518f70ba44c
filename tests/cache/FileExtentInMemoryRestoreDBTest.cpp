#include "cache/FileExtentInMemoryRestoreDB.h"
#include "platform/ZuUtils/FXErrorUtil.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

using namespace FILEEXTENT_RESTORE;

namespace
{
CFileExtentContainerItemRestoreReportPtr Report(const std::string& restoredPath, int taskId = 0)
{
    auto report = boost::make_shared<CFileExtentContainerItemRestoreReport>();
    report->SetRestoredFilePath(restoredPath);
    report->SetTaskId(taskId);
    return report;
}

TEST(FileExtentInMemoryRestoreDBTest, CaseFlagDecidesWhetherPathsDifferingInCaseAreOneKey)
{
    CFileExtentInMemoryRestoreDB nocase(true);
    ASSERT_FALSE(nocase.InsertContainerFileEntry("a/B.TXT", Report("/r/1")).IsError());
    CZuError err = nocase.InsertContainerFileEntry("A/b.txt", Report("/r/2"));
    EXPECT_TRUE(FXErrorUtil::IsWin32(err, 774));
    EXPECT_EQ(err.GetMessage(), "Failed to insert data into DB. ContainerFilePath=[A/b.txt]");
    auto out = Report("");
    ASSERT_FALSE(nocase.QueryContainerFileEntry("A/B.txt", &out).IsError());
    EXPECT_EQ(out->GetRestoredFilePath(), "/r/1") << "the stored entry is unchanged";

    CFileExtentInMemoryRestoreDB exact(false);
    ASSERT_FALSE(exact.InsertContainerFileEntry("a/B.TXT", Report("/r/1")).IsError());
    ASSERT_FALSE(exact.InsertContainerFileEntry("A/b.txt", Report("/r/2")).IsError());
    ASSERT_FALSE(exact.QueryContainerFileEntry("A/b.txt", &out).IsError());
    EXPECT_EQ(out->GetRestoredFilePath(), "/r/2");
    EXPECT_TRUE(FXErrorUtil::IsWin32(exact.QueryContainerFileEntry("a/b.txt", &out), ERROR_NOT_FOUND));
}

TEST(FileExtentInMemoryRestoreDBTest, EmptyReportIsRejected)
{
    CFileExtentInMemoryRestoreDB store(true);
    EXPECT_TRUE(FXErrorUtil::IsWin32(store.InsertContainerFileEntry("p", nullptr), ERROR_INVALID_PARAMETER));
    ASSERT_FALSE(store.InsertContainerFileEntry("p", Report("/r")).IsError());
    EXPECT_TRUE(FXErrorUtil::IsWin32(store.InsertContainerFileEntry("p", nullptr), ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(FXErrorUtil::IsWin32(store.UpdateContainerFileEntry("p", nullptr), ERROR_INVALID_PARAMETER));
}

TEST(FileExtentInMemoryRestoreDBTest, UpdateCopiesIntoTheStoredObjectAndQueryCopiesOut)
{
    CFileExtentInMemoryRestoreDB store(true);
    auto stored = Report("/r/1", 1);
    ASSERT_FALSE(store.InsertContainerFileEntry("p", stored).IsError());
    auto replacement = Report("/r/2", 2);
    ASSERT_FALSE(store.UpdateContainerFileEntry("P", replacement).IsError());
    EXPECT_EQ(stored->GetRestoredFilePath(), "/r/2") << "the caller's inserted object sees the update";
    EXPECT_EQ(stored->GetTaskId(), 2);

    auto out = Report("");
    auto before = out;
    ASSERT_FALSE(store.QueryContainerFileEntry("p", &out).IsError());
    EXPECT_EQ(out, before) << "the caller's pointer is not replaced";
    EXPECT_EQ(out->GetTaskId(), 2);
    out->SetTaskId(3);
    EXPECT_EQ(stored->GetTaskId(), 2) << "the query hands out a copy";

    CFileExtentContainerItemRestoreReportPtr empty;
    EXPECT_FALSE(store.QueryContainerFileEntry("p", &empty).IsError());
    EXPECT_FALSE(empty);
    EXPECT_FALSE(store.QueryContainerFileEntry("p", nullptr).IsError());
}

TEST(FileExtentInMemoryRestoreDBTest, AbsentPaths)
{
    CFileExtentInMemoryRestoreDB store(false);
    CZuError err = store.QueryContainerFileEntry("x", nullptr);
    EXPECT_TRUE(FXErrorUtil::IsWin32(err, ERROR_NOT_FOUND));
    EXPECT_EQ(err.GetMessage(), "Failed to find containerFilePath=[x] in DB");
    err = store.UpdateContainerFileEntry("x", Report("/r"));
    EXPECT_TRUE(FXErrorUtil::IsWin32(err, 774));
    EXPECT_EQ(err.GetMessage(), "Failed to find containerFilePath=[x] in DB");

    EXPECT_FALSE(store.DeleteContainerFileEntry("x").IsError());
    ASSERT_FALSE(store.InsertContainerFileEntry("x", Report("/r")).IsError());
    ASSERT_FALSE(store.DeleteContainerFileEntry("x").IsError());
    EXPECT_TRUE(FXErrorUtil::IsWin32(store.QueryContainerFileEntry("x", nullptr), ERROR_NOT_FOUND));
}
} // namespace
