#include "platform/ZuSQLite/SQLite3Statement.h"

#include "platform/ZuSQLite/SQLite3Query.h"
#include "platform/ZuSQLite/SQLite3StatementHandle.h"

#include <sqlite3.h>

namespace FX
{
CSQLite3Statement::CSQLite3Statement(const boost::shared_ptr<CSQLite3StatementHandle>& statement)
    : m_statement(statement)
{
}

void CSQLite3Statement::Check(int rc) const
{
    if (rc != SQLITE_OK)
        m_statement->Connection().Throw(rc);
}

void CSQLite3Statement::Bind(int index, const char* text)
{
    Check(sqlite3_bind_text(m_statement->Get(), index, text, -1, SQLITE_TRANSIENT));
}

void CSQLite3Statement::Bind(int index, const unsigned char* bytes, int length)
{
    Check(sqlite3_bind_blob(m_statement->Get(), index, bytes, length, SQLITE_TRANSIENT));
}

void CSQLite3Statement::Bind(int index, int value)
{
    Check(sqlite3_bind_int(m_statement->Get(), index, value));
}

void CSQLite3Statement::Bind(int index, long value)
{
    Check(sqlite3_bind_int64(m_statement->Get(), index, static_cast<sqlite3_int64>(value)));
}

void CSQLite3Statement::BindNull(int index)
{
    Check(sqlite3_bind_null(m_statement->Get(), index));
}

int CSQLite3Statement::ExecDML()
{
    sqlite3* db = m_statement->Connection().Handle();
    // DDL leaves sqlite3_changes() at the previous statement's count; the totals do not move for it.
    int before = sqlite3_total_changes(db);
    while (m_statement->Step())
    {
    }
    return sqlite3_total_changes(db) - before;
}

boost::shared_ptr<CSQLite3Query> CSQLite3Statement::ExecQuery()
{
    bool row = m_statement->Step();
    return boost::shared_ptr<CSQLite3Query>(new CSQLite3Query(m_statement, !row));
}

void CSQLite3Statement::Reset()
{
    m_statement->Reset();
}
} // namespace FX
