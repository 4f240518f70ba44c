#include "foundation/Log.h"

#include "platform/ZuUtils/FXString.h"
#include "platform/ZuUtils/LogWriterInterface.h"

#include <cstdarg>

namespace
{
// The host's writer is foreign code: whatever it throws stays here, so that logging a
// failure never turns into an exception out of the library.
bool IsEnabledFor(CLogWriterInterface& writer, int level)
{
    if (level < 0)
        return true;
    try
    {
        return writer.GetLevel() >= level;
    }
    catch (...)
    {
        return false;
    }
}
} // namespace

bool FXLog::IsEnabled(int level)
{
    boost::shared_ptr<CLogWriterInterface> writer = g_ptrLogWriter;
    return writer && IsEnabledFor(*writer, level);
}

void FXLog::Write(int level, const char* function, int line, const char* format, ...)
{
    boost::shared_ptr<CLogWriterInterface> writer = g_ptrLogWriter;
    if (!writer || !IsEnabledFor(*writer, level))
        return;
    va_list args;
    va_start(args, format);
    std::string message = FXString::FormatV(format, args);
    va_end(args);
    try
    {
        writer->Write(level, function, line, 0, 0, "%s", message.c_str());
    }
    catch (...)
    {
    }
}
