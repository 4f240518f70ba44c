#pragma once

#include "foundation/FXLockableResource.h"

// Scoped guard over an FXLockableResource (which may be null); releases on every exit path.
class auto_lock
{
public:
    explicit auto_lock(FXLockableResource* resource, bool lockNow = true) : m_resource(resource), m_held(false)
    {
        if (lockNow)
            Lock();
    }
    ~auto_lock() { Unlock(); }

    auto_lock(const auto_lock&) = delete;
    auto_lock& operator=(const auto_lock&) = delete;

    void Lock()
    {
        if (m_resource && !m_held)
        {
            m_resource->Lock();
            m_held = true;
        }
    }
    void Unlock()
    {
        if (m_resource && m_held)
        {
            m_resource->Unlock();
            m_held = false;
        }
    }
    bool IsHeld() const { return m_held; }

private:
    FXLockableResource* m_resource;
    bool m_held;
};
