#include "RestoredItemsCheck.h"

#include "SqliteDb.h"

#include <stdexcept>

void CRestoredItemsCheck::ExpectRestored(const std::string& dbPath, const std::string& table, std::size_t files,
                                         const std::string& who)
{
    CSqliteDb db(dbPath, CSqliteDb::Mode::ReadOnly);
    const std::int64_t rows = db.Scalar("SELECT count(*) FROM " + table + ";");
    const std::int64_t restored =
        db.Scalar("SELECT count(*) FROM " + table + " WHERE Status = 0 AND instr(ExtentBitmap, '0') = 0;");
    const std::int64_t expected = static_cast<std::int64_t>(files);
    if (rows != expected || restored != expected)
        throw std::runtime_error(who + " left " + std::to_string(rows) + " rows, " + std::to_string(restored) +
                                 " restored, of " + std::to_string(files) + " files in " + dbPath);
}
