#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

// A forked copy of the test that reports to the parent in lines through a pipe. The child runs
// `body` and ends with its result through _exit, so nothing of the parent's test runs twice.
class ChildProcess
{
public:
    struct Ending
    {
        bool killed;  // by SIGKILL
        int signal;   // another signal, 0 when none
        int exitCode; // when it exited
    };

    explicit ChildProcess(const std::function<int(ChildProcess&)>& body);
    ~ChildProcess();

    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // In the child: one line to the parent.
    void Send(const std::string& line);

    // In the parent: the next line; false once the child closed the pipe or after `timeoutMs`
    // without a line (then TimedOut()).
    bool ReadLine(std::string& line, int timeoutMs);
    bool TimedOut() const { return m_timedOut; }
    void Kill();
    Ending Wait();

private:
    pid_t m_pid = -1;
    int m_read = -1;
    int m_write = -1;
    std::string m_buffer;
    bool m_timedOut = false;
    bool m_reaped = false;
};
