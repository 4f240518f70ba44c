#include "UnflushedRecords.h"

#include "RestoredItemsSql.h"
#include "SqliteDb.h"

std::size_t CUnflushedRecords::Count(const std::string& dbPath, std::size_t files)
{
    CSqliteDb db(dbPath, CSqliteDb::Mode::ReadOnly);
    const std::string table = CRestoredItemsSql::Table();
    const std::int64_t rows = db.Scalar("SELECT count(*) FROM " + table + ";");
    const std::int64_t incomplete = db.Scalar("SELECT count(*) FROM " + table + " WHERE instr(ExtentBitmap, '0') > 0;");
    return files - static_cast<std::size_t>(rows) + static_cast<std::size_t>(incomplete);
}
