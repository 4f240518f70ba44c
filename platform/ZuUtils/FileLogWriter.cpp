#include "platform/ZuUtils/FileLogWriter.h"

#include "platform/ZuUtils/FXString.h"

#include <cstdarg>
#include <ctime>

CFileLogWriter::CFileLogWriter(int level) : m_file(stderr), m_ownsFile(false), m_level(level)
{
}

CFileLogWriter::CFileLogWriter(const std::string& path, int level)
    : m_file(std::fopen(path.c_str(), "a")), m_ownsFile(true), m_level(level)
{
}

CFileLogWriter::~CFileLogWriter()
{
    if (m_ownsFile && m_file)
        std::fclose(m_file);
}

void CFileLogWriter::SetLevel(int level)
{
    std::lock_guard<std::mutex> guard(m_mutex);
    m_level = level;
}

int CFileLogWriter::GetLevel()
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_level;
}

void CFileLogWriter::Write(int level, const char* function, int line, int, int, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string message = FXString::FormatV(format, args);
    va_end(args);

    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm utc;
    gmtime_r(&now.tv_sec, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof(stamp), "%Y-%m-%dT%H:%M:%S", &utc);

    std::lock_guard<std::mutex> guard(m_mutex);
    if (!m_file)
        return;
    std::fprintf(m_file, "%s.%06ldZ [%d] %s:%d %s\n", stamp, now.tv_nsec / 1000, level, function ? function : "",
                 line, message.c_str());
    std::fflush(m_file);
}
