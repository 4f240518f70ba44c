#pragma once

#include "platform/ZuUtils/ZuError.h"
#include "platform/ZuUtils/ZuTypes.h"
#include "recall/RecalledItem.h"
#include "store/FileExtentRestoreDB.h"
#include "store/RecordTableT.h"

#include <functional>
#include <string>

namespace FILEEXTENTRECALLDB
{
// A table of recalled items, one per file path.
class IFileRecallDBHandler
{
public:
    virtual ~IFileRecallDBHandler() = default;

    virtual CZuError CreateTable() = 0;
    virtual CZuError CloseTable() = 0;
    virtual CZuError DuplicateTable(const std::string& name) = 0;
    virtual bool DoesTableExist() = 0;
    virtual std::string GetTableName() = 0;
    virtual CZuError Add(const CRecalledItem& item) = 0;
    virtual CZuError Delete(const std::string& path) = 0;
    virtual CZuError DeleteAll() = 0;
    virtual CZuError GetAllRestoredItems(const std::function<CZuError(const CRecalledItem&)>& fn) = 0;
    virtual CZuError GetFileExtentRecalledItemByFilePath(const std::string& path, CRecalledItem& item) = 0;
    virtual CZuError GetCount(ULONGLONG& count) = 0;
    // Writes the fields of item that hold a value into the row of path.
    virtual CZuError Update(const std::string& path, const CRecalledItem& item) = 0;
    virtual CZuError AddorUpdate(const std::string& path, const CRecalledItem& item) = 0;
    // One write transaction over many writes; see CRecordTableT.
    virtual CZuError BeginTransaction() = 0;
    virtual CZuError CommitTransaction() = 0;
    virtual CZuError RollbackTransaction() = 0;
    virtual bool IsInTransaction() = 0;
};

class CRecalledItemColumns;
} // namespace FILEEXTENTRECALLDB

namespace FILEEXTENT_RESTORE
{
extern template class CRecordTableT<FILEEXTENTRECALLDB::CRecalledItem, FILEEXTENTRECALLDB::CRecalledItemColumns,
                                    FILEEXTENTRECALLDB::IFileRecallDBHandler>;
} // namespace FILEEXTENT_RESTORE

namespace FILEEXTENTRECALLDB
{
// The table "RecalledItems" of the recall database: one CRecalledItem per file path (compared
// without regard to ASCII case), its metadata stored as JSON text. The database must outlive the
// handler. Calls on one handler must not overlap (its prepared statements are its state).
class CFileRecallDBHandler
    : public FILEEXTENT_RESTORE::CRecordTableT<CRecalledItem, CRecalledItemColumns, IFileRecallDBHandler>
{
public:
    explicit CFileRecallDBHandler(FILEEXTENT_RESTORE::CFileExtentRestoreDB& db);
    ~CFileRecallDBHandler() override;

    CZuError Delete(const std::string& path) override;
    CZuError GetFileExtentRecalledItemByFilePath(const std::string& path, CRecalledItem& item) override;
    CZuError Update(const std::string& path, const CRecalledItem& item) override;
    CZuError AddorUpdate(const std::string& path, const CRecalledItem& item) override;

private:
    static CRecalledItem KeyOf(const std::string& path);
};
} // namespace FILEEXTENTRECALLDB
