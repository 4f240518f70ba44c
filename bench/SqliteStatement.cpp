#include "SqliteStatement.h"

#include <stdexcept>

CSqliteStatement::CSqliteStatement(sqlite3* db, const std::string& sql) : m_db(db)
{
    Check(sqlite3_prepare_v2(db, sql.c_str(), -1, &m_statement, nullptr), sql.c_str());
}

CSqliteStatement::~CSqliteStatement()
{
    sqlite3_finalize(m_statement);
}

CSqliteStatement::CSqliteStatement(CSqliteStatement&& other) noexcept
    : m_db(other.m_db), m_statement(other.m_statement)
{
    other.m_statement = nullptr;
}

void CSqliteStatement::BindText(int index, const std::string& text)
{
    Check(sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC), "bind");
}

void CSqliteStatement::BindBlob(int index, const std::string& bytes)
{
    Check(sqlite3_bind_blob(m_statement, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC), "bind");
}

void CSqliteStatement::BindInt(int index, std::int64_t value)
{
    Check(sqlite3_bind_int64(m_statement, index, value), "bind");
}

bool CSqliteStatement::Step()
{
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        Check(rc, "step");
    return false;
}

void CSqliteStatement::Run()
{
    Step();
    Reset();
}

void CSqliteStatement::Reset()
{
    Check(sqlite3_reset(m_statement), "reset");
}

std::int64_t CSqliteStatement::Int(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

std::string CSqliteStatement::Bytes(int column) const
{
    const void* bytes = sqlite3_column_blob(m_statement, column);
    const int size = sqlite3_column_bytes(m_statement, column);
    return bytes ? std::string(static_cast<const char*>(bytes), static_cast<std::size_t>(size)) : std::string();
}

void CSqliteStatement::Check(int rc, const char* what) const
{
    if (rc != SQLITE_OK)
        throw std::runtime_error(std::string("SQLite: ") + what + ": " + sqlite3_errmsg(m_db));
}
