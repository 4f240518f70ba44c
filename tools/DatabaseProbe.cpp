#include "DatabaseProbe.h"

#include "ReadOnlyDatabase.h"

#include <cstring>
#include <fstream>
#include <sys/stat.h>

namespace
{
const char SQLiteMagic[] = "SQLite format 3";

// An empty file is an empty database to SQLite; anything else must start with the magic text.
bool LooksLikeSQLite(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    char header[sizeof(SQLiteMagic)] = {};
    file.read(header, sizeof(header));
    if (file.gcount() == 0)
        return true;
    return file.gcount() == static_cast<std::streamsize>(sizeof(header)) &&
           std::memcmp(header, SQLiteMagic, sizeof(header)) == 0;
}
} // namespace

CDatabaseProbe::CDatabaseProbe(std::string path) : m_path(std::move(path))
{
}

bool CDatabaseProbe::Exists() const
{
    struct stat info;
    return ::stat(m_path.c_str(), &info) == 0;
}

CToolStatus CDatabaseProbe::ReadTables(std::set<std::string>& tables) const
{
    struct stat info;
    if (::stat(m_path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return CToolStatus::Failure("'" + m_path + "' is not a regular file");
    if (!LooksLikeSQLite(m_path))
        return CToolStatus::Failure("'" + m_path + "' is not a SQLite database");
    CReadOnlyDatabase db;
    CToolStatus status = db.Open(m_path);
    if (!status.IsOk())
        return status;
    return db.ReadTables(tables);
}

CToolStatus CDatabaseProbe::RequireTable(const std::string& table, const std::string& otherTable) const
{
    if (!Exists())
        return CToolStatus::Failure("no database '" + m_path + "' (run simulate first?)");
    std::set<std::string> tables;
    CToolStatus status = ReadTables(tables);
    if (!status.IsOk())
        return status;
    if (tables.count(table))
        return CToolStatus::Ok();
    if (tables.count(otherTable))
        return CToolStatus::Failure("'" + m_path + "' holds the table " + otherTable + " of the other facade, not " +
                                    table);
    return CToolStatus::Failure("'" + m_path + "' holds no " + table + " table");
}

CToolStatus CDatabaseProbe::CheckReplaceable(const std::string& table) const
{
    if (!Exists())
        return CToolStatus::Ok();
    std::set<std::string> tables;
    CToolStatus status = ReadTables(tables);
    if (!status.IsOk())
        return CToolStatus::Failure(status.Message() + "; not replacing it");
    if (tables.empty() || tables.count(table))
        return CToolStatus::Ok();
    return CToolStatus::Failure("'" + m_path + "' holds no " + table + " table; not replacing it");
}
