#pragma once

#include "platform/ZuUtils/LogWriterInterface.h"

#include <cstddef>
#include <functional>

// Counts the table layer's row traces ("sql stmnt" at level 5, written just before each row
// write) and kills the process with SIGKILL at the chosen one: a kill between two row writes
// of one pass, placed without timing. `lastWords` runs just before. With 0 it only counts.
class KillSwitchLogWriter : public CLogWriterInterface
{
public:
    KillSwitchLogWriter(std::size_t killAtRow, std::function<void()> lastWords);

    void Write(int level, const char* function, int line, int reserved1, int reserved2, const char* format, ...)
        override __attribute__((format(printf, 7, 8)));
    int GetLevel() override { return 5; }
    std::size_t Rows() const { return m_rows; }

private:
    std::size_t m_killAtRow;
    std::size_t m_rows = 0;
    std::function<void()> m_lastWords;
};
