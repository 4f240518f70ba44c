#include "crash/ChildProcess.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <stdexcept>

ChildProcess::ChildProcess(const std::function<int(ChildProcess&)>& body)
{
    int ends[2];
    if (::pipe(ends) != 0)
        throw std::runtime_error("pipe failed");
    m_pid = ::fork();
    if (m_pid < 0)
        throw std::runtime_error("fork failed");
    if (m_pid == 0)
    {
        ::close(ends[0]);
        m_write = ends[1];
        int code = 70;
        try
        {
            code = body(*this);
        }
        catch (...)
        {
        }
        _exit(code);
    }
    ::close(ends[1]);
    m_read = ends[0];
}

ChildProcess::~ChildProcess()
{
    if (!m_reaped)
    {
        Kill();
        Wait();
    }
    if (m_read >= 0)
        ::close(m_read);
}

// Lines are short, so each write reaches the pipe whole even if the writer dies right after.
void ChildProcess::Send(const std::string& line)
{
    const std::string text = line + "\n";
    ssize_t written = 0;
    do
        written = ::write(m_write, text.data(), text.size());
    while (written < 0 && errno == EINTR);
}

bool ChildProcess::ReadLine(std::string& line, int timeoutMs)
{
    for (;;)
    {
        const std::size_t end = m_buffer.find('\n');
        if (end != std::string::npos)
        {
            line = m_buffer.substr(0, end);
            m_buffer.erase(0, end + 1);
            return true;
        }
        pollfd wanted{m_read, POLLIN, 0};
        const int ready = ::poll(&wanted, 1, timeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0)
            m_timedOut = true;
        if (ready <= 0)
            return false;
        char chunk[4096];
        const ssize_t got = ::read(m_read, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        m_buffer.append(chunk, static_cast<std::size_t>(got));
    }
}

void ChildProcess::Kill()
{
    if (!m_reaped)
        ::kill(m_pid, SIGKILL);
}

ChildProcess::Ending ChildProcess::Wait()
{
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR)
    {
    }
    m_reaped = true;
    if (WIFSIGNALED(status))
        return Ending{WTERMSIG(status) == SIGKILL, WTERMSIG(status) == SIGKILL ? 0 : WTERMSIG(status), -1};
    return Ending{false, 0, WEXITSTATUS(status)};
}
