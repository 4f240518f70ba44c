#include "RecalledItemsSql.h"

#include "LayoutColumns.h"
#include "store/RecalledItemColumns.h"

namespace
{
typedef CLayoutColumns<FILEEXTENTRECALLDB::CRecalledItemColumns, FILEEXTENTRECALLDB::CRecalledItem> Layout;
} // namespace

const std::string& CRecalledItemsSql::Table()
{
    static const std::string table = FILEEXTENTRECALLDB::CRecalledItemColumns::TableName();
    return table;
}

const std::vector<std::string>& CRecalledItemsSql::Columns()
{
    return Layout::Columns();
}

std::string CRecalledItemsSql::Create()
{
    return "CREATE TABLE IF NOT EXISTS " + Table() + " " + Layout::ColumnList() + ";";
}

std::string CRecalledItemsSql::Upsert()
{
    std::string updates;
    for (const std::string& column : Layout::Columns())
        if (column != Layout::Keys().front())
            updates += (updates.empty() ? "" : ", ") + column + " = excluded." + column;
    return "INSERT INTO " + Table() + " (" + Layout::NameList() + ") VALUES (" + Layout::Marks() + ") ON CONFLICT(" +
           Layout::Keys().front() + ") DO UPDATE SET " + updates + ";";
}
