#pragma once

// A table of records, one row per key, for the table handlers to derive from.
//
// A handler describes its rows once, in a layout class:
//
//   struct CRecalledItemColumns
//   {
//       static const char* TableName();        // "RecalledItems"
//       static const char* ColumnListFormat(); // the CREATE column list, "%s" per column, then per key
//       template <class Record, class Visitor>
//       static void Visit(Record& item, Visitor& v) // every column in table order
//       {
//           v.Key("FilePath", item.FilePath);
//           CExtentItemColumns::Visit(item, v); // RestoredFilePath .. ExtentBitmap
//           v.Field("Metadata", item.Metadata);
//       }
//   };
//
// Key members are std::string or std::uint32_t; fields are boost::optional of std::string,
// std::uint32_t, bool, std::int64_t, std::int32_t, CExtentBitmap or an enum (stored as its
// low byte). A field of any other type T is stored as TEXT through the free functions
// `std::string ToColumnText(const T&)` and `void FromColumnText(const std::string&, T&)`,
// declared in T's namespace before the explicit instantiation.
//
// The handler then derives publicly from CRecordTableT<Record, Layout[, Interface]>, which
// gives it GetTableName, DoesTableExist, CreateTable, CloseTable, DuplicateTable, Add,
// GetAllRestoredItems, GetCount, DeleteAll and the transaction operations (overriding
// Interface's pure virtuals of those signatures), and writes its key-taking operations in one
// line each over the protected GetByKey, DeleteByKey, UpdateByKey, UpsertByKey, EnumerateWhere
// and AddIfNotFound, passing a record that holds only the key. Every write uses a statement
// prepared once. Its .cpp includes RecordTableTImpl.h and instantiates
// `template class CRecordTableT<...>;`; its header says `extern template class ...`.
// See FileExtentRestoreDBHandler for a complete example.

#include "platform/ZuUtils/ZuError.h"
#include "platform/ZuUtils/ZuTypes.h"

#include <functional>
#include <memory>
#include <string>

namespace FILEEXTENT_RESTORE
{
class CFileExtentRestoreDB;
class CRecordTable;

// The base of a record table that implements no interface.
class CNoRecordInterface
{
};

template <class Record, class Layout, class Interface = CNoRecordInterface>
class CRecordTableT : public Interface
{
public:
    typedef std::function<CZuError(const Record&)> RecordFn;

    std::string GetTableName();
    bool DoesTableExist();
    // Makes the table and prepares its statements.
    CZuError CreateTable();
    // Releases the prepared statements; only CreateTable or destruction should follow.
    CZuError CloseTable();
    // The named table becomes a copy of this table's rows.
    CZuError DuplicateTable(const std::string& name);
    // Inserts under the item's own key; a stored key is left unchanged.
    CZuError Add(const Record& item);
    CZuError GetAllRestoredItems(const RecordFn& fn);
    CZuError GetCount(ULONGLONG& count);
    CZuError DeleteAll();

    // One write transaction over many writes (BEGIN IMMEDIATE ... COMMIT) on the database's
    // connection. Writes of other threads on that connection wait until it ends. Commit ends
    // the transaction even when it fails; IsInTransaction turns false when SQLite undid the
    // transaction by itself (a full disk, an I/O error).
    CZuError BeginTransaction();
    CZuError CommitTransaction();
    CZuError RollbackTransaction();
    bool IsInTransaction();

protected:
    // The table's name is the layout's unless another is given (a second table of the same rows).
    explicit CRecordTableT(CFileExtentRestoreDB& db);
    CRecordTableT(CFileExtentRestoreDB& db, const std::string& tableName);
    ~CRecordTableT();
    CRecordTableT(const CRecordTableT&) = delete;
    CRecordTableT& operator=(const CRecordTableT&) = delete;

    CZuError GetByKey(const Record& key, Record& item);
    // condition: an SQL condition, e.g. "TaskId=3"; empty for every row.
    CZuError EnumerateWhere(const std::string& condition, const RecordFn& fn);
    // The rows whose first `keys` key columns equal key's, by a statement prepared once.
    CZuError EnumerateByLeadingKeys(const Record& key, int keys, const RecordFn& fn);
    CZuError DeleteByKey(const Record& key);
    // Writes the fields of item that hold a value into the row of key.
    CZuError UpdateByKey(const Record& key, const Record& item);
    // The row of item's key, inserted with every column when it is not stored (as Add), else
    // updated in the fields of item that hold a value (as UpdateByKey): one statement.
    CZuError UpsertByKey(const Record& item);
    // The result of an update, or, when it found no row, the result of Add(item).
    CZuError AddIfNotFound(const CZuError& updateResult, const Record& item);

private:
    CZuError CheckTable() const;
    // The level-5 trace of an update: the statement as SQL text, and its bitmap.
    static void TraceUpdate(const std::string& table, const Record& key, const Record& item);

    // Empty only when it could not be allocated: every operation then fails with ERROR_OUTOFMEMORY.
    std::unique_ptr<CRecordTable> m_table;
};
} // namespace FILEEXTENT_RESTORE
