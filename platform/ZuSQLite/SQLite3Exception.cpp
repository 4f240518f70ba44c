#include "platform/ZuSQLite/SQLite3Exception.h"

namespace FX
{
CSQLite3Exception::CSQLite3Exception(int code, const char* message)
    : m_code(code), m_hasMessage(message != nullptr), m_message(message ? message : "")
{
}

const char* CSQLite3Exception::what() const noexcept
{
    return m_hasMessage ? m_message.c_str() : "SQLite error";
}
} // namespace FX
