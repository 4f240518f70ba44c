#include "platform/ZuSQLite/SQLite3StatementHandle.h"

#include "platform/ZuSQLite/SQLite3Exception.h"

#include <sqlite3.h>

#include <cctype>

namespace FX
{
namespace
{
bool IsBlank(const char* text)
{
    for (; text && *text; ++text)
        if (!std::isspace(static_cast<unsigned char>(*text)) && *text != ';')
            return false;
    return true;
}
} // namespace

CSQLite3StatementHandle::CSQLite3StatementHandle(const boost::shared_ptr<CSQLite3Connection>& connection,
                                                 const std::string& sql)
    : m_connection(connection), m_statement(nullptr)
{
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(m_connection->Handle(), sql.c_str(), static_cast<int>(sql.size() + 1), &m_statement,
                                &tail);
    if (rc != SQLITE_OK)
        m_connection->Throw(rc);
    // A second statement would silently not run: refuse the text instead.
    if (!m_statement || !IsBlank(tail))
    {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
        throw CSQLite3Exception(SQLITE_MISUSE, "Expected exactly one SQL statement");
    }
}

CSQLite3StatementHandle::~CSQLite3StatementHandle()
{
    // Once the connection is closed, it has finalized this statement already.
    if (m_statement && m_connection->IsOpen())
        sqlite3_finalize(m_statement);
}

sqlite3_stmt* CSQLite3StatementHandle::Get() const
{
    m_connection->Handle();
    return m_statement;
}

bool CSQLite3StatementHandle::Step()
{
    int rc = sqlite3_step(Get());
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    m_connection->Throw(rc);
}

void CSQLite3StatementHandle::Reset()
{
    // The result repeats the last step's failure, which was reported already. Texts bound
    // without a copy must not be reachable once their owner moves on.
    if (m_connection->IsOpen())
    {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
}
} // namespace FX
