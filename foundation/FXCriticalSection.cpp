#include "foundation/FXCriticalSection.h"

#include <boost/date_time/posix_time/posix_time_types.hpp>

bool FXCriticalSection::TryLock()
{
    if (!m_mutex.try_lock())
        return false;
    SetLockOwner();
    return true;
}

bool FXCriticalSection::TryLock(CTimeInterval timeout)
{
    const std::int64_t micros = timeout.As100NSIntervals() > 0 ? timeout.As100NSIntervals() / 10 : 0;
    const boost::posix_time::ptime deadline =
        boost::posix_time::microsec_clock::universal_time() + boost::posix_time::microseconds(micros);
    if (!m_mutex.timed_lock(deadline))
        return false;
    SetLockOwner();
    return true;
}

void FXCriticalSection::Lock()
{
    m_mutex.lock();
    SetLockOwner();
}

void FXCriticalSection::Unlock()
{
    ClearLockOwner();
    m_mutex.unlock();
}
