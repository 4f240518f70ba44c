#pragma once

#include "ReadOnlyDatabase.h"
#include "ToolStatus.h"

#include "recall/FileExtentRecallReport.h"

#include <functional>
#include <string>

// Reads a recall database (FileExtentRecall.db) without the library and without changing it; rows
// are decoded into the library's own report class, the stub metadata by its own JSON reader.
class CRecallDatabaseReader
{
public:
    // The file must be a SQLite database holding "RecalledItems"; nothing is created.
    CToolStatus Open(const std::string& dbPath);
    // Every row, in the table's order; stops when fn answers false.
    CToolStatus ForEachItem(const std::function<bool(const FILEEXTENTRECALLDB::CFileExtentRecallFileReport&)>& fn);

private:
    CReadOnlyDatabase m_db;
};
