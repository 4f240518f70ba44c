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

bool CSQLite3Query::CheckField(int index) const
{
    sqlite3_stmt* statement = m_statement->Get();
    if (m_eof)
        throw CSQLite3Exception(SQLITE_MISUSE, "No current row");
    if (index < 0 || index >= sqlite3_column_count(statement))
        throw CSQLite3Exception(SQLITE_RANGE, "Invalid field index requested");
    return sqlite3_column_type(statement, index) == SQLITE_NULL;
}

int CSQLite3Query::GetIntField(const char* name, int nullValue) const
{
    return GetIntField(FieldIndex(name), nullValue);
}

int CSQLite3Query::GetIntField(int index, int nullValue) const
{
    return CheckField(index) ? nullValue : sqlite3_column_int(m_statement->Get(), index);
}

std::int64_t CSQLite3Query::GetBigIntField(const char* name, std::int64_t nullValue) const
{
    return GetBigIntField(FieldIndex(name), nullValue);
}

std::int64_t CSQLite3Query::GetBigIntField(int index, std::int64_t nullValue) const
{
    return CheckField(index) ? nullValue : sqlite3_column_int64(m_statement->Get(), index);
}

std::string CSQLite3Query::GetStringField(const char* name, const char* nullValue) const
{
    return GetStringField(FieldIndex(name), nullValue);
}

std::string CSQLite3Query::GetStringField(int index, const char* nullValue) const
{
    if (CheckField(index))
        return nullValue ? nullValue : "";
    sqlite3_stmt* statement = m_statement->Get();
    const unsigned char* text = sqlite3_column_text(statement, index);
    if (!text)
        throw CSQLite3Exception(SQLITE_NOMEM, "Out of memory reading a text field");
    return std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_column_bytes(statement, index)));
}

const unsigned char* CSQLite3Query::GetBlobField(const char* name, int& length) const
{
    return GetBlobField(FieldIndex(name), length);
}

const unsigned char* CSQLite3Query::GetBlobField(int index, int& length) const
{
    length = 0;
    if (CheckField(index))
        return nullptr;
    sqlite3_stmt* statement = m_statement->Get();
    const void* bytes = sqlite3_column_blob(statement, index);
    length = sqlite3_column_bytes(statement, index);
    return static_cast<const unsigned char*>(bytes);
}
} // namespace FX
