#include "RecallDatabaseReader.h"

#include "DatabaseProbe.h"

#include "store/ExtentBitmapText.h"

#include <sqlite3.h>

using namespace FILEEXTENTRECALLDB;

CToolStatus CRecallDatabaseReader::Open(const std::string& dbPath)
{
    CToolStatus status = CDatabaseProbe(dbPath).RequireTable("RecalledItems", "RestoredItems");
    if (!status.IsOk())
        return status;
    return m_db.Open(dbPath);
}

// NULL reads as empty text, 0 or an empty bitmap, and metadata keys that are absent keep their
// defaults, as the library reads them.
CToolStatus CRecallDatabaseReader::ForEachItem(const std::function<bool(const CFileExtentRecallFileReport&)>& fn)
{
    return m_db.ForEachRow(
        "SELECT FilePath, RestoredFilePath, ErrorCode, Status, NumOfExtents, ExtentBitmap, Metadata "
        "FROM RecalledItems;",
        [&fn](sqlite3_stmt* r) {
            CFileExtentRecallFileReport report;
            report.FilePath = CReadOnlyDatabase::Text(r, 0);
            report.RestoredFilePath = CReadOnlyDatabase::Text(r, 1);
            report.Status.ErrCode = static_cast<std::uint32_t>(sqlite3_column_int64(r, 2));
            report.Status.Status = static_cast<RecallStatus>(sqlite3_column_int(r, 3));
            const sqlite3_int64 extents = sqlite3_column_int64(r, 4);
            report.NoOfExtents = extents > 0 ? static_cast<std::uint64_t>(extents) : 0;
            const void* bitmap = sqlite3_column_blob(r, 5);
            report.ExtentBitmap = FILEEXTENT_RESTORE::CExtentBitmapText::FromText(
                static_cast<const unsigned char*>(bitmap), static_cast<size_t>(sqlite3_column_bytes(r, 5)));
            CFileExtentRecallFileMetadata::DeserializeFromString(CReadOnlyDatabase::Text(r, 6), report.Metadata);
            return fn(report);
        });
}
