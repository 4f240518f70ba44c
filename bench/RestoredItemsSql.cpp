#include "RestoredItemsSql.h"

#include "LayoutColumns.h"
#include "store/RestoredItemColumns.h"

namespace
{
typedef CLayoutColumns<FILEEXTENT_RESTORE::CRestoredItemColumns, FILEEXTENT_RESTORE::CRestoredItem> Layout;

// An absent value counts as UpdateStatus reads it: no path, not reported, no extents.
const char* const kIncomplete = "(ifnull(RestoredFilePath, '') = '' OR NOT ifnull(ContainerItemRestored, 0) "
                                "OR ifnull(length(ExtentBitmap), 0) <> ifnull(NumOfExtents, 0) "
                                "OR instr(ExtentBitmap, '0') > 0)";
} // namespace

const std::string& CRestoredItemsSql::Table()
{
    static const std::string table = FILEEXTENT_RESTORE::CRestoredItemColumns::TableName();
    return table;
}

const std::vector<std::string>& CRestoredItemsSql::Columns()
{
    return Layout::Columns();
}

std::string CRestoredItemsSql::Create()
{
    return "CREATE TABLE IF NOT EXISTS " + Table() + " " + Layout::ColumnList() + ";";
}

std::string CRestoredItemsSql::Insert()
{
    return "INSERT INTO " + Table() + " (" + Layout::NameList() + ") VALUES (" + Layout::Marks() + ");";
}

std::string CRestoredItemsSql::UpdateExtent()
{
    return "UPDATE " + Table() + " SET ExtentBitmap = ?, Status = ?, ErrorCode = ? "
           "WHERE FilePath = ? AND RestoredItemVersion = ?;";
}

std::string CRestoredItemsSql::DecideStatus()
{
    return "UPDATE " + Table() + " SET Status = CASE WHEN " + kIncomplete +
           " THEN 1 ELSE 0 END, ErrorCode = CASE WHEN " + kIncomplete +
           " AND ifnull(ErrorCode, 0) = 0 THEN 385876030 ELSE ErrorCode END WHERE Status IN (0, 3);";
}

std::string CRestoredItemsSql::SelectAll()
{
    return "SELECT * FROM " + Table() + ";";
}

std::string CRestoredItemsSql::CountRestored()
{
    return "SELECT count(*) FROM " + Table() + " WHERE Status = 0 AND instr(ExtentBitmap, '0') = 0;";
}
