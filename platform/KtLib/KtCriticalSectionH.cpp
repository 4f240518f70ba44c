#include "platform/KtLib/KtCriticalSectionH.h"

KtCriticalSectionH::KtCriticalSectionH() = default;

KtCriticalSectionH::~KtCriticalSectionH() = default;

bool KtCriticalSectionH::enter(bool wait)
{
    if (wait)
    {
        m_mutex.lock();
        return true;
    }
    return m_mutex.try_lock();
}

void KtCriticalSectionH::leave()
{
    m_mutex.unlock();
}
