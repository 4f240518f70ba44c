#include "DirectoryLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

const char* const CDirectoryLock::FileName = "fileextentctl.lock";

CDirectoryLock::~CDirectoryLock()
{
    Release();
}

void CDirectoryLock::Release()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

// The holder writes its id just after it locked: a reader that comes in between finds the file
// empty (its first holder) and waits a moment.
std::string CDirectoryLock::ReadHolder(int fd)
{
    for (int attempt = 0; attempt < 20; ++attempt)
    {
        char text[32] = {};
        const ssize_t length = ::pread(fd, text, sizeof(text) - 1, 0);
        if (length > 0)
            return std::string(text, static_cast<std::size_t>(length));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "unknown";
}

CToolStatus CDirectoryLock::Acquire(const std::string& directory, const std::string& lockPath)
{
    Release();
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return CToolStatus::Failure("cannot open the lock file '" + lockPath + "': " + std::strerror(errno));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
    {
        const int error = errno;
        const std::string holder = error == EWOULDBLOCK ? ReadHolder(fd) : std::string();
        ::close(fd);
        if (error == EWOULDBLOCK)
            return CToolStatus::Failure("directory '" + directory + "' is in use by another simulation (process " +
                                        holder + ")");
        return CToolStatus::Failure("cannot lock '" + lockPath + "': " + std::strerror(error));
    }
    const std::string pid = std::to_string(::getpid());
    // Written before the old text is cut off, so a reader never finds the file empty.
    if (::pwrite(fd, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size()) ||
        ::ftruncate(fd, static_cast<off_t>(pid.size())) != 0)
    {
        const int error = errno;
        ::close(fd);
        return CToolStatus::Failure("cannot write the lock file '" + lockPath + "': " + std::strerror(error));
    }
    m_fd = fd;
    return CToolStatus::Ok();
}
