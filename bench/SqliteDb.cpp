#include "SqliteDb.h"

#include <stdexcept>

CSqliteDb::CSqliteDb(const std::string& path, Mode mode)
{
    const int flags = mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    if (sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr) != SQLITE_OK)
    {
        const std::string message = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        sqlite3_close(m_db);
        throw std::runtime_error("SQLite: cannot open " + path + ": " + message);
    }
    sqlite3_busy_timeout(m_db, 5000);
    if (mode == Mode::ReadWrite)
        Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;");
}

CSqliteDb::~CSqliteDb()
{
    sqlite3_close(m_db);
}

void CSqliteDb::Exec(const std::string& sql)
{
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK)
    {
        const std::string text = message ? message : sqlite3_errmsg(m_db);
        sqlite3_free(message);
        throw std::runtime_error("SQLite: " + sql + ": " + text);
    }
}

CSqliteStatement CSqliteDb::Prepare(const std::string& sql)
{
    return CSqliteStatement(m_db, sql);
}

std::int64_t CSqliteDb::Scalar(const std::string& sql)
{
    CSqliteStatement statement = Prepare(sql);
    return statement.Step() ? statement.Int(0) : 0;
}
