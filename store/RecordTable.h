#pragma once

#include "platform/ZuSQLite/ZuSQLite.h"
#include "platform/ZuUtils/ZuError.h"
#include "platform/ZuUtils/ZuTypes.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace FILEEXTENT_RESTORE
{
class CFileExtentRestoreDB;

// The SQL texts of one record table, made by the typed layer from its column layout.
struct CRecordTableSql
{
    std::string columnList;     // the CREATE TABLE column list
    std::string selectList;     // every column, in layout order
    std::string insert;         // INSERT OR IGNORE of every column
    std::string selectByKey;    // every column of the row of a key
    std::string deleteByKey;    // the row of a key
    std::string upsert;         // insert a row, or update the fields that hold a value
    std::function<std::string(std::uint32_t mask)> updateByKey; // SET the fields of mask, by key
    std::function<std::string(int keys)> selectByLeadingKeys;    // every row of the first keys
};

// The untyped half of a record table (see RecordTableT.h for the typed half that handlers
// derive from): the opened flag, the prepared statements, and the SQL that every record table
// runs the same way. Each operation that needs the table checks the opened flag (774 "Table
// [%s] is not opened") and turns wrapper exceptions into "SQLite Exception%s%s" errors.
// Not thread-safe: its statements are its state.
class CRecordTable
{
public:
    typedef std::function<void(FX::CSQLite3Statement&)> BindFn;
    typedef std::function<void(const FX::CSQLite3Query&)> ReadFn;
    typedef std::function<CZuError(const FX::CSQLite3Query&)> RowFn;

    CRecordTable(CFileExtentRestoreDB& db, const std::string& name);
    CRecordTable(const CRecordTable&) = delete;
    CRecordTable& operator=(const CRecordTable&) = delete;

    const std::string& GetName() const { return m_name; }
    bool Exists();
    // Makes the table (rows of an existing one kept) and prepares its statements; the table
    // counts as opened only when all of it succeeded.
    CZuError Create(const CRecordTableSql& sql);
    // Releases the statements. Operations that need them then fail as not opened.
    void Close();
    CZuError CheckOpened() const;

    CZuError Duplicate(const std::string& destination);
    CZuError Count(ULONGLONG& count);
    CZuError DeleteAll();
    // The prepared insert; a primary-key violation is ERROR_ALREADY_EXISTS.
    CZuError Insert(const BindFn& bind);
    // The prepared upsert.
    CZuError Upsert(const BindFn& bind);
    // The prepared select-by-key; no row is ERROR_NOT_FOUND.
    CZuError SelectOne(const BindFn& bindKey, const ReadFn& read);
    // "SELECT <every column> FROM <table>[ WHERE <condition>];", onRow per row; no row is
    // ERROR_NOT_FOUND and an error from onRow stops the enumeration.
    CZuError Enumerate(const std::string& condition, const RowFn& onRow);
    // The rows whose first `keys` key columns bindKey binds, by a statement prepared once per
    // count; no row is ERROR_NOT_FOUND and an error from onRow stops the enumeration.
    CZuError EnumerateByLeadingKeys(int keys, const BindFn& bindKey, const RowFn& onRow);
    // The prepared delete-by-key; no row deleted is ERROR_NOT_FOUND.
    CZuError DeleteByKey(const BindFn& bindKey);
    // The update of the fields in mask, prepared once per mask; bind fills the SET values and
    // then the key. No row changed is ERROR_NOT_FOUND.
    CZuError UpdateByKey(std::uint32_t mask, const BindFn& bind);

    // One write transaction on the database's connection, for a pass over many rows.
    CZuError BeginTransaction();
    CZuError CommitTransaction();
    void RollbackTransaction();
    bool IsInTransaction();

private:
    typedef boost::shared_ptr<FX::CSQLite3Statement> StatementPtr;

    CZuError CheckPrepared(const StatementPtr& statement) const;
    CZuError Prepare(const std::string& sql, StatementPtr& statement);
    CZuError UpdateStatement(std::uint32_t mask, StatementPtr& statement);
    // Binds, runs and resets a prepared statement that changes rows; returns the rows changed.
    CZuError RunChange(const StatementPtr& statement, const BindFn& bind, int& changed);

    CFileExtentRestoreDB& m_db;
    std::string m_name;
    bool m_opened;
    CRecordTableSql m_sql;
    StatementPtr m_insert;
    StatementPtr m_selectByKey;
    StatementPtr m_deleteByKey;
    StatementPtr m_upsert;
    std::map<std::uint32_t, StatementPtr> m_updates;
    std::map<int, StatementPtr> m_selectsByLeadingKeys;
};
} // namespace FILEEXTENT_RESTORE
