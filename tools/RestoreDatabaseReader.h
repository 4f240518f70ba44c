#pragma once

#include "ReadOnlyDatabase.h"
#include "ToolStatus.h"

#include "restore/records/FileExtentContainerItemRestoredAttributes.h"
#include "restore/records/FileExtentRestoredItemPostProcessAction.h"
#include "store/ExtentBitmapText.h"

#include <cstdint>
#include <functional>
#include <string>

// One row of "RestoredItems", its columns decoded by the library's own record classes.
struct CRestoreRow
{
    std::string Path;
    std::uint32_t Version = 0;
    std::string RestoredPath;
    std::uint32_t ErrorCode = 0;
    int Status = 0;
    bool ContainerItemRestored = false;
    std::uint64_t NumOfExtents = 0;
    FILEEXTENT_RESTORE::CExtentBitmap Bitmap;
    FILEEXTENT_RESTORE::CFileExtentContainerItemRestoredAttributes Attributes;
    FILEEXTENT_RESTORE::CFileExtentRestoredItemPostProcessAction Action;
    std::int32_t TaskId = 0;

    std::string StatusName() const;
    // The extents of the file, reported or not: its extent count, or the bitmap's size when larger.
    std::uint64_t ExpectedExtents() const;
    // The bitmap over every expected extent; those past the stored bitmap are missing.
    FILEEXTENT_RESTORE::CExtentBitmap ExpectedBitmap() const;
};

// Reads a restore database (FileExtentRestore.db) without the library and without changing it.
class CRestoreDatabaseReader
{
public:
    // The file must be a SQLite database holding "RestoredItems"; nothing is created.
    CToolStatus Open(const std::string& dbPath);
    // Every row, in the table's order; stops when fn answers false.
    CToolStatus ForEachItem(const std::function<bool(const CRestoreRow&)>& fn);

private:
    CReadOnlyDatabase m_db;
};
