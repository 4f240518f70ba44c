#pragma once

#include "ToolStatus.h"

#include <string>

// One simulation per directory at a time: an exclusive flock on "fileextentctl.lock" there, which
// holds the holder's process id, for the lock's lifetime. The kernel drops it when the process
// ends, killed or not; the file itself stays, empty of meaning until the next holder writes to it.
class CDirectoryLock
{
public:
    static const char* const FileName;

    CDirectoryLock() = default;
    ~CDirectoryLock();

    CDirectoryLock(const CDirectoryLock&) = delete;
    CDirectoryLock& operator=(const CDirectoryLock&) = delete;

    // Fails at once, naming the directory and the holder's process id, when another process holds it.
    CToolStatus Acquire(const std::string& directory, const std::string& lockPath);
    void Release();

private:
    static std::string ReadHolder(int fd);

    int m_fd = -1;
};
