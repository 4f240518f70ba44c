#pragma once

#include "SqliteDb.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

class CRestoreWorkload;

// The least a host can write and still keep the restore handler's promises, on raw SQLite: a
// file's row when its container report arrives (one autocommit INSERT), its extent bits in
// memory, and no more files held than the handler's cache holds: past 5000, the 64 smallest keys
// (path without regard to ASCII case, then version) are written in one transaction of UPDATEs
// and dropped. At the end one transaction writes what is still held, then one statement decides
// the final status.
class CRestoreFloorHost
{
public:
    static constexpr std::size_t kMaxHeld = 5000;
    static constexpr std::size_t kEvictionStep = 64;

    // Opens (creating) the database and its table, set up as the library sets up its own.
    void Open(const std::string& dbPath);
    void OnFile(const CRestoreWorkload& workload, std::size_t file);
    void OnExtent(const CRestoreWorkload& workload, std::size_t file, std::size_t extent);
    // Writes what changed of the files held, in one transaction, as the handler's Flush.
    void Flush();
    // Flush, then the final status decision; closes.
    void Finish();

    std::size_t Held() const { return m_held.size(); }

private:
    struct CKey
    {
        std::string path;
        std::uint32_t version;
    };
    struct CKeyLess
    {
        bool operator()(const CKey& a, const CKey& b) const;
    };
    struct CFile
    {
        // Highest extent first, as the row holds it.
        std::string bitmap;
        int status = 0;
        bool dirty = false;
    };
    typedef std::map<CKey, CFile, CKeyLess> FileMap;

    void EvictSmallest();
    // Writes the dirty files of [first, last) in one transaction.
    void WriteBack(FileMap::iterator first, FileMap::iterator last);

    std::unique_ptr<CSqliteDb> m_db;
    std::unique_ptr<CSqliteStatement> m_insert;
    std::unique_ptr<CSqliteStatement> m_update;
    std::unique_ptr<CSqliteStatement> m_begin;
    std::unique_ptr<CSqliteStatement> m_commit;
    FileMap m_held;
    // The file of the latest container report, where its extents go without a lookup.
    std::size_t m_currentFile = 0;
    CFile* m_current = nullptr;
};
