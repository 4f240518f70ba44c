#include "crash/KillSwitchLogWriter.h"

#include "platform/ZuUtils/FXString.h"

#include <csignal>
#include <cstdarg>

KillSwitchLogWriter::KillSwitchLogWriter(std::size_t killAtRow, std::function<void()> lastWords)
    : m_killAtRow(killAtRow), m_lastWords(std::move(lastWords))
{
}

void KillSwitchLogWriter::Write(int level, const char*, int, int, int, const char* format, ...)
{
    if (level != 5)
        return;
    va_list args;
    va_start(args, format);
    const std::string text = FXString::FormatV(format, args);
    va_end(args);
    if (text.rfind("sql stmnt", 0) != 0 || ++m_rows != m_killAtRow)
        return;
    m_lastWords();
    std::raise(SIGKILL);
}
