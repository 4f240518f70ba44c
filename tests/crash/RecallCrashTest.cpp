#include "crash/CrashRounds.h"
#include "crash/RecallCrashPlan.h"

#include <gtest/gtest.h>

class RecallCrashTest : public ::testing::Test
{
protected:
    const std::uint64_t seed = CrashRounds::SeedFromEnvironment();
    CrashRounds rounds{"recall", [](std::uint64_t planSeed) -> std::unique_ptr<CrashPlan> {
                           return std::make_unique<RecallCrashPlan>(planSeed);
                       }};
};

// Killed recalls keep every flushed record with its bits and status, and a restart completes.
TEST_F(RecallCrashTest, KilledRecallsKeepFlushedRecordsAndRestartToTheEnd)
{
    rounds.Run(seed, CrashRounds::RoundsFromEnvironment());
    rounds.Report(seed);
    EXPECT_EQ(0u, rounds.Totals().recordsLost);
    EXPECT_EQ(0u, rounds.Totals().corruptDatabases);
    EXPECT_GT(rounds.Totals().recordsChecked, 0u);
}
