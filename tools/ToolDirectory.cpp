#include "ToolDirectory.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
std::string ParentOf(const std::string& path)
{
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const std::string::size_type slash = trimmed.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : trimmed.substr(0, slash);
}

bool IsDirectory(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& path)
{
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}
} // namespace

CToolDirectory::CToolDirectory(std::string path) : m_path(path.empty() ? std::string(".") : std::move(path))
{
}

std::string CToolDirectory::File(const std::string& name) const
{
    return m_path.back() == '/' ? m_path + name : m_path + "/" + name;
}

CToolStatus CToolDirectory::CheckIsDirectory() const
{
    if (IsDirectory(m_path))
        return CToolStatus::Ok();
    if (Exists(m_path))
        return CToolStatus::Failure("'" + m_path + "' is not a directory");
    return CToolStatus::Failure("directory '" + m_path + "' does not exist");
}

CToolStatus CToolDirectory::CheckReadable() const
{
    return CheckIsDirectory();
}

CToolStatus CToolDirectory::PrepareForWriting() const
{
    if (!Exists(m_path))
    {
        const std::string parent = ParentOf(m_path);
        if (!IsDirectory(parent))
            return CToolStatus::Failure("cannot create directory '" + m_path + "': '" + parent +
                                        "' does not exist or is not a directory");
        if (::mkdir(m_path.c_str(), 0777) != 0 && errno != EEXIST)
            return CToolStatus::Failure("cannot create directory '" + m_path + "': " + std::strerror(errno));
    }
    CToolStatus status = CheckIsDirectory();
    if (!status.IsOk())
        return status;
    return CheckWritable();
}

// access() says yes to root even on a read-only mount; only creating a file tells the truth.
CToolStatus CToolDirectory::CheckWritable() const
{
    std::string probe = File(".fileextentctl-probe-XXXXXX");
    const int fd = ::mkstemp(&probe[0]);
    if (fd < 0)
        return CToolStatus::Failure("directory '" + m_path + "' cannot be written: " + std::strerror(errno));
    ::close(fd);
    ::unlink(probe.c_str());
    return CToolStatus::Ok();
}

CToolStatus CToolDirectory::RemoveDatabaseFiles(const std::string& name) const
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
    {
        const std::string path = File(name + suffix);
        if (::unlink(path.c_str()) != 0 && errno != ENOENT)
            return CToolStatus::Failure("cannot remove '" + path + "': " + std::strerror(errno));
    }
    return CToolStatus::Ok();
}
