#include "platform/ZuUtils/FXErrorUtil.h"
#include "restore/records/FileExtentRestoredFileAttributesAndStatus.h"

#include <gtest/gtest.h>

using namespace FILEEXTENT_RESTORE;

TEST(RestoreStatusTest, NamesAndConversions)
{
    EXPECT_STREQ("SUCCESS", RestoreStatusToString.at(SUCCESS));
    EXPECT_STREQ("PROGRESSING", RestoreStatusToString.at(PROGRESSING));
    EXPECT_STREQ("SKIPPED", FILEEXTENTRECALLDB::RecallStatusToString.at(FILEEXTENTRECALLDB::SKIPPED));
    for (int value = 0; value <= 3; ++value)
    {
        EXPECT_EQ(value, ConvertRestoreStatusToRecallStatus(static_cast<RestoreStatus>(value)));
        EXPECT_EQ(value, ConvertRecallStatusToRestoreStatus(static_cast<FILEEXTENTRECALLDB::RecallStatus>(value)));
    }
    for (int value : {-1, 4, 7, 255})
    {
        EXPECT_EQ(FILEEXTENTRECALLDB::FAILED, ConvertRestoreStatusToRecallStatus(static_cast<RestoreStatus>(value)));
        EXPECT_EQ(FAILED, ConvertRecallStatusToRestoreStatus(static_cast<FILEEXTENTRECALLDB::RecallStatus>(value)));
    }
}

TEST(RestoreReportTest, DefaultsAndDeepCopies)
{
    CFileExtentExtentItemRestoreReport extent;
    EXPECT_EQ(0u, extent.GetExtentNumber());
    EXPECT_EQ(0u, extent.GetErrCode());
    EXPECT_EQ(PROGRESSING, extent.GetRestoreStatus());
    extent.SetExtentNumber(9);
    CFileExtentExtentItemRestoreReport extentCopy(extent);
    extentCopy.SetExtentNumber(10);
    EXPECT_EQ(9u, extent.GetExtentNumber());
    extentCopy = extentCopy;
    EXPECT_EQ(10u, extentCopy.GetExtentNumber());

    CFileExtentContainerItemRestoreReport container;
    EXPECT_EQ(0u, container.GetNoOfExtents());
    EXPECT_EQ(0u, container.GetExtentBitmap().size());
    EXPECT_EQ("", container.GetRestoredFilePath());
    EXPECT_EQ(PROGRESSING, container.GetRestoreStatus());
    EXPECT_EQ(0, container.GetTaskId());
    EXPECT_EQ(0u, container.GetFileExtentContainerItemRestoredAttributes().Value5);
    EXPECT_FALSE(container.GetFileExtentRestoredItemPostProcessAction().RenameItem);

    container.SetRestoredFilePath("/r/a");
    container.SetExtentBitmap(boost::dynamic_bitset<unsigned char>(4));
    CFileExtentContainerItemRestoreReport copy;
    copy = container;
    copy.SetRestoredFilePath("/r/b");
    copy.SetExtentBitmap(boost::dynamic_bitset<unsigned char>(8));
    EXPECT_EQ("/r/a", container.GetRestoredFilePath());
    EXPECT_EQ(4u, container.GetExtentBitmap().size());
    CFileExtentContainerItemRestoreReport constructed(copy);
    EXPECT_EQ("/r/b", constructed.GetRestoredFilePath());
}

TEST(RestoredItemTest, ResetEngagesEveryMemberUnlikeDefaultConstruction)
{
    CRestoredItem fresh;
    EXPECT_FALSE(fresh.RestoredFilePath || fresh.ErrorCode || fresh.Status || fresh.ContainerItemRestored ||
                 fresh.PostProcessAction || fresh.NumOfExtents || fresh.ExtentBitmap || fresh.Metadata ||
                 fresh.TaskId);

    CRestoredItem item;
    item.FilePath = "/a";
    item.RestoredItemVersion = 3;
    item.ExtentBitmap = boost::dynamic_bitset<unsigned char>(5);
    item.Reset();
    EXPECT_EQ("", item.FilePath);
    EXPECT_EQ(0u, item.RestoredItemVersion);
    ASSERT_TRUE(item.RestoredFilePath && item.ErrorCode && item.Status && item.ContainerItemRestored &&
                item.PostProcessAction && item.NumOfExtents && item.ExtentBitmap && item.Metadata && item.TaskId);
    EXPECT_EQ(PROGRESSING, *item.Status);
    EXPECT_FALSE(*item.ContainerItemRestored);
    EXPECT_EQ(0u, item.ExtentBitmap->size());
}

TEST(RuntimeStringCmpATest, BothModes)
{
    RuntimeStringCmpA nocase(RuntimeStringCmpA::nocase);
    EXPECT_FALSE(nocase("abc", "ABC"));
    EXPECT_FALSE(nocase("ABC", "abc"));
    EXPECT_TRUE(nocase("ab", "ABC"));
    EXPECT_FALSE(nocase("a_", "AZ"));
    EXPECT_TRUE(nocase("AZ", "a_"));

    RuntimeStringCmpA sensitive(RuntimeStringCmpA::case_sensitive);
    EXPECT_TRUE(sensitive("ABC", "abc"));
    EXPECT_FALSE(sensitive("abc", "ABC"));
    EXPECT_TRUE(RuntimeStringCmpA::nocase_compare('a', 'B'));
    EXPECT_FALSE(RuntimeStringCmpA::nocase_compare(static_cast<char>(0xE9), 'z')); // high bytes sort above ASCII
}

TEST(RestoredAttributesTest, TextRoundTripsAndPartialTexts)
{
    CFileExtentContainerItemRestoredAttributes attributes;
    std::string text = "stale";
    attributes.SerializeToString(text);
    EXPECT_EQ("0!0!0!0!0", text);

    attributes.Value1 = 1;
    attributes.Value2 = 2;
    attributes.Value3 = 18446744073709551615ull;
    attributes.Value4 = 4;
    attributes.Value5 = 5;
    attributes.SerializeToString(text);
    EXPECT_EQ("1!2!18446744073709551615!4!5", text);
    CFileExtentContainerItemRestoredAttributes back;
    EXPECT_FALSE(back.DeserializeFromString(text).IsError());
    EXPECT_EQ(18446744073709551615ull, back.Value3);
    EXPECT_EQ(5u, back.Value5);

    CFileExtentContainerItemRestoredAttributes four;
    four.Value5 = 99;
    EXPECT_FALSE(four.DeserializeFromString("7!8!9!10").IsError());
    EXPECT_EQ(7u, four.Value1);
    EXPECT_EQ(10u, four.Value4);
    EXPECT_EQ(0u, four.Value5);

    CFileExtentContainerItemRestoredAttributes truncated;
    EXPECT_FALSE(truncated.DeserializeFromString("abc!1!1!4294967297!x").IsError());
    EXPECT_EQ(0u, truncated.Value1);
    EXPECT_EQ(1u, truncated.Value4);
    EXPECT_EQ(0u, truncated.Value5);
}

TEST(RestoredAttributesTest, ShortTextFailsAndChangesNothing)
{
    CFileExtentContainerItemRestoredAttributes attributes;
    attributes.Value1 = 42;
    CZuError error = attributes.DeserializeFromString("1!2!3");
    EXPECT_TRUE(FXErrorUtil::IsWin32(error, ERROR_GEN_FAILURE));
    EXPECT_EQ("", error.GetMessage());
    EXPECT_EQ(42u, attributes.Value1);
    EXPECT_FALSE(attributes.DeserializeFromString("").IsError());
    EXPECT_EQ(42u, attributes.Value1);
}

TEST(PostProcessActionTest, TextForms)
{
    CFileExtentRestoredItemPostProcessAction action;
    std::string text = "stale";
    action.SerializeToString(text);
    EXPECT_EQ("", text);

    action.DeleteItem = true;
    action.SerializeToString(text);
    EXPECT_EQ("<DELETE>1|", text);
    CFileExtentRestoredItemPostProcessAction back;
    back.DeserializeFromString(text);
    EXPECT_TRUE(back.DeleteItem);
    EXPECT_FALSE(back.RenameItem);

    action.DeleteItem = false;
    action.RenameItem = true;
    action.NewName = "report.txt";
    action.SerializeToString(text);
    EXPECT_EQ("<RENAME>report.txt", text);

    action.DeleteItem = true;
    action.SerializeToString(text);
    EXPECT_EQ("<DELETE>1|<RENAME>report.txt", text);
    CFileExtentRestoredItemPostProcessAction both;
    both.DeserializeFromString(text);
    EXPECT_TRUE(both.DeleteItem && both.RenameItem);
    EXPECT_EQ("report.txt", both.NewName);
}

TEST(PostProcessActionTest, ReadingRules)
{
    CFileExtentRestoredItemPostProcessAction action;
    action.DeleteItem = true;
    action.DeserializeFromString("<DELETE>0");
    EXPECT_FALSE(action.DeleteItem);
    action.DeleteItem = true;
    action.DeserializeFromString("<DELETE>4294967296");
    EXPECT_FALSE(action.DeleteItem);

    CFileExtentRestoredItemPostProcessAction pipe;
    pipe.RenameItem = true;
    pipe.NewName = "a|b";
    std::string text;
    pipe.SerializeToString(text);
    CFileExtentRestoredItemPostProcessAction cut;
    cut.DeserializeFromString(text);
    EXPECT_EQ("a", cut.NewName);

    CFileExtentRestoredItemPostProcessAction untouched;
    untouched.NewName = "keep";
    untouched.DeserializeFromString("x<RENAME>other|junk");
    EXPECT_FALSE(untouched.RenameItem);
    EXPECT_EQ("keep", untouched.NewName);
    untouched.DeserializeFromString("<RENAME>");
    EXPECT_TRUE(untouched.RenameItem);
    EXPECT_EQ("", untouched.NewName);
}
