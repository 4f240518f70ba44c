#include "support/RedisServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace
{
const int StartAttempts = 5;
const std::chrono::seconds StartLimit{15};
const std::chrono::seconds StopLimit{15};
const std::chrono::milliseconds PollInterval{20};

std::string FindRedisServer()
{
    const char* path = std::getenv("PATH");
    std::string dirs = std::string(path ? path : "") + ":/usr/bin:/usr/sbin:/usr/local/bin";
    std::stringstream stream(dirs);
    std::string dir;
    while (std::getline(stream, dir, ':'))
    {
        const std::string candidate = (dir.empty() ? "." : dir) + "/redis-server";
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::string();
}

// The kernel picks a free port; the server binds it moments later (a start that loses the race
// is tried again on another port).
int FreeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof(address);
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}
} // namespace

RedisServer::~RedisServer()
{
    Stop();
}

std::string RedisServer::Address() const
{
    return "127.0.0.1:" + std::to_string(m_port);
}

bool RedisServer::Start()
{
    if (IsRunning())
        return true;
    const std::string binary = FindRedisServer();
    if (binary.empty())
    {
        m_error = "redis-server not found: run make deps";
        return false;
    }
    const bool portFixed = m_port != 0;
    for (int attempt = 0; attempt < StartAttempts; ++attempt)
    {
        if (!portFixed)
            m_port = FreeLoopbackPort();
        if (Launch(binary) && WaitUntilAnswering())
            return true;
        Kill();
        if (portFixed)
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    if (!portFixed)
        m_port = 0;
    return false;
}

bool RedisServer::Launch(const std::string& binary)
{
    const std::string port = std::to_string(m_port);
    const std::string log = m_dir.File("redis.log");
    const std::string output = m_dir.File("redis.out");
    // appendfsync always: with everysec a write may be postponed past its reply, and a Kill would
    // lose an entry Redis had acknowledged.
    std::vector<std::string> arguments = {binary,   "--port",       port,         "--bind",      "127.0.0.1",
                                          "--dir",  m_dir.Path(),   "--appendonly", "yes",       "--appendfsync",
                                          "always", "--save",       "",           "--daemonize", "no",
                                          "--logfile", log};
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(&argument[0]);
    argv.push_back(nullptr);

    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0)
    {
        m_error = "fork failed";
        return false;
    }
    if (pid == 0)
    {
        // Only async-signal-safe calls until exec.
#ifdef __linux__
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
        if (::getppid() != parent)
            ::_exit(127);
        const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (fd >= 0)
        {
            ::dup2(fd, STDOUT_FILENO);
            ::dup2(fd, STDERR_FILENO);
            ::close(fd);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    m_pid = pid;
    m_paused = false;
    return true;
}

bool RedisServer::WaitUntilAnswering()
{
    const auto end = std::chrono::steady_clock::now() + StartLimit;
    while (std::chrono::steady_clock::now() < end)
    {
        if (ExitedEarly())
        {
            m_error = "redis-server exited on port " + std::to_string(m_port) + ": " + LogTail();
            return false;
        }
        if (AnswersPing())
            return true;
        std::this_thread::sleep_for(PollInterval);
    }
    m_error = "redis-server did not answer PING on port " + std::to_string(m_port) + ": " + LogTail();
    return false;
}

// A raw RESP PING; a server still loading its append-only file answers -LOADING instead.
bool RedisServer::AnswersPing() const
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    timeval timeout = {1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(m_port));
    bool pong = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0)
    {
        const char ping[] = "*1\r\n$4\r\nPING\r\n";
        char reply[16] = {};
        if (::send(fd, ping, sizeof(ping) - 1, MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof(ping) - 1) &&
            ::recv(fd, reply, sizeof(reply) - 1, 0) > 0)
            pong = std::string(reply).compare(0, 5, "+PONG") == 0;
    }
    ::close(fd);
    return pong;
}

bool RedisServer::ExitedEarly()
{
    int status = 0;
    if (m_pid <= 0 || ::waitpid(m_pid, &status, WNOHANG) != m_pid)
        return false;
    m_pid = -1;
    return true;
}

void RedisServer::Stop()
{
    Signal(SIGTERM);
}

void RedisServer::Kill()
{
    Signal(SIGKILL);
}

void RedisServer::Pause()
{
    if (IsRunning() && !m_paused && ::kill(m_pid, SIGSTOP) == 0)
        m_paused = true;
}

void RedisServer::Resume()
{
    if (IsRunning() && m_paused && ::kill(m_pid, SIGCONT) == 0)
        m_paused = false;
}

// A stopped process takes SIGTERM only once continued.
void RedisServer::Signal(int signal)
{
    if (!IsRunning())
        return;
    ::kill(m_pid, signal);
    Resume();
    WaitForExit();
}

void RedisServer::WaitForExit()
{
    const auto end = std::chrono::steady_clock::now() + StopLimit;
    int status = 0;
    while (::waitpid(m_pid, &status, WNOHANG) == 0)
    {
        if (std::chrono::steady_clock::now() >= end)
        {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(PollInterval);
    }
    m_pid = -1;
    m_paused = false;
}

std::string RedisServer::LogTail() const
{
    std::string text;
    for (const char* name : {"redis.out", "redis.log"})
    {
        std::ifstream file(m_dir.File(name));
        std::stringstream content;
        content << file.rdbuf();
        text += content.str();
    }
    return text.size() > 2000 ? text.substr(text.size() - 2000) : text;
}
