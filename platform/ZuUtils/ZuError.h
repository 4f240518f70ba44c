#pragma once

#include "platform/ZuUtils/FXCodeLocation.h"

#include <string>
#include <vector>

// The outcome of every operation: success, or a Win32/SQLite code with a message
// and the trail of code locations it passed through (the first is where it was made).
class CZuError
{
public:
    enum class Kind { None, Win32, SQLite };

    CZuError() = default;
    CZuError(Kind kind, unsigned int code, std::string message, const FXCodeLocation& location);

    static CZuError Success() { return CZuError(); }

    bool IsError() const { return m_kind != Kind::None; }
    CZuError& Push(const FXCodeLocation& location);
    std::string AsString() const;

    Kind GetKind() const { return m_kind; }
    unsigned int GetCode() const { return m_code; }
    const std::string& GetMessage() const { return m_message; }
    const std::vector<FXCodeLocation>& GetLocations() const { return m_locations; }

private:
    Kind m_kind = Kind::None;
    unsigned int m_code = 0;
    std::string m_message;
    std::vector<FXCodeLocation> m_locations;
};
