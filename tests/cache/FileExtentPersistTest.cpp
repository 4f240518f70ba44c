#include "cache/FileExtentPersist.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include <set>
#include <string>
#include <vector>

using FILEEXTENT_RESTORE::CFileExtentPersistToLocalDB2;

namespace
{
// A table handler that records what it is asked and answers as told.
class RecordingTable
{
public:
    std::vector<std::string> writes;
    std::set<size_t> failingWrites; // 1-based
    CZuError readResult;
    CZuError deleteResult;
    int reads = 0;
    int deletes = 0;

    CZuError AddorUpdate(const std::string& pk, const std::string&)
    {
        writes.push_back(pk);
        if (failingWrites.count(writes.size()))
            return FXErrorUtil::ErrorSQLite(FX_CODE_LOCATION, 19, "constraint on [%s]", pk.c_str());
        return CZuError::Success();
    }
    CZuError GetFileExtentRecalledItemByFilePath(const std::string& pk, std::string& value)
    {
        ++reads;
        value = "value of " + pk;
        return readResult;
    }
    CZuError Delete(const std::string&)
    {
        ++deletes;
        return deleteResult;
    }
};

typedef CFileExtentPersistToLocalDB2<boost::shared_ptr<RecordingTable>, std::string, std::string> Adapter;
typedef std::vector<std::tuple<std::string, std::string>> Batch;

class FileExtentPersistToLocalDB2Test : public ::testing::Test
{
protected:
    boost::shared_ptr<RecordingTable> table = boost::make_shared<RecordingTable>();
    Adapter adapter{table};
};

TEST_F(FileExtentPersistToLocalDB2Test, BatchStopsAtFirstFailureWithBothLocations)
{
    table->failingWrites = {2};
    CZuError err = adapter.Update(Batch{{"a", "1"}, {"b", "2"}, {"c", "3"}});
    ASSERT_TRUE(FXErrorUtil::IsSQLite(err, 19));
    EXPECT_EQ(table->writes, (std::vector<std::string>{"a", "b"})) << "the third is not attempted";
    ASSERT_EQ(err.GetLocations().size(), 3u) << "handler, single-record and batch locations";
    EXPECT_NE(err.GetLocations()[1].GetFunction().find("Update(const PK&"), std::string::npos);
    EXPECT_NE(err.GetLocations()[2].GetFunction().find("Update(const std::vector"), std::string::npos);
    EXPECT_EQ(err.GetLocations()[2].GetFile(), "FileExtentPersist.h");
}

TEST_F(FileExtentPersistToLocalDB2Test, EmptyBatchTouchesNothing)
{
    EXPECT_FALSE(adapter.Update(Batch{}).IsError());
    EXPECT_TRUE(table->writes.empty());
}

TEST_F(FileExtentPersistToLocalDB2Test, GetAndDeleteReturnTheHandlersResultUnchanged)
{
    table->readResult = FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_FOUND);
    table->deleteResult = FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, 774, "Table [%s] is not opened", "RecalledItems");
    std::string value;
    CZuError err = adapter.Get("a", value);
    EXPECT_TRUE(FXErrorUtil::IsWin32(err, ERROR_NOT_FOUND));
    EXPECT_EQ(err.GetLocations().size(), 1u);
    err = adapter.Delete("a");
    EXPECT_TRUE(FXErrorUtil::IsWin32(err, 774));
    EXPECT_EQ(err.GetMessage(), "Table [RecalledItems] is not opened");
    EXPECT_EQ(err.GetLocations().size(), 1u);

    table->readResult = CZuError::Success();
    ASSERT_FALSE(adapter.Get("a", value).IsError());
    EXPECT_EQ(value, "value of a");
}

// The batch goes through the single-record write of the most derived adapter.
TEST(FileExtentPersistBatchTest, BatchUsesTheOverriddenSingleWrite)
{
    struct CountingAdapter : Adapter
    {
        using Adapter::Adapter;
        using Adapter::Update;
        int singles = 0;
        CZuError Update(const std::string& pk, const std::string& value) override
        {
            ++singles;
            return Adapter::Update(pk, value);
        }
    };
    auto table = boost::make_shared<RecordingTable>();
    CountingAdapter adapter(table);
    ASSERT_FALSE(adapter.Update(Batch{{"a", "1"}, {"b", "2"}}).IsError());
    EXPECT_EQ(adapter.singles, 2);
    EXPECT_EQ(table->writes.size(), 2u);
}
} // namespace
