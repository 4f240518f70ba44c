#pragma once

#include <signal.h>

namespace FILEEXTENT_REDIS
{
// Keeps a write to a connection the server closed from raising SIGPIPE in the host's process:
// the signal is blocked in this thread for the guard's life, and one it raised is taken back.
// The write still fails with EPIPE, which the caller reports.
class CSigPipeGuard
{
public:
    CSigPipeGuard();
    ~CSigPipeGuard();

    CSigPipeGuard(const CSigPipeGuard&) = delete;
    CSigPipeGuard& operator=(const CSigPipeGuard&) = delete;

private:
    bool IsPending() const;

    sigset_t m_pipe;
    sigset_t m_previous;
    bool m_wasPending;
};
} // namespace FILEEXTENT_REDIS
