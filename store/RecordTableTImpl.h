#pragma once

// The definitions of CRecordTableT, for the .cpp that instantiates it.

#include "foundation/ErrorPropagation.h"
#include "foundation/Log.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "platform/ZuUtils/FXString.h"
#include "store/ExtentItemColumns.h"
#include "store/RecordAssignments.h"
#include "store/RecordBinder.h"
#include "store/RecordColumnNames.h"
#include "store/RecordFieldMask.h"
#include "store/RecordReader.h"
#include "store/RecordTable.h"
#include "store/RecordTableT.h"
#include "store/StoreError.h"

#include <new>

namespace FILEEXTENT_RESTORE
{
namespace RecordTableDetail
{
// A constructor has no result to fail with: without memory the table stays empty.
inline CRecordTable* NewTable(CFileExtentRestoreDB& db, const char* name)
{
    try
    {
        return new (std::nothrow) CRecordTable(db, name);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}
} // namespace RecordTableDetail

template <class Record, class Layout, class Interface>
CRecordTableT<Record, Layout, Interface>::CRecordTableT(CFileExtentRestoreDB& db)
    : m_table(RecordTableDetail::NewTable(db, Layout::TableName()))
{
}

template <class Record, class Layout, class Interface>
CRecordTableT<Record, Layout, Interface>::CRecordTableT(CFileExtentRestoreDB& db, const std::string& tableName)
    : m_table(RecordTableDetail::NewTable(db, tableName.c_str()))
{
}

template <class Record, class Layout, class Interface>
CRecordTableT<Record, Layout, Interface>::~CRecordTableT()
{
    if (m_table)
        m_table->Close();
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::CheckTable() const
{
    if (!m_table)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    return CZuError::Success();
}

template <class Record, class Layout, class Interface>
std::string CRecordTableT<Record, Layout, Interface>::GetTableName()
{
    return m_table ? m_table->GetName() : std::string(Layout::TableName());
}

template <class Record, class Layout, class Interface>
bool CRecordTableT<Record, Layout, Interface>::DoesTableExist()
{
    return m_table && m_table->Exists();
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::CreateTable()
{
    CZuError err = CheckTable();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    err = CStoreError::Guard([&] {
        CRecordColumnNames names;
        Record prototype;
        Layout::Visit(prototype, names);
        const std::string& table = m_table->GetName();
        CRecordTableSql sql;
        sql.columnList = names.ColumnList(Layout::ColumnListFormat());
        sql.selectList = names.SelectList();
        sql.insert = names.InsertSql(table);
        sql.selectByKey = names.SelectByKeySql(table);
        sql.deleteByKey = names.DeleteByKeySql(table);
        sql.upsert = names.UpsertSql(table);
        sql.updateByKey = [names, table](std::uint32_t mask) { return names.UpdateByKeySql(table, mask); };
        sql.selectByLeadingKeys = [names, table](int keys) { return names.SelectByLeadingKeysSql(table, keys); };
        return m_table->Create(sql);
    });
    FX_RETURN_PROPAGATED(err);
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::CloseTable()
{
    if (m_table)
        m_table->Close();
    return CZuError::Success();
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::DuplicateTable(const std::string& name)
{
    CZuError err = CheckTable();
    if (!err.IsError())
        err = m_table->Duplicate(name);
    FX_RETURN_PROPAGATED(err);
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::Add(const Record& item)
{
    CZuError err = CheckTable();
    if (!err.IsError())
        err = m_table->Insert([&](FX::CSQLite3Statement& statement) {
            CRecordBinder binder(statement, CRecordBinder::AllColumns);
            Layout::Visit(item, binder);
        });
    FX_RETURN_PROPAGATED(err);
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::GetAllRestoredItems(const RecordFn& fn)
{
    FX_RETURN_PROPAGATED(EnumerateWhere(std::string(), fn));
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::GetCount(ULONGLONG& count)
{
    count = 0;
    CZuError err = CheckTable();
    if (!err.IsError())
        err = m_table->Count(count);
    FX_RETURN_PROPAGATED(err);
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::DeleteAll()
{
    CZuError err = CheckTable();
    if (!err.IsError())
        err = m_table->DeleteAll();
    FX_RETURN_PROPAGATED(err);
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::BeginTransaction()
{
    CZuError err = CheckTable();
    if (!err.IsError())
        err = m_table->BeginTransaction();
    FX_RETURN_PROPAGATED(err);
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::CommitTransaction()
{
    CZuError err = CheckTable();
    if (!err.IsError())
        err = m_table->CommitTransaction();
    FX_RETURN_PROPAGATED(err);
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::RollbackTransaction()
{
    if (m_table)
        m_table->RollbackTransaction();
    return CZuError::Success();
}

template <class Record, class Layout, class Interface>
bool CRecordTableT<Record, Layout, Interface>::IsInTransaction()
{
    return m_table && m_table->IsInTransaction();
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::GetByKey(const Record& key, Record& item)
{
    CZuError err = CheckTable();
    if (!err.IsError())
        err = m_table->SelectOne(
            [&](FX::CSQLite3Statement& statement) {
                CRecordBinder binder(statement, CRecordBinder::KeysOnly);
                Layout::Visit(key, binder);
            },
            [&](const FX::CSQLite3Query& query) {
                CRecordReader reader(query);
                Layout::Visit(item, reader);
            });
    FX_RETURN_PROPAGATED(err);
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::EnumerateWhere(const std::string& condition, const RecordFn& fn)
{
    CZuError err = CheckTable();
    if (!err.IsError())
    {
        // One record for every row: each row sets all its members, in storage kept from the last.
        Record item;
        err = m_table->Enumerate(condition, [&](const FX::CSQLite3Query& query) {
            CRecordReader reader(query);
            Layout::Visit(item, reader);
            return fn(item);
        });
    }
    FX_RETURN_PROPAGATED(err);
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::EnumerateByLeadingKeys(const Record& key, int keys,
                                                                          const RecordFn& fn)
{
    CZuError err = CheckTable();
    if (!err.IsError())
    {
        Record item;
        err = m_table->EnumerateByLeadingKeys(
            keys,
            [&](FX::CSQLite3Statement& statement) {
                CRecordBinder binder(statement, CRecordBinder::KeysOnly, 1, keys);
                Layout::Visit(key, binder);
            },
            [&](const FX::CSQLite3Query& query) {
                CRecordReader reader(query);
                Layout::Visit(item, reader);
                return fn(item);
            });
    }
    FX_RETURN_PROPAGATED(err);
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::DeleteByKey(const Record& key)
{
    CZuError err = CheckTable();
    if (!err.IsError())
        err = m_table->DeleteByKey([&](FX::CSQLite3Statement& statement) {
            CRecordBinder binder(statement, CRecordBinder::KeysOnly);
            Layout::Visit(key, binder);
        });
    FX_RETURN_PROPAGATED(err);
}

template <class Record, class Layout, class Interface>
void CRecordTableT<Record, Layout, Interface>::TraceUpdate(const std::string& table, const Record& key,
                                                          const Record& item)
{
    if (!FXLog::IsEnabled(5))
        return;
    CRecordAssignments where;
    Layout::Visit(key, where);
    CRecordAssignments set;
    Layout::Visit(item, set);
    std::string sql = FXString::Format("UPDATE %s SET ", table.c_str()) + set.Assignments();
    FXString::RemoveRight(sql, ", ");
    sql += " WHERE " + where.Condition() + ";";
    FX_LOG(5, "sql stmnt: '%s'", sql.c_str());
    for (const std::string& blob : set.Blobs())
        FX_LOG(5, "sql bind: '%s'", blob.c_str());
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::UpdateByKey(const Record& key, const Record& item)
{
    CZuError err = CheckTable();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    err = m_table->CheckOpened();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    TraceUpdate(m_table->GetName(), key, item);
    CRecordFieldMask fields;
    Layout::Visit(item, fields);
    err = m_table->UpdateByKey(fields.Mask(), [&](FX::CSQLite3Statement& statement) {
        CRecordBinder values(statement, CRecordBinder::PresentFieldsOnly);
        Layout::Visit(item, values);
        CRecordBinder keys(statement, CRecordBinder::KeysOnly, values.Next());
        Layout::Visit(key, keys);
    });
    FX_RETURN_PROPAGATED(err);
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::UpsertByKey(const Record& item)
{
    CZuError err = CheckTable();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    CRecordFieldMask fields;
    Layout::Visit(item, fields);
    // Without a field to write, an update is not valid SQL: report that as the update does.
    if (fields.Mask() == 0)
        FX_RETURN_PROPAGATED(AddIfNotFound(UpdateByKey(item, item), item));
    err = m_table->CheckOpened();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    TraceUpdate(m_table->GetName(), item, item);
    err = m_table->Upsert([&](FX::CSQLite3Statement& statement) {
        CRecordBinder binder(statement, CRecordBinder::AllColumnsAsIs);
        Layout::Visit(item, binder);
    });
    FX_RETURN_PROPAGATED(err);
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::AddIfNotFound(const CZuError& updateResult, const Record& item)
{
    if (!FXErrorUtil::IsWin32(updateResult, ERROR_NOT_FOUND))
        return updateResult;
    FX_RETURN_PROPAGATED(this->Add(item));
}
} // namespace FILEEXTENT_RESTORE
