#pragma once

#include <string>
#include <vector>

// Every row write to one table, in the order they happened, whichever connection made them:
// triggers note the kind of write and every column's value as SQLite quotes it (so that a text
// and a BLOB of the same bytes differ). Installed before the writer opens the database.
class WriteLog
{
public:
    // Creates `table` with `create` (when absent) and the triggers that log its writes.
    static void Install(const std::string& dbPath, const std::string& create, const std::string& table,
                        const std::vector<std::string>& columns);
    // "INSERT|'/a'|0|..." per write.
    static std::vector<std::string> Read(const std::string& dbPath);
};
