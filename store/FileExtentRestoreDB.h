#pragma once

#include "platform/ZuSQLite/ZuSQLite.h"
#include "platform/ZuUtils/ZuError.h"

#include <memory>
#include <string>

// Process-wide names of the two database files.
extern const char* const FileExtentLocalDBName;       // "FileExtentRestore.db"
extern const char* const FileExtentRecallLocalDBName; // "FileExtentRecall.db"

namespace FILEEXTENT_RESTORE
{
using ::FileExtentLocalDBName;
using ::FileExtentRecallLocalDBName;

struct CFileExtentRestoreDBPrivate;

// One SQLite file in the host's directory, with an application version kept in its user
// version. The file opens (created when absent) at first use; OpenDB also runs the version check.
class CFileExtentRestoreDB : private FX::CDatabaseBase
{
public:
    CFileExtentRestoreDB(const std::string& directory, const std::string& fileName,
                         unsigned int applicationDBVersion);
    ~CFileExtentRestoreDB() override;

    CZuError OpenDB();
    CZuError CloseDB();
    std::string GetDBPath();
    bool DoesDBExist();
    // Closes the connection, then removes the file with its "-wal" and "-shm" companions.
    CZuError DeleteDB();

    CZuError DeleteTable(const std::string& name);
    bool DoesTableExist(const std::string& name);
    CZuError RenameTable(const std::string& from, const std::string& to);
    // The destination becomes a copy of the source's columns and rows, without key or constraints.
    CZuError DuplicateTable(const std::string& source, const std::string& destination);

    // A new file (user version 0) receives the constructor's version; any other is accepted.
    CZuError GetApplicationDBVersionFromDB();
    unsigned int GetApplicationDBVersion() const;

    // The longest text or BLOB the file stores, in bytes: a bitmap of more extents cannot be written.
    using FX::CDatabaseBase::GetMaxLength;

    // What the table handlers use.
    using FX::CDatabaseBase::BeginTransaction;
    using FX::CDatabaseBase::CommitTransaction;
    using FX::CDatabaseBase::CompileStatement;
    using FX::CDatabaseBase::CreateTable;
    using FX::CDatabaseBase::DeleteAllRows;
    using FX::CDatabaseBase::Execute;
    using FX::CDatabaseBase::GetDatabase;
    using FX::CDatabaseBase::GetDatabaseName;
    using FX::CDatabaseBase::IsInTransaction;
    using FX::CDatabaseBase::Query;
    using FX::CDatabaseBase::RollbackTransaction;
    using FX::CDatabaseBase::SqlSafeString;

private:
    CZuError ReadUserVersion();

    std::unique_ptr<CFileExtentRestoreDBPrivate> m_private;
};
} // namespace FILEEXTENT_RESTORE
