#include "foundation/ErrorPropagation.h"
#include "store/FileExtentRestoreDBHandler.h"

#include "platform/ZuUtils/FXString.h"
#include "store/RecordTableTImpl.h"
#include "store/RestoredItemColumns.h"

namespace FILEEXTENT_RESTORE
{
template class CRecordTableT<CRestoredItem, CRestoredItemColumns>;

CFileExtentRestoreDBHandler::CFileExtentRestoreDBHandler(CFileExtentRestoreDB& db) : CRecordTableT(db)
{
}

CFileExtentRestoreDBHandler::CFileExtentRestoreDBHandler(CFileExtentRestoreDB& db, const std::string& tableName)
    : CRecordTableT(db, tableName)
{
}

CFileExtentRestoreDBHandler::~CFileExtentRestoreDBHandler() = default;

CRestoredItem CFileExtentRestoreDBHandler::KeyOf(const std::string& path, ULONG version)
{
    CRestoredItem key;
    key.FilePath = path;
    key.RestoredItemVersion = version;
    return key;
}

CZuError CFileExtentRestoreDBHandler::GetFileExtentRestoreItemByFilePath(const std::string& path, ULONG version,
                                                                          CRestoredItem& item)
{
    FX_RETURN_PROPAGATED(GetByKey(KeyOf(path, version), item));
}

CZuError CFileExtentRestoreDBHandler::GetAllRestoredItemsByTaskId(
    int taskId, const std::function<CZuError(const CRestoredItem&)>& fn)
{
    FX_RETURN_PROPAGATED(EnumerateWhere(FXString::Format("%s=%d", "TaskId", taskId), fn));
}

CZuError CFileExtentRestoreDBHandler::Delete(const std::string& path, ULONG version)
{
    FX_RETURN_PROPAGATED(DeleteByKey(KeyOf(path, version)));
}

CZuError CFileExtentRestoreDBHandler::Update(const std::string& path, ULONG version, const CRestoredItem& item)
{
    FX_RETURN_PROPAGATED(UpdateByKey(KeyOf(path, version), item));
}

CZuError CFileExtentRestoreDBHandler::AddorUpdate(const std::string& path, ULONG version, const CRestoredItem& item)
{
    // One statement when the item carries its own key; otherwise the update names one row and
    // the insert another, as two statements do.
    if (item.FilePath == path && item.RestoredItemVersion == version)
        FX_RETURN_PROPAGATED(UpsertByKey(item));
    return AddIfNotFound(Update(path, version, item), item);
}
} // namespace FILEEXTENT_RESTORE
