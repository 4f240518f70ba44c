#pragma once

#include "platform/ZuUtils/ZuError.h"

#include <string>

// The outcome of a command as the shell sees it: 0 done, 1 a failure, 2 a usage error,
// with the one line that explains it.
class CToolStatus
{
public:
    enum : int
    {
        ExitOk = 0,
        ExitFailure = 1,
        ExitUsage = 2
    };

    static CToolStatus Ok() { return CToolStatus(ExitOk, std::string()); }
    static CToolStatus Failure(std::string message) { return CToolStatus(ExitFailure, std::move(message)); }
    static CToolStatus Usage(std::string message) { return CToolStatus(ExitUsage, std::move(message)); }
    // A library call that failed, on one line: what was being done, the error's message, and its
    // code with the engine's words for it when the message lacks them. The full trail of code
    // locations goes to the log file, not to the user's terminal.
    static CToolStatus Failure(const std::string& what, const CZuError& error);

    bool IsOk() const { return m_exitCode == ExitOk; }
    int ExitCode() const { return m_exitCode; }
    const std::string& Message() const { return m_message; }

private:
    CToolStatus(int exitCode, std::string message) : m_exitCode(exitCode), m_message(std::move(message)) {}

    int m_exitCode;
    std::string m_message;
};
