#include "platform/ZuUtils/FXCodeLocation.h"

#include <cstring>

FXCodeLocation::FXCodeLocation(const std::string& file, const std::string& function, int line)
    : m_file(file), m_function(function), m_line(line)
{
}

const char* FXCodeLocation::BaseName(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}
