#pragma once

#include <cstdint>

// 100-nanosecond ticks since 1601-01-01 UTC. 0 is clear (unset); INT64_MAX is filled (the largest time).
class CTimeStamp
{
public:
    static constexpr std::int64_t kClear = 0;
    static constexpr std::int64_t kFilled = INT64_MAX;
    static constexpr std::int64_t kTicksPerSecond = 10000000;
    static constexpr std::int64_t kUnixEpochTicks = 116444736000000000LL;

    CTimeStamp() = default;
    explicit CTimeStamp(std::int64_t ticks) : m_ticks(ticks) {}

    static CTimeStamp FromUnixTime(std::int64_t seconds);
    std::int64_t AsUnixTime() const;

    std::int64_t Ticks() const { return m_ticks; }
    bool IsClear() const { return m_ticks == kClear; }
    bool IsFilled() const { return m_ticks == kFilled; }

    bool operator==(const CTimeStamp& other) const { return m_ticks == other.m_ticks; }
    bool operator!=(const CTimeStamp& other) const { return m_ticks != other.m_ticks; }

private:
    std::int64_t m_ticks = kClear;
};
