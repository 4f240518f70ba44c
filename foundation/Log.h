#pragma once

// The logging rule: level -1 is always written; level L >= 0 only when the writer's level is at least L.
// Nothing is written (and nothing formatted) without an installed writer.
class FXLog
{
public:
    static bool IsEnabled(int level);
    static void Write(int level, const char* function, int line, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
};

#define FX_LOG(level, ...) FXLog::Write((level), __PRETTY_FUNCTION__, __LINE__, __VA_ARGS__)
