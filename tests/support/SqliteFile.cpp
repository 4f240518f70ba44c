#include "support/SqliteFile.h"

#include <stdexcept>

SqliteFile::SqliteFile(const std::string& path)
{
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
    {
        std::string message = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        sqlite3_close(m_db);
        m_db = nullptr;
        throw std::runtime_error("cannot open " + path + ": " + message);
    }
    sqlite3_busy_timeout(m_db, 5000);
}

SqliteFile::~SqliteFile()
{
    sqlite3_close(m_db);
}

std::vector<std::vector<std::string>> SqliteFile::Rows(const std::string& sql) const
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        throw std::runtime_error(sql + ": " + sqlite3_errmsg(m_db));
    std::vector<std::vector<std::string>> rows;
    while (sqlite3_step(statement) == SQLITE_ROW)
    {
        std::vector<std::string> row;
        for (int column = 0; column < sqlite3_column_count(statement); ++column)
        {
            const void* bytes = sqlite3_column_blob(statement, column);
            int length = sqlite3_column_bytes(statement, column);
            row.push_back(sqlite3_column_type(statement, column) == SQLITE_NULL
                              ? std::string("NULL")
                          : bytes ? std::string(static_cast<const char*>(bytes), static_cast<size_t>(length))
                                  : std::string());
        }
        rows.push_back(row);
    }
    sqlite3_finalize(statement);
    return rows;
}

std::string SqliteFile::Scalar(const std::string& sql) const
{
    std::vector<std::vector<std::string>> rows = Rows(sql);
    return rows.empty() || rows[0].empty() ? std::string() : rows[0][0];
}

void SqliteFile::Exec(const std::string& sql) const
{
    char* error = nullptr;
    if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK)
    {
        std::string message = error ? error : "";
        sqlite3_free(error);
        throw std::runtime_error(sql + ": " + message);
    }
}
