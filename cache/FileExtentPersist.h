#pragma once

#include "platform/ZuUtils/FXErrorUtil.h"
#include "platform/ZuUtils/ZuError.h"
#include "restore/records/RestoredItem.h"
#include "restore/records/RestoringItemAndVersion.h"

#include <boost/shared_ptr.hpp>

#include <tuple>
#include <vector>

namespace FILEEXTENT_RESTORE
{
class CFileExtentRestoreDBHandler;

// Where the write-back cache stores its records: one record, a batch, a read, a delete.
template <class Key, class Value>
class IFileExtentPersist
{
public:
    IFileExtentPersist() = default;
    virtual ~IFileExtentPersist() = default;

    virtual CZuError Update(const Key& key, const Value& value) = 0;
    virtual CZuError Update(const std::vector<std::tuple<Key, Value>>& items) = 0;
    virtual CZuError Get(const Key& key, Value& value) = 0;
    virtual CZuError Delete(const Key& key) = 0;
};

// Writes a batch one record at a time, in vector order, through the single-record Update of
// the interface (so an override of it is honoured). Stops at the first failure and returns it
// as it came; records written before it stay written.
template <class Key, class Value>
CZuError PersistEachItem(IFileExtentPersist<Key, Value>& persist, const std::vector<std::tuple<Key, Value>>& items)
{
    for (const std::tuple<Key, Value>& item : items)
    {
        CZuError err = persist.Update(std::get<0>(item), std::get<1>(item));
        if (err.IsError())
            return err;
    }
    return CZuError::Success();
}

// Restore records in the local restored-item table.
class CFileExtentPersistToLocalDB : public IFileExtentPersist<CRestoringItemAndVersion, CRestoredItem>
{
public:
    explicit CFileExtentPersistToLocalDB(boost::shared_ptr<CFileExtentRestoreDBHandler> handler);
    ~CFileExtentPersistToLocalDB() override;

    CZuError Update(const CRestoringItemAndVersion& key, const CRestoredItem& item) override;
    CZuError Update(const std::vector<std::tuple<CRestoringItemAndVersion, CRestoredItem>>& items) override;
    CZuError Get(const CRestoringItemAndVersion& key, CRestoredItem& item) override;
    CZuError Delete(const CRestoringItemAndVersion& key) override;

private:
    boost::shared_ptr<CFileExtentRestoreDBHandler> m_handler;
};

// Records in any table handler reached through DBPtr, which offers AddorUpdate(pk, value),
// GetFileExtentRecalledItemByFilePath(pk, value) and Delete(pk). Get and Delete hand the
// handler's result back untouched, so its codes and trail reach the caller as they are.
template <class DBPtr, class PK, class Value>
class CFileExtentPersistToLocalDB2 : public IFileExtentPersist<PK, Value>
{
public:
    explicit CFileExtentPersistToLocalDB2(DBPtr db) : m_db(db) {}
    ~CFileExtentPersistToLocalDB2() override = default;

    CZuError Update(const PK& pk, const Value& item) override
    {
        CZuError err = m_db->AddorUpdate(pk, item);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }

    CZuError Update(const std::vector<std::tuple<PK, Value>>& items) override
    {
        CZuError err = PersistEachItem<PK, Value>(*this, items);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }

    CZuError Get(const PK& pk, Value& item) override { return m_db->GetFileExtentRecalledItemByFilePath(pk, item); }

    CZuError Delete(const PK& pk) override { return m_db->Delete(pk); }

private:
    DBPtr m_db;
};

// ---- CFileExtentPersistToNetwork (network reporter adapter) goes below this line. ----

class CFileExtentRestoreNWHandler;

// Restore records sent to the remote collector of a distributed restore. The collector keeps
// them, so Get and Delete fail with ERROR_NOT_SUPPORTED (the facade falls back on that code).
class CFileExtentPersistToNetwork : public IFileExtentPersist<CRestoringItemAndVersion, CRestoredItem>
{
public:
    explicit CFileExtentPersistToNetwork(boost::shared_ptr<CFileExtentRestoreNWHandler> handler);
    ~CFileExtentPersistToNetwork() override;

    CZuError Update(const CRestoringItemAndVersion& key, const CRestoredItem& item) override;
    // One list message for the whole batch, not one message per record.
    CZuError Update(const std::vector<std::tuple<CRestoringItemAndVersion, CRestoredItem>>& items) override;
    CZuError Get(const CRestoringItemAndVersion& key, CRestoredItem& item) override;
    CZuError Delete(const CRestoringItemAndVersion& key) override;

private:
    boost::shared_ptr<CFileExtentRestoreNWHandler> m_handler;
};

} // namespace FILEEXTENT_RESTORE
