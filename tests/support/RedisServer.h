#pragma once

#include "support/TempDir.h"

#include <sys/types.h>

#include <string>

// A real redis-server for one test, as a child process on a free loopback port with its data in a
// temporary directory. Its append-only file is synced before each reply, so a restart, even after
// a kill, brings back everything Redis acknowledged. The destructor stops it and removes the
// directory; the server also dies with the test process.
class RedisServer
{
public:
    RedisServer() = default;
    ~RedisServer();

    RedisServer(const RedisServer&) = delete;
    RedisServer& operator=(const RedisServer&) = delete;

    // Starts the server and waits until it answers PING; again after Stop or Kill on the same port
    // and directory. False with Error() set when it would not start.
    bool Start();
    // SIGTERM, waiting for the exit (the server writes its append-only file first).
    void Stop();
    // SIGKILL: a crash.
    void Kill();
    // SIGSTOP and SIGCONT: a server that accepts connections but answers nothing.
    void Pause();
    void Resume();

    bool IsRunning() const { return m_pid > 0; }
    int Port() const { return m_port; }
    // "127.0.0.1:<port>"
    std::string Address() const;
    const std::string& Directory() const { return m_dir.Path(); }
    const std::string& Error() const { return m_error; }

private:
    bool Launch(const std::string& binary);
    bool WaitUntilAnswering();
    bool AnswersPing() const;
    bool ExitedEarly();
    void Signal(int signal);
    void WaitForExit();
    std::string LogTail() const;

    TempDir m_dir;
    int m_port = 0;
    pid_t m_pid = -1;
    bool m_paused = false;
    std::string m_error;
};
