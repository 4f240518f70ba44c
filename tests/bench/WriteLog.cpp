#include "WriteLog.h"

#include "SqliteDb.h"

#include "support/SqliteFile.h"

void WriteLog::Install(const std::string& dbPath, const std::string& create, const std::string& table,
                       const std::vector<std::string>& columns)
{
    std::string row;
    for (const std::string& column : columns)
        row += " || '|' || quote(NEW." + column + ")";
    std::string sql = create + "CREATE TABLE WriteLog (Seq INTEGER PRIMARY KEY, Line TEXT);";
    for (const char* kind : {"INSERT", "UPDATE"})
        sql += std::string("CREATE TRIGGER Log") + kind + " AFTER " + kind + " ON " + table +
               " BEGIN INSERT INTO WriteLog (Line) VALUES ('" + kind + "'" + row + "); END;";
    CSqliteDb(dbPath).Exec(sql);
}

std::vector<std::string> WriteLog::Read(const std::string& dbPath)
{
    std::vector<std::string> lines;
    for (const std::vector<std::string>& row : SqliteFile(dbPath).Rows("SELECT Line FROM WriteLog ORDER BY Seq;"))
        lines.push_back(row.at(0));
    return lines;
}
