#pragma once

// The definitions of CRecordTableT, for the .cpp that instantiates it.

#include "platform/ZuUtils/FXErrorUtil.h"
#include "store/ExtentItemColumns.h"
#include "store/RecordAssignments.h"
#include "store/RecordBinder.h"
#include "store/RecordColumnNames.h"
#include "store/RecordReader.h"
#include "store/RecordTable.h"
#include "store/RecordTableT.h"

namespace FILEEXTENT_RESTORE
{
namespace RecordTableDetail
{
inline CZuError Pushed(CZuError err, const FXCodeLocation& location)
{
    if (err.IsError())
        err.Push(location);
    return err;
}
} // namespace RecordTableDetail

template <class Record, class Layout, class Interface>
CRecordTableT<Record, Layout, Interface>::CRecordTableT(CFileExtentRestoreDB& db)
    : m_table(new CRecordTable(db, Layout::TableName()))
{
}

template <class Record, class Layout, class Interface>
CRecordTableT<Record, Layout, Interface>::~CRecordTableT()
{
    m_table->Close();
}

template <class Record, class Layout, class Interface>
std::string CRecordTableT<Record, Layout, Interface>::GetTableName()
{
    return m_table->GetName();
}

template <class Record, class Layout, class Interface>
bool CRecordTableT<Record, Layout, Interface>::DoesTableExist()
{
    return m_table->Exists();
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::CreateTable()
{
    CRecordColumnNames names;
    Record prototype;
    Layout::Visit(prototype, names);
    const std::string& table = m_table->GetName();
    return RecordTableDetail::Pushed(m_table->Create(names.ColumnList(Layout::ColumnListFormat()),
                                                     names.InsertSql(table), names.SelectByKeySql(table)),
                                     FX_CODE_LOCATION);
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::CloseTable()
{
    m_table->Close();
    return CZuError::Success();
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::DuplicateTable(const std::string& name)
{
    return RecordTableDetail::Pushed(m_table->Duplicate(name), FX_CODE_LOCATION);
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::Add(const Record& item)
{
    return RecordTableDetail::Pushed(m_table->Insert([&](FX::CSQLite3Statement& statement) {
        CRecordBinder binder(statement, CRecordBinder::AllColumns);
        Layout::Visit(item, binder);
    }),
                                     FX_CODE_LOCATION);
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::GetAllRestoredItems(const RecordFn& fn)
{
    return RecordTableDetail::Pushed(EnumerateWhere(std::string(), fn), FX_CODE_LOCATION);
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::GetCount(ULONGLONG& count)
{
    return RecordTableDetail::Pushed(m_table->Count(count), FX_CODE_LOCATION);
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::DeleteAll()
{
    return RecordTableDetail::Pushed(m_table->DeleteAll(), FX_CODE_LOCATION);
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::GetByKey(const Record& key, Record& item)
{
    CZuError err = m_table->SelectOne(
        [&](FX::CSQLite3Statement& statement) {
            CRecordBinder binder(statement, CRecordBinder::KeysOnly);
            Layout::Visit(key, binder);
        },
        [&](const FX::CSQLite3Query& query) {
            CRecordReader reader(query);
            Layout::Visit(item, reader);
        });
    return RecordTableDetail::Pushed(err, FX_CODE_LOCATION);
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::EnumerateWhere(const std::string& condition, const RecordFn& fn)
{
    CZuError err = m_table->Enumerate(condition, [&](const FX::CSQLite3Query& query) {
        Record item;
        CRecordReader reader(query);
        Layout::Visit(item, reader);
        return fn(item);
    });
    return RecordTableDetail::Pushed(err, FX_CODE_LOCATION);
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::DeleteByKey(const Record& key)
{
    CRecordAssignments where;
    Layout::Visit(key, where);
    return RecordTableDetail::Pushed(m_table->DeleteWhere(where.Condition()), FX_CODE_LOCATION);
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::UpdateByKey(const Record& key, const Record& item)
{
    CRecordAssignments where;
    Layout::Visit(key, where);
    CRecordAssignments set;
    Layout::Visit(item, set);
    return RecordTableDetail::Pushed(m_table->UpdateWhere(set.Assignments(), where.Condition(), set.Blobs()),
                                     FX_CODE_LOCATION);
}

template <class Record, class Layout, class Interface>
CZuError CRecordTableT<Record, Layout, Interface>::AddIfNotFound(const CZuError& updateResult, const Record& item)
{
    if (!FXErrorUtil::IsWin32(updateResult, ERROR_NOT_FOUND))
        return updateResult;
    return RecordTableDetail::Pushed(this->Add(item), FX_CODE_LOCATION);
}
} // namespace FILEEXTENT_RESTORE
