#include "foundation/ErrorPropagation.h"
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
    FX_RETURN_PROPAGATED(DeleteByKey(KeyOf(path)));
}

CZuError CFileRecallDBHandler::GetFileExtentRecalledItemByFilePath(const std::string& path, CRecalledItem& item)
{
    FX_RETURN_PROPAGATED(GetByKey(KeyOf(path), item));
}

CZuError CFileRecallDBHandler::Update(const std::string& path, const CRecalledItem& item)
{
    FX_RETURN_PROPAGATED(UpdateByKey(KeyOf(path), item));
}

// Both calls go through the interface, so a derived handler's Update or Add is honoured.
CZuError CFileRecallDBHandler::AddorUpdate(const std::string& path, const CRecalledItem& item)
{
    IFileRecallDBHandler& table = *this;
    return AddIfNotFound(table.Update(path, item), item);
}
} // namespace FILEEXTENTRECALLDB
