#pragma once

#include "foundation/TimeInterval.h"

#include <atomic>
#include <cstdint>

// Something that can be locked, remembering which thread holds it (0 when nobody does).
class FXLockableResource
{
public:
    FXLockableResource() = default;
    virtual ~FXLockableResource() = default;

    FXLockableResource(const FXLockableResource&) = delete;
    FXLockableResource& operator=(const FXLockableResource&) = delete;

    virtual bool TryLock() = 0;
    virtual bool TryLock(CTimeInterval timeout) = 0;
    virtual void Lock() = 0;
    virtual void Unlock() = 0;

    void SetLockOwner();
    void ClearLockOwner() { m_owner.store(0, std::memory_order_relaxed); }
    std::uint32_t GetLockOwner() const { return m_owner.load(std::memory_order_relaxed); }

private:
    // Written only while held; atomic so that a reader elsewhere is not a data race.
    std::atomic<std::uint32_t> m_owner{0};
};
