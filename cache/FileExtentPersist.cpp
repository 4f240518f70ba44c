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

bool CFileExtentPersistToLocalDB::HasTransactions() const
{
    return true;
}

CZuError CFileExtentPersistToLocalDB::BeginWrites()
{
    CZuError err = m_handler->BeginTransaction();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentPersistToLocalDB::CommitWrites()
{
    CZuError err = m_handler->CommitTransaction();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

void CFileExtentPersistToLocalDB::RollbackWrites()
{
    m_handler->RollbackTransaction();
}

bool CFileExtentPersistToLocalDB::WritesLost()
{
    return !m_handler->IsInTransaction();
}

// ---- CFileExtentPersistToNetwork (network reporter adapter) goes below this line. ----

CFileExtentPersistToNetwork::CFileExtentPersistToNetwork(boost::shared_ptr<CFileExtentRestoreNWHandler> handler)
    : m_handler(handler)
{
}

CFileExtentPersistToNetwork::CFileExtentPersistToNetwork(boost::shared_ptr<CFileExtentRestoreNWHandler> handler,
                                                         boost::shared_ptr<CFileExtentRestoreDBHandler> evicted)
    : m_handler(handler), m_evicted(evicted)
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
    // Only what this restore evicted; anything else is the collector's, which cannot be read.
    CZuError err = m_evicted ? m_evicted->GetFileExtentRestoreItemByFilePath(key.FilePath, key.Version, item)
                             : FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_FOUND);
    if (FXErrorUtil::IsWin32(err, ERROR_NOT_FOUND))
        err = m_handler->Get(key, item);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentPersistToNetwork::Delete(const CRestoringItemAndVersion& key)
{
    // A deleted key must not come back from what was evicted before.
    if (m_evicted)
        m_evicted->Delete(key.FilePath, key.Version);
    CZuError err = m_handler->Delete(key);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

bool CFileExtentPersistToNetwork::KeepsEvicted() const
{
    return m_evicted != nullptr;
}

CZuError CFileExtentPersistToNetwork::KeepEvicted(
    const std::vector<std::tuple<CRestoringItemAndVersion, CRestoredItem>>& items)
{
    if (!m_evicted || items.empty())
        return CZuError::Success();
    CZuError err = m_evicted->BeginTransaction();
    for (size_t i = 0; i < items.size() && !err.IsError(); ++i)
        err = m_evicted->AddorUpdate(std::get<0>(items[i]).FilePath, std::get<0>(items[i]).Version,
                                     std::get<1>(items[i]));
    if (err.IsError())
    {
        m_evicted->RollbackTransaction();
        return err.Push(FX_CODE_LOCATION);
    }
    err = m_evicted->CommitTransaction();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

} // namespace FILEEXTENT_RESTORE
