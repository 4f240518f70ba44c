#pragma once

#include "platform/ZuUtils/LogWriterInterface.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

// Keeps every line written to it; installs itself as the process writer for its lifetime.
class RecordingLogWriter : public CLogWriterInterface
{
public:
    struct Line
    {
        int level;
        std::string function;
        std::string text;
    };

    void Write(int level, const char* function, int line, int reserved1, int reserved2, const char* format, ...)
        override __attribute__((format(printf, 7, 8)));
    int GetLevel() override { return m_level; }

    void SetLevel(int level) { m_level = level; }
    std::vector<Line> Lines() const;
    std::vector<std::string> TextsAt(int level) const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::vector<Line> m_lines;
    std::atomic<int> m_level{0};
};

// Installs a RecordingLogWriter in g_ptrLogWriter and removes it again.
class ScopedRecordingLog
{
public:
    explicit ScopedRecordingLog(int level = 0);
    ~ScopedRecordingLog();
    RecordingLogWriter& operator*() { return *m_writer; }
    RecordingLogWriter* operator->() { return m_writer.get(); }

private:
    boost::shared_ptr<RecordingLogWriter> m_writer;
};
