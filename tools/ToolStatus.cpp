#include "ToolStatus.h"

#include "platform/ZuUtils/FXErrorUtil.h"
#include "platform/ZuUtils/LogWriterInterface.h"

#include <sqlite3.h>

#include <algorithm>

namespace
{
const char* Win32Name(unsigned int code)
{
    switch (code)
    {
    case ERROR_FILE_NOT_FOUND: return "ERROR_FILE_NOT_FOUND";
    case ERROR_ACCESS_DENIED: return "ERROR_ACCESS_DENIED";
    case ERROR_OUTOFMEMORY: return "ERROR_OUTOFMEMORY";
    case ERROR_GEN_FAILURE: return "ERROR_GEN_FAILURE";
    case ERROR_NOT_SUPPORTED: return "ERROR_NOT_SUPPORTED";
    case ERROR_INVALID_PARAMETER: return "ERROR_INVALID_PARAMETER";
    case ERROR_ALREADY_EXISTS: return "ERROR_ALREADY_EXISTS";
    case ERROR_NOT_FOUND: return "ERROR_NOT_FOUND";
    case ERROR_NETWORK_UNREACHABLE: return "ERROR_NETWORK_UNREACHABLE";
    case ERROR_ALREADY_INITIALIZED: return "ERROR_ALREADY_INITIALIZED";
    case ERROR_INVALID_STATE: return "ERROR_INVALID_STATE";
    default: return nullptr;
    }
}

// The code and, unless the message already says it, the engine's own words for it: the cause
// must survive even a layer whose message names only the table and the file.
std::string CodeText(const CZuError& error, const std::string& message)
{
    const unsigned int code = error.GetCode();
    if (error.GetKind() == CZuError::Kind::SQLite)
    {
        const std::string cause = sqlite3_errstr(static_cast<int>(code));
        std::string text = "SQLite error " + std::to_string(code);
        return message.find(cause) == std::string::npos ? text + ": " + cause : text;
    }
    const char* name = Win32Name(code);
    return "error " + std::to_string(code) + (name ? std::string(" ") + name : std::string());
}

// Every error is one line on stderr, whatever the message holds.
std::string OneLine(std::string text)
{
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return text;
}
} // namespace

CToolStatus CToolStatus::Failure(const std::string& what, const CZuError& error)
{
    if (g_ptrLogWriter)
        g_ptrLogWriter->Write(-1, __PRETTY_FUNCTION__, __LINE__, 0, 0, "%s: %s", what.c_str(),
                              error.AsString().c_str());
    const std::string message = OneLine(error.GetMessage());
    std::string text = what + ": ";
    if (!message.empty())
        text += message + " ";
    return Failure(text + "(" + CodeText(error, message) + ")");
}
