#pragma once

#include "SqliteDb.h"

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>

class CRestoreWorkload;

// What a host writes without the library: a row per file, then one autocommit UPDATE of the row's
// bitmap, status and error code per extent event, in the same table, WAL and synchronous=NORMAL;
// at the end the final status decided by one statement.
class CNaiveSqliteHost
{
public:
    // Opens (creating) the database and its table.
    void Open(const std::string& dbPath);
    void OnFile(const CRestoreWorkload& workload, std::size_t file);
    void OnExtent(const CRestoreWorkload& workload, std::size_t file, std::size_t extent);
    // Decides the final status, then closes.
    void Finish();

    // Binds every column of a file's row to an INSERT of CRestoredItemsSql::Insert().
    static void BindRow(CSqliteStatement& insert, const CRestoreWorkload& workload, std::size_t file, int status,
                        const std::string& bitmap);

private:
    std::unique_ptr<CSqliteDb> m_db;
    std::unique_ptr<CSqliteStatement> m_insert;
    std::unique_ptr<CSqliteStatement> m_update;
    // Each file's bitmap text, highest extent first, as the row holds it.
    std::unordered_map<std::string, std::string> m_bitmaps;
};
