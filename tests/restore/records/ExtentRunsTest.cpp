#include "restore/records/ExtentRuns.h"

#include "platform/ZuUtils/FXErrorUtil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

using namespace FILEEXTENT_RESTORE;

namespace
{
typedef boost::dynamic_bitset<unsigned char> Bitmap;
typedef std::vector<std::pair<ULONGLONG, ULONGLONG>> Runs;

Runs MissingRuns(const Bitmap& bitmap)
{
    Runs runs;
    CZuError error = CExtentRuns::ForEachMissing(bitmap, [&runs](ULONGLONG first, ULONGLONG count) {
        runs.emplace_back(first, count);
        return CZuError::Success();
    });
    EXPECT_FALSE(error.IsError()) << error.AsString();
    return runs;
}

Bitmap AllSetBut(size_t size, std::initializer_list<size_t> clear)
{
    Bitmap bitmap(size);
    bitmap.set();
    for (size_t bit : clear)
        bitmap.reset(bit);
    return bitmap;
}
} // namespace

TEST(ExtentRunsTest, RunsAtBlockAndWordBoundaries)
{
    EXPECT_EQ(Runs(), MissingRuns(Bitmap()));
    EXPECT_EQ(Runs({{0, 130}}), MissingRuns(Bitmap(130)));
    EXPECT_EQ(Runs(), MissingRuns(AllSetBut(130, {})));
    EXPECT_EQ(Runs({{0, 1}}), MissingRuns(AllSetBut(130, {0})));
    EXPECT_EQ(Runs({{63, 2}}), MissingRuns(AllSetBut(130, {63, 64})));
    EXPECT_EQ(Runs({{7, 2}}), MissingRuns(AllSetBut(130, {7, 8})));
    EXPECT_EQ(Runs({{129, 1}}), MissingRuns(AllSetBut(130, {129})));
    EXPECT_EQ(Runs({{0, 3}, {7, 1}, {9, 4}}), MissingRuns(AllSetBut(16, {0, 1, 2, 7, 9, 10, 11, 12})));
    // A size inside a block: the unused high bits of the last block are not extents.
    EXPECT_EQ(Runs({{3, 2}}), MissingRuns(AllSetBut(5, {3, 4})));
}

TEST(ExtentRunsTest, CallbackFailureStopsTheScan)
{
    int calls = 0;
    CZuError error = CExtentRuns::ForEachMissing(AllSetBut(64, {1, 10, 20}), [&calls](ULONGLONG, ULONGLONG) {
        return ++calls == 2 ? FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_GEN_FAILURE) : CZuError::Success();
    });
    EXPECT_TRUE(FXErrorUtil::IsWin32(error, ERROR_GEN_FAILURE));
    EXPECT_EQ(2, calls);
}

TEST(ExtentRunsTest, TenMillionExtentsScanInMilliseconds)
{
    Bitmap bitmap(10000000);
    bitmap.set();
    bitmap.reset(0);
    bitmap.reset(5000000);
    bitmap.reset(9999999);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Runs({{0, 1}, {5000000, 1}, {9999999, 1}}), MissingRuns(bitmap));
    const auto ms =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count() / 1000.0;
    RecordProperty("scan_ms", std::to_string(ms));
}
