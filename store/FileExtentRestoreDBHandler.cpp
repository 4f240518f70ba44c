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
    return RecordTableDetail::Pushed(GetByKey(KeyOf(path, version), item), FX_CODE_LOCATION);
}

CZuError CFileExtentRestoreDBHandler::GetAllRestoredItemsByTaskId(
    int taskId, const std::function<CZuError(const CRestoredItem&)>& fn)
{
    return RecordTableDetail::Pushed(EnumerateWhere(FXString::Format("%s=%d", "TaskId", taskId), fn),
                                     FX_CODE_LOCATION);
}

CZuError CFileExtentRestoreDBHandler::Delete(const std::string& path, ULONG version)
{
    return RecordTableDetail::Pushed(DeleteByKey(KeyOf(path, version)), FX_CODE_LOCATION);
}

CZuError CFileExtentRestoreDBHandler::Update(const std::string& path, ULONG version, const CRestoredItem& item)
{
    return RecordTableDetail::Pushed(UpdateByKey(KeyOf(path, version), item), FX_CODE_LOCATION);
}

CZuError CFileExtentRestoreDBHandler::AddorUpdate(const std::string& path, ULONG version, const CRestoredItem& item)
{
    return AddIfNotFound(Update(path, version, item), item);
}
} // namespace FILEEXTENT_RESTORE
