#include "support/SqliteFile.h"
#include "support/TempDir.h"
#include "tools/ToolRun.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <thread>

namespace
{
class SimulationLockTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!ToolAvailable())
            GTEST_SKIP() << "fileextentctl is not built";
    }

    // Waits until the first run has locked the directory and written its process id.
    void AwaitHolder(int pid)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (ReadWholeFile(data.File("fileextentctl.lock")) != std::to_string(pid) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }

    TempDir data;
    TempDir firstOutput;
    TempDir scratch;
};

TEST_F(SimulationLockTest, SecondSimulationOnTheSameDirectoryIsRefused)
{
    BackgroundTool first({"simulate", "--dir", data.Path(), "--files", "30000", "--extents", "16"},
                         firstOutput.Path());
    AwaitHolder(first.Pid());
    const std::string holder = "process " + std::to_string(first.Pid());

    for (const std::vector<std::string>& second :
         {std::vector<std::string>{"simulate", "--dir", data.Path(), "--files", "1000"},
          std::vector<std::string>{"recall", "simulate", "--dir", data.Path(), "--files", "10"}})
    {
        const ToolRun refused = RunTool(second, scratch.Path());
        EXPECT_EQ(refused.exitCode, 1);
        ASSERT_EQ(refused.ErrLines().size(), 1u) << refused.err;
        EXPECT_NE(refused.err.find("'" + data.Path() + "'"), std::string::npos) << refused.err;
        EXPECT_NE(refused.err.find(holder), std::string::npos) << refused.err;
    }
    // A report takes no lock: it reads what has been flushed so far (once the table exists).
    ToolRun summary;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    do
        summary = RunTool({"report", "--dir", data.Path(), "--summary", "--format", "json"}, scratch.Path());
    while (summary.exitCode != 0 && std::chrono::steady_clock::now() < deadline);
    ASSERT_EQ(summary.exitCode, 0) << summary.err;
    EXPECT_LE(nlohmann::json::parse(summary.out)["total"]["files"].get<int>(), 30000);

    const ToolRun run = first.Wait();
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.SummaryNumber("files"), 30000u);
    EXPECT_EQ(SqliteFile(data.File("FileExtentRestore.db")).Scalar("SELECT count(*) FROM RestoredItems;"), "30000");
    EXPECT_FALSE(std::filesystem::exists(data.File("FileExtentRecall.db")));
    EXPECT_EQ(RunTool({"simulate", "--dir", data.Path(), "--files", "10"}, scratch.Path()).exitCode, 0)
        << "the lock ends with its holder";
}
} // namespace
