#include "restore/RestoreHandlerTestSupport.h"

#include "platform/ZuUtils/FXErrorUtil.h"

#include <stdexcept>
#include <utility>

namespace
{
typedef std::vector<std::pair<ULONGLONG, ULONGLONG>> Runs;
} // namespace

class RestoreResumeTest : public RestoreHandlerFixture
{
protected:
    Runs Missing(const std::string& path, CZuError* error = nullptr)
    {
        Runs runs;
        CZuError result = handler.GetMissingExtents(path, [&runs](ULONGLONG first, ULONGLONG count) {
            runs.emplace_back(first, count);
            return CZuError::Success();
        });
        if (error)
            *error = result;
        else
            EXPECT_FALSE(result.IsError()) << result.AsString();
        return runs;
    }
};

TEST_F(RestoreResumeTest, MissingExtentsFollowTheRecordWhereverItIs)
{
    InitializeOrdinary();
    ASSERT_FALSE(handler.OnContainerItem("/f", ContainerReport(10, "/r/f")).IsError());
    for (ULONGLONG extent : {0, 1, 2, 5, 9})
        ASSERT_FALSE(handler.OnExtentItem("/f", ExtentReport(extent)).IsError());
    EXPECT_EQ(Runs({{3, 2}, {6, 3}}), Missing("/f")); // from the cache, before any flush

    ASSERT_FALSE(handler.Flush().IsError());
    ASSERT_FALSE(handler.DeInitialize().IsError());
    InitializeOrdinary(); // an interrupted restore's directory keeps its records
    EXPECT_EQ(Runs({{3, 2}, {6, 3}}), Missing("/f"));

    ReportAllExtents("/f", 10);
    EXPECT_EQ(Runs(), Missing("/f"));

    CZuError error;
    Missing("/unknown", &error);
    EXPECT_TRUE(FXErrorUtil::IsWin32(error, ERROR_NOT_FOUND));
}

TEST_F(RestoreResumeTest, CallbackFailuresAndThrowsStopTheScan)
{
    InitializeOrdinary();
    ASSERT_FALSE(handler.OnContainerItem("/f", ContainerReport(8, "/r/f")).IsError());
    ASSERT_FALSE(handler.OnExtentItem("/f", ExtentReport(3)).IsError());
    int calls = 0;
    CZuError error = handler.GetMissingExtents("/f", [&calls](ULONGLONG, ULONGLONG) {
        ++calls;
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_SUPPORTED);
    });
    EXPECT_TRUE(FXErrorUtil::IsWin32(error, ERROR_NOT_SUPPORTED));
    EXPECT_EQ(1, calls);
    error = handler.GetMissingExtents("/f", [](ULONGLONG, ULONGLONG) -> CZuError { throw std::runtime_error("x"); });
    EXPECT_TRUE(FXErrorUtil::IsWin32(error, ERROR_GEN_FAILURE));
}
