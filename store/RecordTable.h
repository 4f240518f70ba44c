#pragma once

#include "platform/ZuSQLite/ZuSQLite.h"
#include "platform/ZuUtils/ZuError.h"
#include "platform/ZuUtils/ZuTypes.h"

#include <boost/shared_ptr.hpp>

#include <functional>
#include <string>
#include <vector>

namespace FILEEXTENT_RESTORE
{
class CFileExtentRestoreDB;

// The untyped half of a record table (see RecordTableT.h for the typed half that handlers
// derive from): the opened flag, the prepared insert and select-by-key statements, and the
// SQL that every record table runs the same way. Each operation that needs the table checks
// the opened flag (774 "Table [%s] is not opened") and turns wrapper exceptions into
// "SQLite Exception%s%s" errors.
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
    // Makes the table (rows of an existing one kept) and prepares both statements; the table
    // counts as opened only when all of it succeeded.
    CZuError Create(const std::string& columnList, const std::string& insertSql, const std::string& selectSql);
    // Releases the statements. Operations that need them then fail as not opened.
    void Close();
    CZuError CheckOpened() const;

    CZuError Duplicate(const std::string& destination);
    CZuError Count(ULONGLONG& count);
    CZuError DeleteAll();
    // The prepared insert; a primary-key violation is ERROR_ALREADY_EXISTS.
    CZuError Insert(const BindFn& bind);
    // The prepared select-by-key; no row is ERROR_NOT_FOUND.
    CZuError SelectOne(const BindFn& bindKey, const ReadFn& read);
    // "SELECT * FROM <table>[ WHERE <condition>];", onRow per row; no row is ERROR_NOT_FOUND
    // and an error from onRow stops the enumeration.
    CZuError Enumerate(const std::string& condition, const RowFn& onRow);
    // No row deleted is ERROR_NOT_FOUND.
    CZuError DeleteWhere(const std::string& condition);
    // assignments: "Column=value, " pieces, with "?" for each of blobs in order.
    // No row changed is ERROR_NOT_FOUND.
    CZuError UpdateWhere(const std::string& assignments, const std::string& condition,
                         const std::vector<std::string>& blobs);

private:
    CZuError CheckPrepared(const boost::shared_ptr<FX::CSQLite3Statement>& statement) const;
    CZuError Prepare(const std::string& sql, boost::shared_ptr<FX::CSQLite3Statement>& statement);
    CZuError RunUpdate(const std::string& sql, const std::vector<std::string>& blobs);

    CFileExtentRestoreDB& m_db;
    std::string m_name;
    bool m_opened;
    boost::shared_ptr<FX::CSQLite3Statement> m_insert;
    boost::shared_ptr<FX::CSQLite3Statement> m_selectByKey;
};
} // namespace FILEEXTENT_RESTORE
