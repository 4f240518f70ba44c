#pragma once

#include "platform/ZuUtils/LogWriterInterface.h"

#include <cstdio>
#include <mutex>
#include <string>

// A ready log writer for hosts and tools: one line per message with UTC time stamp,
// level and function, to stderr or appended to a file.
class CFileLogWriter : public CLogWriterInterface
{
public:
    // Writes to stderr.
    explicit CFileLogWriter(int level);
    // Appends to the file; IsOpen() tells whether it could be opened.
    CFileLogWriter(const std::string& path, int level);
    ~CFileLogWriter() override;

    CFileLogWriter(const CFileLogWriter&) = delete;
    CFileLogWriter& operator=(const CFileLogWriter&) = delete;

    bool IsOpen() const { return m_file != nullptr; }
    void SetLevel(int level);

    void Write(int level, const char* function, int line, int reserved1, int reserved2, const char* format, ...)
        override __attribute__((format(printf, 7, 8)));
    int GetLevel() override;

private:
    std::mutex m_mutex;
    std::FILE* m_file;
    bool m_ownsFile;
    int m_level;
};
