#include "platform/ZuSQLite/SQLite3Query.h"

#include "platform/ZuSQLite/SQLite3Exception.h"
#include "platform/ZuSQLite/SQLite3StatementHandle.h"

#include <sqlite3.h>

#include <strings.h>

namespace FX
{
CSQLite3Query::CSQLite3Query(const boost::shared_ptr<CSQLite3StatementHandle>& statement, bool eof)
    : m_statement(statement), m_eof(eof)
{
}

void CSQLite3Query::NextRow()
{
    if (!m_eof)
        m_eof = !m_statement->Step();
}

int CSQLite3Query::FieldIndex(const char* name) const
{
    sqlite3_stmt* statement = m_statement->Get();
    int count = sqlite3_column_count(statement);
    for (int index = 0; index < count; ++index)
    {
        const char* column = sqlite3_column_name(statement, index);
        if (column && name && ::strcasecmp(column, name) == 0)
            return index;
    }
    std::string message = std::string("Invalid field name requested: [") + (name ? name : "") + "]";
    throw CSQLite3Exception(SQLITE_ERROR, message.c_str());
}

void CSQLite3Query::CheckRow(int index) const
{
    if (m_eof)
        throw CSQLite3Exception(SQLITE_MISUSE, "No current row");
    if (index < 0 || index >= sqlite3_column_count(m_statement->Get()))
        throw CSQLite3Exception(SQLITE_RANGE, "Invalid field index requested");
}

bool CSQLite3Query::CheckField(int index) const
{
    CheckRow(index);
    return sqlite3_column_type(m_statement->Get(), index) == SQLITE_NULL;
}

int CSQLite3Query::GetIntField(const char* name, int nullValue) const
{
    return GetIntField(FieldIndex(name), nullValue);
}

// The engine reads NULL as 0: only another default needs the type asked first.
int CSQLite3Query::GetIntField(int index, int nullValue) const
{
    if (nullValue != 0)
        return CheckField(index) ? nullValue : sqlite3_column_int(m_statement->Get(), index);
    CheckRow(index);
    return sqlite3_column_int(m_statement->Get(), index);
}

std::int64_t CSQLite3Query::GetBigIntField(const char* name, std::int64_t nullValue) const
{
    return GetBigIntField(FieldIndex(name), nullValue);
}

std::int64_t CSQLite3Query::GetBigIntField(int index, std::int64_t nullValue) const
{
    if (nullValue != 0)
        return CheckField(index) ? nullValue : sqlite3_column_int64(m_statement->Get(), index);
    CheckRow(index);
    return sqlite3_column_int64(m_statement->Get(), index);
}

std::string CSQLite3Query::GetStringField(const char* name, const char* nullValue) const
{
    return GetStringField(FieldIndex(name), nullValue);
}

std::string CSQLite3Query::GetStringField(int index, const char* nullValue) const
{
    CheckRow(index);
    sqlite3_stmt* statement = m_statement->Get();
    const unsigned char* text = sqlite3_column_text(statement, index);
    if (text)
        return std::string(reinterpret_cast<const char*>(text),
                           static_cast<size_t>(sqlite3_column_bytes(statement, index)));
    // No text: the field is NULL, or the engine had no memory to make it.
    if (sqlite3_column_type(statement, index) == SQLITE_NULL)
        return nullValue ? nullValue : "";
    throw CSQLite3Exception(SQLITE_NOMEM, "Out of memory reading a text field");
}

void CSQLite3Query::GetStringField(int index, std::string& out) const
{
    CheckRow(index);
    sqlite3_stmt* statement = m_statement->Get();
    const unsigned char* text = sqlite3_column_text(statement, index);
    if (text)
        return static_cast<void>(out.assign(reinterpret_cast<const char*>(text),
                                            static_cast<size_t>(sqlite3_column_bytes(statement, index))));
    if (sqlite3_column_type(statement, index) != SQLITE_NULL)
        throw CSQLite3Exception(SQLITE_NOMEM, "Out of memory reading a text field");
    out.clear();
}

const unsigned char* CSQLite3Query::GetBlobField(const char* name, int& length) const
{
    return GetBlobField(FieldIndex(name), length);
}

const unsigned char* CSQLite3Query::GetBlobField(int index, int& length) const
{
    CheckRow(index);
    sqlite3_stmt* statement = m_statement->Get();
    // NULL and an empty BLOB both give no bytes.
    const void* bytes = sqlite3_column_blob(statement, index);
    length = bytes ? sqlite3_column_bytes(statement, index) : 0;
    return static_cast<const unsigned char*>(bytes);
}
} // namespace FX
