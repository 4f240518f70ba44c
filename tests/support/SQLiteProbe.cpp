#include "support/SQLiteProbe.h"

#include <sqlite3.h>

#include <stdexcept>

namespace
{
class Statement
{
public:
    Statement(sqlite3* db, const std::string& sql)
    {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &m_statement, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string("prepare: ") + sqlite3_errmsg(db));
        if (sqlite3_step(m_statement) != SQLITE_ROW)
            throw std::runtime_error("no row: " + sql);
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    sqlite3_stmt* Get() const { return m_statement; }

private:
    sqlite3_stmt* m_statement = nullptr;
};
} // namespace

SQLiteProbe::SQLiteProbe(const std::string& path) : m_db(nullptr)
{
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot open " + path);
    sqlite3_busy_timeout(m_db, 5000);
}

SQLiteProbe::~SQLiteProbe()
{
    sqlite3_close_v2(m_db);
}

long long SQLiteProbe::Int(const std::string& sql)
{
    Statement statement(m_db, sql);
    return sqlite3_column_int64(statement.Get(), 0);
}

std::string SQLiteProbe::Text(const std::string& sql)
{
    Statement statement(m_db, sql);
    if (sqlite3_column_type(statement.Get(), 0) == SQLITE_NULL)
        return "<NULL>";
    const void* bytes = sqlite3_column_blob(statement.Get(), 0);
    int length = sqlite3_column_bytes(statement.Get(), 0);
    return bytes ? std::string(static_cast<const char*>(bytes), static_cast<size_t>(length)) : std::string();
}

int SQLiteProbe::Exec(const std::string& sql)
{
    return sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr);
}
