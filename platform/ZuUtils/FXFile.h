#pragma once

#include "platform/ZuUtils/ZuError.h"

#include <string>

class FXFile
{
public:
    static bool DoesFileExist(const std::string& path);
    // A missing file is ERROR_FILE_NOT_FOUND; other failures map errno to the nearest Win32 code.
    static CZuError RemoveFile(const std::string& path);
};
