#pragma once

#include <cstdint>

// A signed count of 100-nanosecond units.
class CTimeInterval
{
public:
    CTimeInterval() = default;

    static CTimeInterval From100NS(std::int64_t count) { return CTimeInterval(count); }
    std::int64_t As100NSIntervals() const { return m_count; }

    bool operator==(const CTimeInterval& other) const { return m_count == other.m_count; }
    bool operator!=(const CTimeInterval& other) const { return m_count != other.m_count; }

private:
    explicit CTimeInterval(std::int64_t count) : m_count(count) {}

    std::int64_t m_count = 0;
};
