#include "crash/CrashRounds.h"
#include "crash/RestoreCrashPlan.h"

#include <gtest/gtest.h>

class RestoreCrashTest : public ::testing::Test
{
protected:
    const std::uint64_t seed = CrashRounds::SeedFromEnvironment();
    CrashRounds rounds{"restore", [](std::uint64_t planSeed) -> std::unique_ptr<CrashPlan> {
                           return std::make_unique<RestoreCrashPlan>(planSeed);
                       }};
};

// Killed restores keep every flushed record with its bits, and a restart decides every file.
TEST_F(RestoreCrashTest, KilledRestoresKeepFlushedRecordsAndRestartToTheRightOutcome)
{
    rounds.Run(seed, CrashRounds::RoundsFromEnvironment());
    rounds.Report(seed);
    EXPECT_EQ(0u, rounds.Totals().recordsLost);
    EXPECT_EQ(0u, rounds.Totals().corruptDatabases);
    EXPECT_GT(rounds.Totals().recordsChecked, 0u);
}
