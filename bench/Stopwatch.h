#pragma once

#include <chrono>

// Seconds on the monotonic clock since construction or the last Restart.
class CStopwatch
{
public:
    CStopwatch() : m_start(Clock::now()) {}

    void Restart() { m_start = Clock::now(); }
    double Seconds() const { return std::chrono::duration<double>(Clock::now() - m_start).count(); }

private:
    typedef std::chrono::steady_clock Clock;
    Clock::time_point m_start;
};
