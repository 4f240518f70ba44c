#pragma once

#include <string>

struct sqlite3;

// A connection of the test's own, straight on the SQLite library, to check what was stored.
class SQLiteProbe
{
public:
    explicit SQLiteProbe(const std::string& path);
    ~SQLiteProbe();
    SQLiteProbe(const SQLiteProbe&) = delete;
    SQLiteProbe& operator=(const SQLiteProbe&) = delete;

    // First column of the first row; throws std::runtime_error on failure or no row.
    long long Int(const std::string& sql);
    // As text, "<NULL>" for NULL; a BLOB gives its bytes.
    std::string Text(const std::string& sql);
    // The result code of running the statements.
    int Exec(const std::string& sql);

private:
    sqlite3* m_db;
};
