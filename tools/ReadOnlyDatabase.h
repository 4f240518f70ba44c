#pragma once

#include "ToolStatus.h"

#include <functional>
#include <set>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

// A SQLite file opened for reading only, past the library: the library opens read-write and
// switches a database to WAL, and a report must leave the file, its journal mode and its
// directory as they were.
//
// A WAL database whose -wal or -shm file is absent is opened immutable: an ordinary read-only
// connection would create both and could not remove them. (An absent -wal means no connection
// has the file open; a log without its index is not read.) Where a read-only open cannot work,
// on read-only media for instance, the file is opened immutable as well.
class CReadOnlyDatabase
{
public:
    CReadOnlyDatabase() = default;
    ~CReadOnlyDatabase();

    CReadOnlyDatabase(const CReadOnlyDatabase&) = delete;
    CReadOnlyDatabase& operator=(const CReadOnlyDatabase&) = delete;

    // The file must exist; it is never created.
    CToolStatus Open(const std::string& path);
    void Close();

    bool IsImmutable() const { return m_immutable; }
    const std::string& Path() const { return m_path; }

    CToolStatus ReadTables(std::set<std::string>& tables);
    // A column of the current row as text, every byte of it; NULL reads as empty.
    static std::string Text(sqlite3_stmt* row, int column);
    // Calls onRow for every row of the query; stops at the first row it answers false to.
    CToolStatus ForEachRow(const std::string& sql, const std::function<bool(sqlite3_stmt*)>& onRow);

private:
    CToolStatus OpenAs(const std::string& uri, bool immutable);
    CToolStatus Failure(const std::string& what) const;

    sqlite3* m_db = nullptr;
    std::string m_path;
    bool m_immutable = false;
};
