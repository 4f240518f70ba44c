#include "support/RecordingLogWriter.h"

#include "platform/ZuUtils/FXString.h"

#include <boost/make_shared.hpp>

#include <cstdarg>

void RecordingLogWriter::Write(int level, const char* function, int, int, int, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = FXString::FormatV(format, args);
    va_end(args);
    std::lock_guard<std::mutex> guard(m_mutex);
    m_lines.push_back(Line{level, function ? function : "", text});
}

std::vector<RecordingLogWriter::Line> RecordingLogWriter::Lines() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_lines;
}

std::vector<std::string> RecordingLogWriter::TextsAt(int level) const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    std::vector<std::string> texts;
    for (const Line& line : m_lines)
        if (line.level == level)
            texts.push_back(line.text);
    return texts;
}

void RecordingLogWriter::Clear()
{
    std::lock_guard<std::mutex> guard(m_mutex);
    m_lines.clear();
}

ScopedRecordingLog::ScopedRecordingLog(int level) : m_writer(boost::make_shared<RecordingLogWriter>())
{
    m_writer->SetLevel(level);
    g_ptrLogWriter = m_writer;
}

ScopedRecordingLog::~ScopedRecordingLog()
{
    g_ptrLogWriter.reset();
}
