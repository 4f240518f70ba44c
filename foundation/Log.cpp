#include "foundation/Log.h"

#include "platform/ZuUtils/FXString.h"
#include "platform/ZuUtils/LogWriterInterface.h"

#include <cstdarg>

bool FXLog::IsEnabled(int level)
{
    boost::shared_ptr<CLogWriterInterface> writer = g_ptrLogWriter;
    return writer && (level < 0 || writer->GetLevel() >= level);
}

void FXLog::Write(int level, const char* function, int line, const char* format, ...)
{
    boost::shared_ptr<CLogWriterInterface> writer = g_ptrLogWriter;
    if (!writer || (level >= 0 && writer->GetLevel() < level))
        return;
    va_list args;
    va_start(args, format);
    std::string message = FXString::FormatV(format, args);
    va_end(args);
    writer->Write(level, function, line, 0, 0, "%s", message.c_str());
}
