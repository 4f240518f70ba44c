// The harness must not favour a side: every contestant runs once per round, rounds rotate who goes
// first, and ratios pair the samples of the same round.
#include "RatioTable.h"
#include "Rounds.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <vector>

class RoundsTest : public ::testing::Test
{
protected:
    // A contestant that notes each call and answers the next scripted seconds.
    CRounds::Run Scripted(const std::string& name, std::vector<double> seconds, double units = 1)
    {
        return [this, name, seconds, units, call = std::size_t(0)]() mutable {
            calls.push_back(name);
            return CRounds::Sample{seconds.at(call++), units};
        };
    }

    std::vector<std::string> calls;
};

TEST_F(RoundsTest, EveryRoundRunsEachContestantOnceStartingWithTheNext)
{
    CRounds rounds("rotation");
    rounds.Add("a", Scripted("a", {1, 1, 1, 1}));
    rounds.Add("b", Scripted("b", {1, 1, 1, 1}));
    rounds.Add("c", Scripted("c", {1, 1, 1, 1}));
    rounds.RunRounds(3, 1);
    const std::vector<std::string> expected = {"a", "b", "c", "b", "c", "a", "c", "a", "b", "a", "b", "c"};
    EXPECT_EQ(expected, calls);
    EXPECT_EQ(3, rounds.Rounds());
}

TEST_F(RoundsTest, WarmupRoundsAreRunButNotKept)
{
    CRounds rounds("warm-up");
    const std::size_t slow = rounds.Add("slow", Scripted("slow", {1000, 4, 4, 4}));
    rounds.RunRounds(3, 1);
    EXPECT_DOUBLE_EQ(4, rounds.PerUnit(slow));
}

TEST_F(RoundsTest, CostsArePerUnitMedians)
{
    CRounds rounds("units");
    const std::size_t a = rounds.Add("a", Scripted("a", {8, 2, 400}, 4));
    rounds.RunRounds(3);
    EXPECT_DOUBLE_EQ(2, rounds.PerUnit(a));
}

TEST_F(RoundsTest, RatiosPairTheSamplesOfOneRound)
{
    // A disturbed round slows both sides alike: its ratio stays 1, while the medians alone would say 2.
    CRounds rounds("pairing");
    const std::size_t ours = rounds.Add("ours", Scripted("ours", {1, 4, 9}));
    const std::size_t base = rounds.Add("base", Scripted("base", {1, 2, 9}));
    rounds.RunRounds(3);
    EXPECT_DOUBLE_EQ(1, rounds.Ratio(ours, base));
    EXPECT_DOUBLE_EQ(2, rounds.PerUnit(ours) / rounds.PerUnit(base));
}

TEST(RatioTableTest, TargetsAreMetAtTheirLimitAndCounted)
{
    EXPECT_TRUE(CRatioTable::Target::AtMost(1.2).Met(1.2));
    EXPECT_FALSE(CRatioTable::Target::AtMost(1.2).Met(1.2001));
    EXPECT_TRUE(CRatioTable::Target::AtLeast(20).Met(20));
    EXPECT_FALSE(CRatioTable::Target::AtLeast(20).Met(19.99));
    EXPECT_FALSE(CRatioTable::Target::AtMost(0).Met(0.5));

    CRatioTable table;
    table.Add({"fast enough", "1 µs/event", "naive 25 µs/event", "naive/ours", 25, CRatioTable::Target::AtLeast(20), 5});
    table.Add({"too slow", "2 µs/event", "naive 10 µs/event", "naive/ours", 5, CRatioTable::Target::AtLeast(10), 3});
    table.Add({"for information", "3 µs/event", "-", "x", 1, CRatioTable::Target::None(), 3});
    std::ostringstream out;
    table.Print(out);
    const std::string text = out.str();
    EXPECT_NE(std::string::npos, text.find("fast enough"));
    EXPECT_NE(std::string::npos, text.find("NOT MET"));
    EXPECT_NE(std::string::npos, text.find("1 of 2 targets met."));
}

TEST(RatioTableTest, NumbersKeepThreeFiguresOrMore)
{
    EXPECT_EQ("1234", CRatioTable::Number(1234.4));
    EXPECT_EQ("21.3", CRatioTable::Number(21.34));
    EXPECT_EQ("1.23", CRatioTable::Number(1.234));
    EXPECT_EQ("0.017", CRatioTable::Number(0.0171));
    EXPECT_EQ("9", CRatioTable::Number(9));
    EXPECT_EQ("1.5e-05", CRatioTable::Number(1.0 / 65536));
    EXPECT_EQ("12.3 µs/event", CRatioTable::Micros(12.3e-6, "event"));
}
