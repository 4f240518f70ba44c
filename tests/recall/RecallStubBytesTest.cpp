#include "recall/FileExtentRecallDBManager.h"

#include "support/TempDir.h"

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

using namespace FILEEXTENTRECALLDB;

namespace
{
class RecallStubBytesTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_FALSE(manager.Initialize(dir.Path()).IsError()); }
    void TearDown() override { manager.DeInitialize(); }

    TempDir dir;
    CFileExtentRecallDBManager manager;
};

// The stub's bytes go through the metadata text and the database file and come back unchanged.
TEST_F(RecallStubBytesTest, StubBytesOfEveryValueReadBackFromTheDatabase)
{
    std::string bytes;
    for (int value = 255; value >= 0; --value)
        bytes += static_cast<char>(value);
    CFileRecallItemPtr item = boost::make_shared<CFileRecallItem>();
    item->NoOfExtents = 1;
    item->Metadata.StubData = bytes;
    item->Metadata.OriginInfo = std::string("\0\x80", 2);
    ASSERT_FALSE(manager.OnFileRecallItem("/f", item).IsError());

    std::string stub;
    ASSERT_FALSE(manager.GetRecalledFileMetaData("/f", stub).IsError());
    EXPECT_EQ(bytes, stub);
    CFileExtentRecallFileReportPtr report;
    ASSERT_FALSE(manager.GetRecalledFileReport("/f", report).IsError());
    ASSERT_TRUE(report);
    EXPECT_EQ(item->Metadata, report->Metadata);
}
} // namespace
