#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

// Reads a database file with the SQLite library directly, past the code under test.
class SqliteFile
{
public:
    explicit SqliteFile(const std::string& path);
    ~SqliteFile();

    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    // Every row of the query, each column as text ("NULL" for a null value).
    std::vector<std::vector<std::string>> Rows(const std::string& sql) const;
    // The first column of the first row, or "" when there is none.
    std::string Scalar(const std::string& sql) const;
    void Exec(const std::string& sql) const;

private:
    sqlite3* m_db = nullptr;
};
