#pragma once

#include "platform/ZuUtils/FXErrorUtil.h"
#include "platform/ZuUtils/ZuError.h"
#include "restore/records/RestoredItem.h"
#include "restore/records/RestoringItemAndVersion.h"

#include <boost/shared_ptr.hpp>

#include <tuple>
#include <type_traits>
#include <utility>
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

    // Write-back passes. A store with transactions groups the writes of one pass of the cache
    // between BeginWrites and CommitWrites (a record written at once is a pass of its own), and
    // the cache counts a record as written only once CommitWrites succeeded. A store without
    // them (the default) ignores the calls.
    virtual bool HasTransactions() const { return false; }
    virtual CZuError BeginWrites() { return CZuError::Success(); }
    // Ends the transaction even when it fails.
    virtual CZuError CommitWrites() { return CZuError::Success(); }
    virtual void RollbackWrites() {}
    // True when the store undid the open transaction by itself (a full disk, an I/O error): the
    // writes of the pass so far are gone.
    virtual bool WritesLost() { return false; }

    // A store that cannot read back what it was written keeps the records the cache drops from
    // memory, so that Get still finds them. The default keeps nothing.
    virtual bool KeepsEvicted() const { return false; }
    virtual CZuError KeepEvicted(const std::vector<std::tuple<Key, Value>>& /*items*/) { return CZuError::Success(); }
};

namespace PersistDetail
{
// Whether a table handler offers transactions (BeginTransaction, CommitTransaction,
// RollbackTransaction, IsInTransaction).
template <class Table, class = void>
struct HasTransactions : std::false_type
{
};
template <class Table>
struct HasTransactions<Table, std::void_t<decltype(std::declval<Table&>().BeginTransaction()),
                                          decltype(std::declval<Table&>().IsInTransaction())>> : std::true_type
{
};

// The transaction calls of a table handler, or nothing for one without transactions.
template <class Table>
class CTableTransaction
{
public:
    static bool Exists() { return HasTransactions<Table>::value; }
    static CZuError Begin(Table& table)
    {
        if constexpr (HasTransactions<Table>::value)
            return table.BeginTransaction();
        else
            return CZuError::Success();
    }
    static CZuError Commit(Table& table)
    {
        if constexpr (HasTransactions<Table>::value)
            return table.CommitTransaction();
        else
            return CZuError::Success();
    }
    static void Rollback(Table& table)
    {
        if constexpr (HasTransactions<Table>::value)
            table.RollbackTransaction();
    }
    static bool Lost(Table& table)
    {
        if constexpr (HasTransactions<Table>::value)
            return !table.IsInTransaction();
        else
            return false;
    }
};
} // namespace PersistDetail

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

    bool HasTransactions() const override;
    CZuError BeginWrites() override;
    CZuError CommitWrites() override;
    void RollbackWrites() override;
    bool WritesLost() override;

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

    bool HasTransactions() const override { return Transaction::Exists(); }
    CZuError BeginWrites() override
    {
        CZuError err = Transaction::Begin(*m_db);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }
    CZuError CommitWrites() override
    {
        CZuError err = Transaction::Commit(*m_db);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }
    void RollbackWrites() override { Transaction::Rollback(*m_db); }
    bool WritesLost() override { return Transaction::Lost(*m_db); }

private:
    typedef PersistDetail::CTableTransaction<typename std::remove_reference<decltype(*std::declval<DBPtr>())>::type>
        Transaction;

    DBPtr m_db;
};

// ---- CFileExtentPersistToNetwork (network reporter adapter) goes below this line. ----

class CFileExtentRestoreNWHandler;

// Restore records sent to the remote collector of a distributed restore. The collector keeps
// them, so Get and Delete fail with ERROR_NOT_SUPPORTED (the facade falls back on that code).
// With a store for evicted records, what the cache drops after sending is kept there and Get
// finds it, so a file's later extents add to its whole record. Sends have no transactions.
class CFileExtentPersistToNetwork : public IFileExtentPersist<CRestoringItemAndVersion, CRestoredItem>
{
public:
    explicit CFileExtentPersistToNetwork(boost::shared_ptr<CFileExtentRestoreNWHandler> handler);
    // evicted: a local table of records (a table of its own, not the restored items).
    CFileExtentPersistToNetwork(boost::shared_ptr<CFileExtentRestoreNWHandler> handler,
                                boost::shared_ptr<CFileExtentRestoreDBHandler> evicted);
    ~CFileExtentPersistToNetwork() override;

    CZuError Update(const CRestoringItemAndVersion& key, const CRestoredItem& item) override;
    // One list message for the whole batch, not one message per record.
    CZuError Update(const std::vector<std::tuple<CRestoringItemAndVersion, CRestoredItem>>& items) override;
    CZuError Get(const CRestoringItemAndVersion& key, CRestoredItem& item) override;
    CZuError Delete(const CRestoringItemAndVersion& key) override;

    bool KeepsEvicted() const override;
    CZuError KeepEvicted(const std::vector<std::tuple<CRestoringItemAndVersion, CRestoredItem>>& items) override;

private:
    boost::shared_ptr<CFileExtentRestoreNWHandler> m_handler;
    boost::shared_ptr<CFileExtentRestoreDBHandler> m_evicted;
};

} // namespace FILEEXTENT_RESTORE
