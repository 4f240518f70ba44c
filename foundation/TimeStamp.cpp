#include "foundation/TimeStamp.h"

CTimeStamp CTimeStamp::FromUnixTime(std::int64_t seconds)
{
    if (seconds == 0)
        return CTimeStamp();
    // Unsigned arithmetic: a seconds value beyond the tick range wraps instead of overflowing.
    return CTimeStamp(static_cast<std::int64_t>(static_cast<std::uint64_t>(seconds) * kTicksPerSecond +
                                                static_cast<std::uint64_t>(kUnixEpochTicks)));
}

std::int64_t CTimeStamp::AsUnixTime() const
{
    if (IsClear())
        return 0;
    if (IsFilled())
        return kFilled;
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(m_ticks) - static_cast<std::uint64_t>(kUnixEpochTicks)) /
           kTicksPerSecond;
}
