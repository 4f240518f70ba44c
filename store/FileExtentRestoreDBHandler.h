#pragma once

#include "platform/ZuUtils/ZuError.h"
#include "platform/ZuUtils/ZuTypes.h"
#include "restore/records/RestoredItem.h"
#include "store/FileExtentRestoreDB.h"
#include "store/RecordTableT.h"

#include <functional>
#include <string>

namespace FILEEXTENT_RESTORE
{
class CRestoredItemColumns;
extern template class CRecordTableT<CRestoredItem, CRestoredItemColumns>;

// The table "RestoredItems": one CRestoredItem per file path (compared without regard to
// ASCII case) and item version. The database must outlive the handler. Calls on one handler
// must not overlap (its prepared statements are its state); several handlers may share a database.
class CFileExtentRestoreDBHandler : public CRecordTableT<CRestoredItem, CRestoredItemColumns>
{
public:
    explicit CFileExtentRestoreDBHandler(CFileExtentRestoreDB& db);
    // The same rows in a table of another name.
    CFileExtentRestoreDBHandler(CFileExtentRestoreDB& db, const std::string& tableName);
    ~CFileExtentRestoreDBHandler();

    using CRecordTableT::GetTableName;
    using CRecordTableT::DoesTableExist;
    using CRecordTableT::CreateTable;
    using CRecordTableT::CloseTable;
    using CRecordTableT::DuplicateTable;
    using CRecordTableT::Add;
    using CRecordTableT::GetAllRestoredItems;
    using CRecordTableT::GetCount;
    using CRecordTableT::DeleteAll;
    using CRecordTableT::BeginTransaction;
    using CRecordTableT::CommitTransaction;
    using CRecordTableT::RollbackTransaction;
    using CRecordTableT::IsInTransaction;

    CZuError GetFileExtentRestoreItemByFilePath(const std::string& path, ULONG version, CRestoredItem& item);
    CZuError GetAllRestoredItemsByTaskId(int taskId, const std::function<CZuError(const CRestoredItem&)>& fn);
    CZuError Delete(const std::string& path, ULONG version);
    // Writes the fields of item that hold a value into the row (path, version).
    CZuError Update(const std::string& path, ULONG version, const CRestoredItem& item);
    CZuError AddorUpdate(const std::string& path, ULONG version, const CRestoredItem& item);

private:
    static CRestoredItem KeyOf(const std::string& path, ULONG version);
};
} // namespace FILEEXTENT_RESTORE
