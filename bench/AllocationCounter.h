#pragma once

#include <cstdint>

// Counts the calls of the global operator new (every form) made while a counter is alive, on
// any thread. The replacement operators live in AllocationCounter.cpp, so the count covers the
// library's allocations as well as the host's.
class CAllocationCounter
{
public:
    CAllocationCounter();
    ~CAllocationCounter();

    CAllocationCounter(const CAllocationCounter&) = delete;
    CAllocationCounter& operator=(const CAllocationCounter&) = delete;

    std::uint64_t Count() const;

private:
    std::uint64_t m_start;
};
