#include "store/FileRecallDBHandler.h"

#include "store/RecalledItemColumns.h"
#include "store/RecordTableTImpl.h"

namespace FILEEXTENT_RESTORE
{
template class CRecordTableT<FILEEXTENTRECALLDB::CRecalledItem, FILEEXTENTRECALLDB::CRecalledItemColumns,
                             FILEEXTENTRECALLDB::IFileRecallDBHandler>;
} // namespace FILEEXTENT_RESTORE

namespace FILEEXTENTRECALLDB
{
using FILEEXTENT_RESTORE::RecordTableDetail::Pushed;

CFileRecallDBHandler::CFileRecallDBHandler(FILEEXTENT_RESTORE::CFileExtentRestoreDB& db) : CRecordTableT(db)
{
}

CFileRecallDBHandler::~CFileRecallDBHandler() = default;

CRecalledItem CFileRecallDBHandler::KeyOf(const std::string& path)
{
    CRecalledItem key;
    key.FilePath = path;
    return key;
}

CZuError CFileRecallDBHandler::Delete(const std::string& path)
{
    return Pushed(DeleteByKey(KeyOf(path)), FX_CODE_LOCATION);
}

CZuError CFileRecallDBHandler::GetFileExtentRecalledItemByFilePath(const std::string& path, CRecalledItem& item)
{
    return Pushed(GetByKey(KeyOf(path), item), FX_CODE_LOCATION);
}

CZuError CFileRecallDBHandler::Update(const std::string& path, const CRecalledItem& item)
{
    return Pushed(UpdateByKey(KeyOf(path), item), FX_CODE_LOCATION);
}

// Both calls go through the interface, so a derived handler's Update or Add is honoured.
CZuError CFileRecallDBHandler::AddorUpdate(const std::string& path, const CRecalledItem& item)
{
    IFileRecallDBHandler& table = *this;
    return AddIfNotFound(table.Update(path, item), item);
}
} // namespace FILEEXTENTRECALLDB
