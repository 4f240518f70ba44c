#include "RestoredItemsSql.h"

#include "store/RestoredItemColumns.h"

using FILEEXTENT_RESTORE::CRestoredItemColumns;

namespace
{
struct CColumnNameCollector
{
    std::vector<std::string> columns;
    std::vector<std::string> keys;

    template <class Member>
    void Key(const char* name, Member&)
    {
        columns.push_back(name);
        keys.push_back(name);
    }
    template <class Member>
    void Field(const char* name, Member&)
    {
        columns.push_back(name);
    }
};

const CColumnNameCollector& Names()
{
    static const CColumnNameCollector names = [] {
        CColumnNameCollector collector;
        FILEEXTENT_RESTORE::CRestoredItem record;
        CRestoredItemColumns::Visit(record, collector);
        return collector;
    }();
    return names;
}

// The library's column-list format takes every column, then every key, one "%s" each.
std::string ColumnList()
{
    std::vector<std::string> names = Names().columns;
    names.insert(names.end(), Names().keys.begin(), Names().keys.end());
    const std::string format = CRestoredItemColumns::ColumnListFormat();
    std::string text;
    std::size_t next = 0;
    std::size_t start = 0;
    for (std::size_t found = format.find("%s"); found != std::string::npos; found = format.find("%s", start))
    {
        text += format.substr(start, found - start) + names.at(next++);
        start = found + 2;
    }
    return text + format.substr(start);
}

// An absent value counts as UpdateStatus reads it: no path, not reported, no extents.
const char* const kIncomplete = "(ifnull(RestoredFilePath, '') = '' OR NOT ifnull(ContainerItemRestored, 0) "
                                "OR ifnull(length(ExtentBitmap), 0) <> ifnull(NumOfExtents, 0) "
                                "OR instr(ExtentBitmap, '0') > 0)";
} // namespace

const std::string& CRestoredItemsSql::Table()
{
    static const std::string table = CRestoredItemColumns::TableName();
    return table;
}

const std::vector<std::string>& CRestoredItemsSql::Columns()
{
    return Names().columns;
}

std::string CRestoredItemsSql::Create()
{
    return "CREATE TABLE IF NOT EXISTS " + Table() + " " + ColumnList() + ";";
}

std::string CRestoredItemsSql::Insert()
{
    std::string columns;
    std::string marks;
    for (const std::string& column : Columns())
    {
        columns += (columns.empty() ? "" : ", ") + column;
        marks += marks.empty() ? "?" : ", ?";
    }
    return "INSERT INTO " + Table() + " (" + columns + ") VALUES (" + marks + ");";
}

std::string CRestoredItemsSql::UpdateExtent()
{
    return "UPDATE " + Table() + " SET ExtentBitmap = ?, Status = ?, ErrorCode = ? "
           "WHERE FilePath = ? AND RestoredItemVersion = ?;";
}

std::string CRestoredItemsSql::DecideStatus()
{
    return "UPDATE " + Table() + " SET Status = CASE WHEN " + kIncomplete + " THEN 1 ELSE 0 END, ErrorCode = CASE WHEN " +
           kIncomplete + " AND ifnull(ErrorCode, 0) = 0 THEN 385876030 ELSE ErrorCode END WHERE Status IN (0, 3);";
}

std::string CRestoredItemsSql::SelectAll()
{
    return "SELECT * FROM " + Table() + ";";
}

std::string CRestoredItemsSql::CountRestored()
{
    return "SELECT count(*) FROM " + Table() + " WHERE Status = 0 AND instr(ExtentBitmap, '0') = 0;";
}
