#include "platform/ZuSQLite/SQLite3Statement.h"

#include "platform/ZuSQLite/SQLite3Query.h"
#include "platform/ZuSQLite/SQLite3StatementHandle.h"

#include <sqlite3.h>

#include <mutex>

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

void CSQLite3Statement::BindUncopied(int index, const char* text)
{
    Check(sqlite3_bind_text(m_statement->Get(), index, text, -1, SQLITE_STATIC));
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

namespace
{
// Holds the connection's mutex, so that no statement of another thread runs in between.
class CConnectionLock
{
public:
    explicit CConnectionLock(sqlite3* db) : m_mutex(sqlite3_db_mutex(db)) { sqlite3_mutex_enter(m_mutex); }
    ~CConnectionLock() { sqlite3_mutex_leave(m_mutex); }
    CConnectionLock(const CConnectionLock&) = delete;
    CConnectionLock& operator=(const CConnectionLock&) = delete;

private:
    sqlite3_mutex* m_mutex;
};
} // namespace

int CSQLite3Statement::ExecDML()
{
    sqlite3* db = m_statement->Connection().Handle();
    std::lock_guard<std::recursive_mutex> write(m_statement->Connection().WriteLock());
    // DDL leaves sqlite3_changes() at the previous statement's count; the totals do not move for it.
    // The connection is shared by threads: only this statement may move the totals meanwhile.
    CConnectionLock lock(db);
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
