#include "platform/ZuUtils/ZuError.h"

#include <utility>

CZuError::CZuError(Kind kind, unsigned int code, std::string message, const FXCodeLocation& location)
    : m_kind(kind), m_code(code), m_message(std::move(message))
{
    m_locations.push_back(location);
}

CZuError& CZuError::Push(const FXCodeLocation& location)
{
    m_locations.push_back(location);
    return *this;
}

std::string CZuError::AsString() const
{
    if (!IsError())
        return "Success";
    std::string text = (m_kind == Kind::Win32 ? "Win32 " : "SQLite ") + std::to_string(m_code);
    if (!m_message.empty())
        text += " \"" + m_message + "\"";
    const char* separator = " at ";
    for (const FXCodeLocation& location : m_locations)
    {
        text += separator + location.GetFile() + ":" + std::to_string(location.GetLine()) + " (" +
                location.GetFunction() + ")";
        separator = " <- ";
    }
    return text;
}
