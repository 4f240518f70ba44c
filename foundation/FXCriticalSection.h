#pragma once

#include "foundation/FXLockableResource.h"

#include <boost/interprocess/sync/interprocess_recursive_mutex.hpp>

// A recursive critical section: the holder may lock again and must unlock as often.
class FXCriticalSection : public FXLockableResource
{
public:
    FXCriticalSection() = default;
    ~FXCriticalSection() override = default;

    bool TryLock() override;
    bool TryLock(CTimeInterval timeout) override;
    void Lock() override;
    void Unlock() override;

private:
    boost::interprocess::interprocess_recursive_mutex m_mutex;
};
