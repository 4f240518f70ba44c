#include "transport/redis/SigPipeGuard.h"

#include <pthread.h>

#include <cerrno>
#include <ctime>

namespace FILEEXTENT_REDIS
{
CSigPipeGuard::CSigPipeGuard()
{
    sigemptyset(&m_pipe);
    sigaddset(&m_pipe, SIGPIPE);
    m_wasPending = IsPending();
    pthread_sigmask(SIG_BLOCK, &m_pipe, &m_previous);
}

// A SIGPIPE that was pending before the guard is the host's, and stays.
CSigPipeGuard::~CSigPipeGuard()
{
    const int savedErrno = errno;
    if (!m_wasPending && IsPending())
    {
        const timespec none = {0, 0};
        while (sigtimedwait(&m_pipe, nullptr, &none) == -1 && errno == EINTR)
        {
        }
    }
    pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    errno = savedErrno;
}

bool CSigPipeGuard::IsPending() const
{
    sigset_t pending;
    sigemptyset(&pending);
    return sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
}
} // namespace FILEEXTENT_REDIS
