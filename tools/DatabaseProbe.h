#pragma once

#include "ToolStatus.h"

#include <set>
#include <string>

// Looks into a database file read-only, without the library, before anything opens it for
// writing: the library creates what it does not find.
class CDatabaseProbe
{
public:
    explicit CDatabaseProbe(std::string path);

    // The file exists, is a SQLite database and holds `table`. `otherTable` names the table of
    // the other facade, for a clearer message when the file belongs to it.
    CToolStatus RequireTable(const std::string& table, const std::string& otherTable) const;
    // The file may be replaced by a new run: it is absent, or a database that holds `table` or no
    // table at all. Anything else is somebody's data and is left alone.
    CToolStatus CheckReplaceable(const std::string& table) const;

private:
    bool Exists() const;
    CToolStatus ReadTables(std::set<std::string>& tables) const;

    std::string m_path;
};
