#include "foundation/Foundation.h"

#include <gtest/gtest.h>

TEST(TimeStampTest, UnixTimeConversionsAroundZeroAndFilled)
{
    EXPECT_TRUE(CTimeStamp().IsClear());
    EXPECT_TRUE(CTimeStamp::FromUnixTime(0).IsClear());
    EXPECT_EQ(0, CTimeStamp().AsUnixTime());

    EXPECT_EQ(10000000 + CTimeStamp::kUnixEpochTicks, CTimeStamp::FromUnixTime(1).Ticks());
    EXPECT_EQ(1, CTimeStamp::FromUnixTime(1).AsUnixTime());

    CTimeStamp minusOne = CTimeStamp::FromUnixTime(-1);
    EXPECT_FALSE(minusOne.IsClear());
    EXPECT_EQ(-1, minusOne.AsUnixTime());

    CTimeStamp filled(CTimeStamp::kFilled);
    EXPECT_TRUE(filled.IsFilled());
    EXPECT_EQ(0x7fffffffffffffffLL, filled.AsUnixTime());
}

TEST(TimeStampTest, FractionsOfASecondTruncateTowardZero)
{
    EXPECT_EQ(5, CTimeStamp(CTimeStamp::FromUnixTime(5).Ticks() + 9999999).AsUnixTime());
    EXPECT_EQ(0, CTimeStamp(CTimeStamp::kUnixEpochTicks - 1).AsUnixTime());
}

TEST(TimeIntervalTest, WrapsTheRawCount)
{
    EXPECT_EQ(0, CTimeInterval().As100NSIntervals());
    EXPECT_EQ(-42, CTimeInterval::From100NS(-42).As100NSIntervals());
}
