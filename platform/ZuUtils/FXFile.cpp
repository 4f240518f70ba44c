#include "platform/ZuUtils/FXFile.h"

#include "platform/ZuUtils/FXErrorUtil.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

bool FXFile::DoesFileExist(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

CZuError FXFile::RemoveFile(const std::string& path)
{
    if (::unlink(path.c_str()) == 0)
        return CZuError::Success();
    int error = errno;
    unsigned int code = error == ENOENT ? ERROR_FILE_NOT_FOUND
                        : (error == EACCES || error == EPERM) ? ERROR_ACCESS_DENIED
                                                               : ERROR_GEN_FAILURE;
    return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, code, "Failed to remove [%s]: %s", path.c_str(),
                                   std::strerror(error));
}
