#pragma once

#include "SqliteDb.h"

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>

class CRestoreWorkload;

// The least a host can write and still keep the recall manager's promises, on raw SQLite: the
// whole record, as one autocommit upsert into a table shaped like "RecalledItems", at each point
// the manager writes it: after the file-recall event, on every 64th extent event of the path, on
// an extent event with a final status (when the record changed since its last write), and on
// Finish (its Flush). The metadata's JSON text is made once per file with the library's own
// encoder, in the two forms the table holds: as the file-recall event brings it, and with the
// statistics the extent events bring.
class CRecallFloorHost
{
public:
    static constexpr unsigned int kExtentEventsPerWrite = 64;

    // Opens (creating) the database and its table, set up as the library sets up its own.
    void Open(const std::string& dbPath);
    void OnFile(const CRestoreWorkload& workload, std::size_t file);
    void OnExtent(const CRestoreWorkload& workload, std::size_t file, std::size_t extent);
    // Writes what changed since its last write, then closes.
    void Finish();

    std::size_t Held() const { return m_held.size(); }

private:
    struct CFile
    {
        std::size_t file = 0;
        // Highest extent first, as the row holds it.
        std::string bitmap;
        int status = 0;
        unsigned int eventsSinceWrite = 0;
        bool dirty = false;
        // Points at one of the two texts below.
        const std::string* metadata = nullptr;
        std::string fileMetadata;
        std::string extentMetadata;
    };

    void Write(const std::string& path, CFile& held);
    // Every changed record, in one transaction when there are several, as the manager's flush.
    void WriteDirty();

    std::unique_ptr<CSqliteDb> m_db;
    std::unique_ptr<CSqliteStatement> m_upsert;
    std::unique_ptr<CSqliteStatement> m_begin;
    std::unique_ptr<CSqliteStatement> m_commit;
    // Files whose recall has not reached a final status; a finished file is written and let go.
    std::unordered_map<std::string, CFile> m_held;
    // The workload of the latest file event: the texts every row repeats.
    const CRestoreWorkload* m_workload = nullptr;
};
