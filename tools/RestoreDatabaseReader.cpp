#include "RestoreDatabaseReader.h"

#include "DatabaseProbe.h"

#include "restore/records/RestoreStatus.h"

#include <sqlite3.h>

#include <algorithm>

std::string CRestoreRow::StatusName() const
{
    const auto name = FILEEXTENT_RESTORE::RestoreStatusToString.find(
        static_cast<FILEEXTENT_RESTORE::RestoreStatus>(Status));
    return name != FILEEXTENT_RESTORE::RestoreStatusToString.end() ? name->second : std::to_string(Status);
}

std::uint64_t CRestoreRow::ExpectedExtents() const
{
    return std::max<std::uint64_t>(Bitmap.size(), NumOfExtents);
}

FILEEXTENT_RESTORE::CExtentBitmap CRestoreRow::ExpectedBitmap() const
{
    FILEEXTENT_RESTORE::CExtentBitmap bitmap = Bitmap;
    bitmap.resize(ExpectedExtents());
    return bitmap;
}

CToolStatus CRestoreDatabaseReader::Open(const std::string& dbPath)
{
    CToolStatus status = CDatabaseProbe(dbPath).RequireTable("RestoredItems", "RecalledItems");
    if (!status.IsOk())
        return status;
    return m_db.Open(dbPath);
}

// Versions and error codes of 2^31 and above are stored as their unsigned value: the low 32 bits
// are the number. NULL reads as empty text, 0 or an empty bitmap, as the library reads it.
CToolStatus CRestoreDatabaseReader::ForEachItem(const std::function<bool(const CRestoreRow&)>& fn)
{
    return m_db.ForEachRow(
        "SELECT FilePath, RestoredItemVersion, RestoredFilePath, ErrorCode, Status, ContainerItemRestored, "
        "PostProcessAction, NumOfExtents, ExtentBitmap, Metadata, TaskId FROM RestoredItems;",
        [&fn](sqlite3_stmt* r) {
            CRestoreRow row;
            row.Path = CReadOnlyDatabase::Text(r, 0);
            row.Version = static_cast<std::uint32_t>(sqlite3_column_int64(r, 1));
            row.RestoredPath = CReadOnlyDatabase::Text(r, 2);
            row.ErrorCode = static_cast<std::uint32_t>(sqlite3_column_int64(r, 3));
            row.Status = sqlite3_column_int(r, 4);
            row.ContainerItemRestored = sqlite3_column_int(r, 5) != 0;
            row.Action.DeserializeFromString(CReadOnlyDatabase::Text(r, 6));
            const sqlite3_int64 extents = sqlite3_column_int64(r, 7);
            row.NumOfExtents = extents > 0 ? static_cast<std::uint64_t>(extents) : 0;
            const auto* bitmap = static_cast<const unsigned char*>(sqlite3_column_blob(r, 8));
            row.Bitmap = FILEEXTENT_RESTORE::CExtentBitmapText::FromText(
                bitmap, static_cast<size_t>(sqlite3_column_bytes(r, 8)));
            // A text of fewer than four parts leaves the attributes zero, as the library's reports do.
            row.Attributes.DeserializeFromString(CReadOnlyDatabase::Text(r, 9));
            row.TaskId = static_cast<std::int32_t>(sqlite3_column_int64(r, 10));
            return fn(row);
        });
}
