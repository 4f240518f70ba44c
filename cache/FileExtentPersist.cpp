#include "cache/FileExtentPersist.h"

#include "network/FileExtentRestoreNWHandler.h"
#include "store/FileExtentRestoreDBHandler.h"

namespace FILEEXTENT_RESTORE
{
CFileExtentPersistToLocalDB::CFileExtentPersistToLocalDB(boost::shared_ptr<CFileExtentRestoreDBHandler> handler)
    : m_handler(handler)
{
}

CFileExtentPersistToLocalDB::~CFileExtentPersistToLocalDB() = default;

CZuError CFileExtentPersistToLocalDB::Update(const CRestoringItemAndVersion& key, const CRestoredItem& item)
{
    CZuError err = m_handler->AddorUpdate(key.FilePath, key.Version, item);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentPersistToLocalDB::Update(
    const std::vector<std::tuple<CRestoringItemAndVersion, CRestoredItem>>& items)
{
    CZuError err = PersistEachItem<CRestoringItemAndVersion, CRestoredItem>(*this, items);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentPersistToLocalDB::Get(const CRestoringItemAndVersion& key, CRestoredItem& item)
{
    CZuError err = m_handler->GetFileExtentRestoreItemByFilePath(key.FilePath, key.Version, item);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentPersistToLocalDB::Delete(const CRestoringItemAndVersion& key)
{
    CZuError err = m_handler->Delete(key.FilePath, key.Version);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

// ---- CFileExtentPersistToNetwork (network reporter adapter) goes below this line. ----

CFileExtentPersistToNetwork::CFileExtentPersistToNetwork(boost::shared_ptr<CFileExtentRestoreNWHandler> handler)
    : m_handler(handler)
{
}

CFileExtentPersistToNetwork::~CFileExtentPersistToNetwork() = default;

CZuError CFileExtentPersistToNetwork::Update(const CRestoringItemAndVersion& key, const CRestoredItem& item)
{
    CZuError err = m_handler->AddorUpdate(key, item);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentPersistToNetwork::Update(
    const std::vector<std::tuple<CRestoringItemAndVersion, CRestoredItem>>& items)
{
    CZuError err = m_handler->AddorUpdate(items);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentPersistToNetwork::Get(const CRestoringItemAndVersion& key, CRestoredItem& item)
{
    CZuError err = m_handler->Get(key, item);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentPersistToNetwork::Delete(const CRestoringItemAndVersion& key)
{
    CZuError err = m_handler->Delete(key);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

} // namespace FILEEXTENT_RESTORE
