#pragma once

#include "cache/CacheKeyHash.h"
#include "cache/Deleter.h"
#include "cache/FileExtentPersist.h"
#include "cache/Record.h"
#include "foundation/AutoLock.h"
#include "foundation/ErrorContext.h"
#include "foundation/FXCriticalSection.h"
#include "foundation/MakeSharedNothrow.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "platform/ZuUtils/FXString.h"
#include "platform/ZuUtils/ZuError.h"

#include <boost/shared_ptr.hpp>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

namespace FILEEXTENT_RESTORE
{
enum CacheMode : std::int32_t
{
    CACHE_MODE_READ = 0,
    CACHE_MODE_WRITE = 1,
    CACHE_MODE_READ_WRITE = 2,
};

// How an error names the record of a key (the restore key has its own, found by its namespace).
inline std::string DescribeKey(const std::string& key)
{
    return key;
}
template <class Key>
std::string DescribeKey(const Key&)
{
    return "a record";
}

// Write-back cache of records in front of one persistence adapter. Records are kept in key
// order and marked not dirty, dirty or deleted; dirty ones reach the adapter on a flush or
// when the cache evicts, one at a time or in blocks, each such pass in one transaction of a
// store that has them. A record counts as written only once the pass that wrote it committed;
// a record the store refuses stays dirty and does not keep the others from being written.
// Every public operation holds the cache's recursive lock for its whole duration, adapter
// calls included; the private functions expect it held.
template <class Key, class Value, class CompareItemFn, class DeleteItemFn>
class CFileExtentDBCache
{
public:
    typedef IFileExtentPersist<Key, Value> Persist;

    CFileExtentDBCache(boost::shared_ptr<Persist> persist, unsigned int maxItemsToPersistInBlock,
                       CompareItemFn compare, DeleteItemFn deleter = DeleteItemFn(),
                       unsigned int maxCacheSize = 5000)
        : m_mode(CACHE_MODE_READ_WRITE), m_persist(persist), m_compare(compare), m_deleter(deleter),
          m_maxCacheSize(maxCacheSize), m_maxItemsToPersistInBlock(maxItemsToPersistInBlock), m_map(m_compare)
    {
    }

    // Writes nothing: an owner that wants its dirty records stored flushes first.
    ~CFileExtentDBCache() = default;

    CFileExtentDBCache(const CFileExtentDBCache&) = delete;
    CFileExtentDBCache& operator=(const CFileExtentDBCache&) = delete;

    CZuError Update(const Key& key, const Value& value)
    {
        CZuError err = UpdateValue(key, value);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }

    // The same, taking the caller's value instead of a copy.
    CZuError Update(const Key& key, Value&& value)
    {
        CZuError err = UpdateValue(key, std::move(value));
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }

    CZuError Get(const Key& key, Value& value)
    {
        auto_lock lock(&m_lock);
        CZuError err = GetInternal(key, value);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }

    // Deletes in the store first, whatever the cache holds, then leaves a tombstone. A record
    // the cache held is deleted even when the store never had it (it was not written yet).
    CZuError Delete(const Key& key)
    {
        auto_lock lock(&m_lock);
        if (IsReadMode())
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_SUPPORTED);
        CZuError persistErr = m_persist->Delete(key);
        Position pos = Find(key);
        if (pos != m_map.end())
        {
            if (IsRecordDeleted(*pos->second))
                return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_FOUND);
            CZuError err = Track(pos);
            if (err.IsError())
                return err.Push(FX_CODE_LOCATION);
            pos->second->state = RECORD_DELETED;
            if (FXErrorUtil::IsWin32(persistErr, ERROR_NOT_FOUND))
                persistErr = CZuError::Success();
        }
        else
        {
            CZuError err = UpdateInternal(key, Value(), RECORD_DELETED);
            if (err.IsError())
                return err.Push(FX_CODE_LOCATION);
        }
        if (persistErr.IsError())
            return persistErr.Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }

    // Writes every dirty record in key order and drops every tombstone. A record the store
    // refuses stays dirty while the others are written; the first failure is returned.
    CZuError FlushSync()
    {
        auto_lock lock(&m_lock);
        if (IsReadMode())
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_SUPPORTED);
        std::vector<Position> pending;
        CZuError err = PendingInKeyOrder(pending);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        CWritePass pass(*this, CountDirty(pending));
        for (Position pos : pending)
        {
            if (IsRecordDeleted(*pos->second))
                Erase(pos);
            else if (IsRecordDirty(*pos->second))
                pass.Write(pos);
            else
                Untrack(pos);
        }
        pass.Finish();
        for (Position pos : pass.Written())
            MarkWritten(pos);
        if (pass.FirstError().IsError())
            return CZuError(pass.FirstError()).Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }

    // Writes one key's record when it is dirty, always as a single record.
    CZuError FlushSync(const Key& key)
    {
        auto_lock lock(&m_lock);
        if (IsReadMode())
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_SUPPORTED);
        Position pos = Find(key);
        if (pos == m_map.end())
            return CZuError::Success();
        if (IsRecordDeleted(*pos->second))
        {
            Erase(pos);
            return CZuError::Success();
        }
        if (IsRecordDirty(*pos->second))
        {
            CZuError err = PersistItem(pos);
            if (err.IsError())
                return err.Push(FX_CODE_LOCATION);
            MarkWritten(pos);
        }
        return CZuError::Success();
    }

    // Number of map entries, tombstones included.
    std::size_t GetCachedCount() const
    {
        auto_lock lock(&m_lock);
        return m_map.size();
    }

    // Changes the key's record where it lies, under the lock: change(Value&) returns a CZuError,
    // and the record becomes dirty only when it succeeds. A record not cached is read through
    // first, as Get does; a tombstone is ERROR_NOT_FOUND. No copy of the record is made.
    template <class Change>
    CZuError Modify(const Key& key, Change&& change)
    {
        auto_lock lock(&m_lock);
        if (IsReadMode())
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_SUPPORTED);
        Position pos = Find(key);
        CZuError err;
        if (pos == m_map.end())
            err = ReadThrough(key, pos);
        else if (IsRecordDeleted(*pos->second))
            err = FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_FOUND);
        if (!err.IsError())
            err = ChangeInPlace(pos, change);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }

private:
    typedef CRecord<Value, DeleteItemFn> Record;
    typedef boost::shared_ptr<Record> RecordPtr;
    typedef std::map<Key, RecordPtr, CompareItemFn> RecordMap;
    typedef typename RecordMap::iterator Position;
    typedef std::vector<std::tuple<Key, Value>> ItemList;
    typedef CCacheKeyHash<Key> KeyHash;

    // Update's work, with the value copied in, or moved when the caller gave it away.
    template <class V>
    CZuError UpdateValue(const Key& key, V&& value)
    {
        auto_lock lock(&m_lock);
        if (IsReadMode())
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_SUPPORTED);
        Position pos = Find(key);
        CZuError err;
        if (pos == m_map.end())
            err = AddInternal(key, std::forward<V>(value));
        else if (IsRecordDeleted(*pos->second))
            err = ReviveRecord(pos, std::forward<V>(value));
        else
            err = ChangeRecord(pos, std::forward<V>(value));
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }

    // Records dropped from the front per eviction or overflow.
    static constexpr std::size_t kEvictionStep = 64;

    // Records on their way to one batch write, with where they sit in the map, so that they
    // are marked written (or evicted) only after the batch succeeded.
    struct CPendingBlock
    {
        ItemList items;
        std::vector<Position> positions;
    };

    // One write-back pass: the dirty records it is handed are written one at a time or in
    // blocks, inside one transaction when the store has them (a record may take more than one
    // statement).
    // Written() holds the records whose writes are in the store once Finish() returned.
    class CWritePass
    {
    public:
        CWritePass(CFileExtentDBCache& cache, std::size_t records)
            : m_cache(cache), m_useTransaction(cache.m_persist->HasTransactions() && records > 0), m_open(false)
        {
        }
        ~CWritePass()
        {
            if (m_open)
                m_cache.m_persist->RollbackWrites();
        }
        CWritePass(const CWritePass&) = delete;
        CWritePass& operator=(const CWritePass&) = delete;

        // Hands one dirty record to the store, at once or with its block. False when the store
        // refused it at once (its failure is kept); a block's fate is known at its write.
        bool Write(Position pos)
        {
            if (!Begin())
                return false;
            if (m_cache.ShouldPersistImmediately())
                return Written(m_cache.PersistItem(pos), {pos});
            CZuError err = m_cache.AddItemToListOfItems(pos, m_block);
            if (err.IsError())
            {
                Failed(err);
                return false;
            }
            if (m_cache.IsMaxItemCountReachedToPersistInBlock(m_block))
                WriteBlock();
            return true;
        }

        void Finish()
        {
            WriteBlock();
            if (!m_open)
                return;
            m_open = false;
            CZuError err = m_cache.m_persist->CommitWrites();
            if (err.IsError())
            {
                m_written.clear();
                Failed(err.Push(FX_CODE_LOCATION));
            }
        }

        const std::vector<Position>& Written() const { return m_written; }
        const CZuError& FirstError() const { return m_firstError; }

    private:
        bool Begin()
        {
            if (!m_useTransaction || m_open || m_beginFailed)
                return !m_beginFailed;
            CZuError err = m_cache.m_persist->BeginWrites();
            if (err.IsError())
            {
                // Nothing of this pass can be written: the store is busy or broken.
                m_beginFailed = true;
                Failed(err.Push(FX_CODE_LOCATION));
                return false;
            }
            m_open = true;
            return true;
        }

        void WriteBlock()
        {
            if (m_block.items.empty())
                return;
            std::vector<Position> positions;
            positions.swap(m_block.positions);
            CZuError err = m_cache.PersistItems(m_block.items);
            m_block.items.clear();
            Written(err, positions);
        }

        bool Written(const CZuError& err, const std::vector<Position>& positions)
        {
            if (!err.IsError())
            {
                m_written.insert(m_written.end(), positions.begin(), positions.end());
                return true;
            }
            Failed(err);
            // The store undid the transaction: what it held is not written. The rest of the
            // pass goes on in a new one.
            if (m_open && m_cache.m_persist->WritesLost())
            {
                m_cache.m_persist->RollbackWrites();
                m_open = false;
                m_written.clear();
            }
            return false;
        }

        void Failed(const CZuError& err)
        {
            if (!m_firstError.IsError())
                m_firstError = err;
        }

        CFileExtentDBCache& m_cache;
        const bool m_useTransaction;
        bool m_open;
        bool m_beginFailed = false;
        CPendingBlock m_block;
        std::vector<Position> m_written;
        CZuError m_firstError;
    };

    template <class V>
    CZuError AddInternal(const Key& key, V&& value)
    {
        if (IsReadMode())
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_SUPPORTED);
        Position pos;
        CZuError err = AddToCache(key, std::forward<V>(value), RECORD_DIRTY, pos);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        if (ShouldWriteNewRecordsAtOnce())
        {
            // On failure the record stays dirty for a later flush, and no eviction runs.
            err = PersistItem(pos);
            if (err.IsError())
                return err.Push(FX_CODE_LOCATION);
            MarkWritten(pos);
        }
        err = EvictItemsIfMaxCacheSizeReached();
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }

    CZuError GetInternal(const Key& key, Value& value)
    {
        Position pos = Find(key);
        if (pos != m_map.end())
        {
            if (IsRecordDeleted(*pos->second))
                return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_FOUND);
            CZuError err = CopyValue(value, pos->second->value);
            if (err.IsError())
                return err.Push(FX_CODE_LOCATION);
            return CZuError::Success();
        }
        CZuError err = m_persist->Get(key, value);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        err = UpdateInternal(key, value, RECORD_NOT_DIRTY);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }

    // One lookup: by hash when the key type has one (a hit with the very same key costs no
    // comparison), else, or when the hash finds nothing, in the ordered map.
    Position Find(const Key& key)
    {
        if (!KeyHash::kHashed)
            return m_map.find(key);
        auto range = m_index.equal_range(KeyHash::Hash(key));
        for (auto candidate = range.first; candidate != range.second; ++candidate)
        {
            const Key& cached = candidate->second->first;
            if (KeyHash::Identical(key, cached) || (!m_compare(key, cached) && !m_compare(cached, key)))
                return candidate->second;
        }
        return m_map.find(key);
    }

    CZuError Index(Position pos)
    {
        if (!KeyHash::kHashed)
            return CZuError::Success();
        try
        {
            m_index.emplace(KeyHash::Hash(pos->first), pos);
        }
        catch (...)
        {
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
        }
        return CZuError::Success();
    }

    void Unindex(Position pos)
    {
        if (!KeyHash::kHashed)
            return;
        auto range = m_index.equal_range(KeyHash::Hash(pos->first));
        for (auto candidate = range.first; candidate != range.second; ++candidate)
            if (candidate->second == pos)
                return static_cast<void>(m_index.erase(candidate));
    }

    // A key not in the map, read from the store and cached clean.
    CZuError ReadThrough(const Key& key, Position& pos)
    {
        Value value;
        CZuError err = m_persist->Get(key, value);
        if (!err.IsError())
            err = UpdateInternal(key, value, RECORD_NOT_DIRTY, &pos);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }

    template <class Change>
    CZuError ChangeInPlace(Position pos, Change& change)
    {
        Record& record = *pos->second;
        const bool wasPending = record.pendingSlot != Record::kNotPending;
        CZuError err = Track(pos);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        try
        {
            err = change(record.value);
        }
        catch (...)
        {
            err = FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
        }
        if (err.IsError())
        {
            if (!wasPending)
                Untrack(pos);
            return err.Push(FX_CODE_LOCATION);
        }
        record.state = RECORD_DIRTY;
        return CZuError::Success();
    }

    // Inserts a key that is not in the map; above capacity it first flushes everything and
    // drops the smallest keys, which are all clean after the flush.
    CZuError UpdateInternal(const Key& key, const Value& value, RecordState state, Position* inserted = nullptr)
    {
        if (m_map.size() > m_maxCacheSize)
        {
            CZuError err = FlushSync();
            if (!err.IsError())
                err = DropFirstRecords(kEvictionStep);
            if (err.IsError())
                return err.Push(FX_CODE_LOCATION);
        }
        Position pos;
        CZuError err = AddToCache(key, value, state, pos);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        if (inserted)
            *inserted = pos;
        return CZuError::Success();
    }

    template <class V>
    CZuError AddToCache(const Key& key, V&& value, RecordState state, Position& pos)
    {
        RecordPtr record;
        CZuError err = NewRecord(std::forward<V>(value), state, record);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        try
        {
            pos = m_map.emplace(key, record).first;
        }
        catch (...)
        {
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
        }
        err = Index(pos);
        if (!err.IsError() && state != RECORD_NOT_DIRTY)
            err = Track(pos);
        if (err.IsError())
        {
            Unindex(pos);
            m_map.erase(pos);
            return err.Push(FX_CODE_LOCATION);
        }
        return CZuError::Success();
    }

    template <class V>
    CZuError NewRecord(V&& value, RecordState state, RecordPtr& record)
    {
        RecordPtr fresh = boost::make_shared_nothrow<Record>(m_deleter);
        if (!fresh)
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
        CZuError err = AssignValue(fresh->value, std::forward<V>(value));
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        fresh->state = state;
        record = fresh;
        return CZuError::Success();
    }

    // A tombstone comes back as a fresh dirty record; it stays a tombstone when that fails.
    template <class V>
    CZuError ReviveRecord(Position pos, V&& value)
    {
        RecordPtr fresh;
        CZuError err = NewRecord(std::forward<V>(value), RECORD_DIRTY, fresh);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        // The tombstone's place in the pending list passes to its successor.
        fresh->pendingSlot = pos->second->pendingSlot;
        pos->second = fresh;
        return CZuError::Success();
    }

    // A change to a cached record reaches the store only through a flush or an eviction.
    template <class V>
    CZuError ChangeRecord(Position pos, V&& value)
    {
        CZuError err = Track(pos);
        if (!err.IsError())
            err = AssignValue(pos->second->value, std::forward<V>(value));
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        pos->second->state = RECORD_DIRTY;
        return CZuError::Success();
    }

    static CZuError AssignValue(Value& target, const Value& source) { return CopyValue(target, source); }
    static CZuError AssignValue(Value& target, Value&& source)
    {
        target = std::move(source);
        return CZuError::Success();
    }

    // Copies through a temporary so that a failed copy leaves the target as it was.
    static CZuError CopyValue(Value& target, const Value& source)
    {
        try
        {
            Value copy(source);
            target = std::move(copy);
        }
        catch (...)
        {
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
        }
        return CZuError::Success();
    }

    // The pending list: every dirty record and tombstone, so that a flush visits only them.
    // A record knows its slot, so it leaves the list in constant time.
    CZuError Track(Position pos)
    {
        Record& record = *pos->second;
        if (record.pendingSlot != Record::kNotPending)
            return CZuError::Success();
        try
        {
            m_pending.push_back(pos);
        }
        catch (...)
        {
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
        }
        record.pendingSlot = m_pending.size() - 1;
        return CZuError::Success();
    }

    void Untrack(Position pos)
    {
        Record& record = *pos->second;
        const std::size_t slot = record.pendingSlot;
        if (slot == Record::kNotPending)
            return;
        Position last = m_pending.back();
        m_pending[slot] = last;
        last->second->pendingSlot = slot;
        m_pending.pop_back();
        record.pendingSlot = Record::kNotPending;
    }

    void Erase(Position pos)
    {
        Untrack(pos);
        Unindex(pos);
        m_map.erase(pos);
    }

    // The pending records in key order: a walk of the map when most of it is pending, else a
    // sort of the pending list.
    CZuError PendingInKeyOrder(std::vector<Position>& ordered)
    {
        try
        {
            if (m_pending.size() * 2 >= m_map.size())
            {
                ordered.reserve(m_pending.size());
                for (Position pos = m_map.begin(); pos != m_map.end(); ++pos)
                    if (pos->second->pendingSlot != Record::kNotPending)
                        ordered.push_back(pos);
                return CZuError::Success();
            }
            ordered = m_pending;
            std::sort(ordered.begin(), ordered.end(),
                      [this](Position a, Position b) { return m_compare(a->first, b->first); });
        }
        catch (...)
        {
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
        }
        return CZuError::Success();
    }

    static std::size_t CountDirty(const std::vector<Position>& positions)
    {
        return static_cast<std::size_t>(std::count_if(positions.begin(), positions.end(),
                                                      [](Position pos) { return IsRecordDirty(*pos->second); }));
    }

    void MarkWritten(Position pos)
    {
        if (IsWriteMode())
            return Erase(pos);
        pos->second->state = RECORD_NOT_DIRTY;
        Untrack(pos);
    }

    // Drops the smallest keys, not the least recently used ones: a bounded step per record
    // added. A dirty record leaves only once the pass that wrote it committed; one the store
    // refuses stays, and the next keys leave in its place.
    CZuError EvictItemsIfMaxCacheSizeReached()
    {
        if (m_map.size() <= m_maxCacheSize)
            return CZuError::Success();
        std::vector<Position> candidates;
        std::size_t dirty = 0;
        try
        {
            for (Position pos = m_map.begin(); pos != m_map.end() && candidates.size() < 2 * kEvictionStep; ++pos)
            {
                candidates.push_back(pos);
                dirty += IsRecordDirty(*pos->second) ? 1 : 0;
            }
        }
        catch (...)
        {
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
        }
        CWritePass pass(*this, dirty);
        std::vector<Position> leaving;
        std::size_t evicted = 0;
        for (std::size_t i = 0; i < candidates.size() && evicted < kEvictionStep; ++i)
        {
            if (!IsRecordDirty(*candidates[i]->second))
            {
                leaving.push_back(candidates[i]);
                ++evicted;
            }
            else if (pass.Write(candidates[i]))
            {
                ++evicted;
            }
        }
        pass.Finish();
        leaving.insert(leaving.end(), pass.Written().begin(), pass.Written().end());
        CZuError err = Release(leaving, pass.Written());
        if (!err.IsError())
            err = pass.FirstError();
        if (err.IsError())
            return CZuError(err).Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }

    // Records leave the map: a store that keeps evicted records gets them first, and when it
    // cannot take them they stay (those just written as clean records).
    CZuError Release(const std::vector<Position>& leaving, const std::vector<Position>& written)
    {
        CZuError err = KeepEvicted(leaving);
        if (err.IsError())
        {
            for (Position pos : written)
                MarkWritten(pos);
            return err.Push(FX_CODE_LOCATION);
        }
        for (Position pos : leaving)
            Erase(pos);
        return CZuError::Success();
    }

    CZuError KeepEvicted(const std::vector<Position>& leaving)
    {
        if (!m_persist->KeepsEvicted())
            return CZuError::Success();
        ItemList items;
        try
        {
            for (Position pos : leaving)
                if (!IsRecordDeleted(*pos->second))
                    items.emplace_back(pos->first, pos->second->value);
        }
        catch (...)
        {
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
        }
        CZuError err = m_persist->KeepEvicted(items);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }

    // After a full flush: the smallest keys, all clean, leave.
    CZuError DropFirstRecords(std::size_t count)
    {
        std::vector<Position> leaving;
        try
        {
            for (Position pos = m_map.begin(); pos != m_map.end() && leaving.size() < count; ++pos)
                leaving.push_back(pos);
        }
        catch (...)
        {
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
        }
        CZuError err = Release(leaving, std::vector<Position>());
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }

    // One record's write; a failure names the record.
    CZuError PersistItem(Position pos)
    {
        CZuError err = m_persist->Update(pos->first, pos->second->value);
        if (err.IsError())
            return CErrorContext::Wrap(err, FX_CODE_LOCATION, "Failed to write [" + DescribeKey(pos->first) + "]");
        return CZuError::Success();
    }

    CZuError PersistItems(const ItemList& items)
    {
        if (items.empty())
            return CZuError::Success();
        CZuError err = m_persist->Update(items);
        if (err.IsError())
            return CErrorContext::Wrap(err, FX_CODE_LOCATION,
                                       FXString::Format("Failed to write a block of [%zu] records from [%s]",
                                                        items.size(), DescribeKey(std::get<0>(items.front())).c_str()));
        return CZuError::Success();
    }

    CZuError AddItemToListOfItems(Position pos, CPendingBlock& block)
    {
        try
        {
            block.positions.reserve(block.positions.size() + 1);
            block.items.emplace_back(pos->first, pos->second->value);
            block.positions.push_back(pos);
        }
        catch (...)
        {
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
        }
        return CZuError::Success();
    }

    bool IsMaxItemCountReachedToPersistInBlock(const CPendingBlock& block) const
    {
        return block.items.size() >= m_maxItemsToPersistInBlock;
    }
    bool ShouldPersistImmediately() const { return m_maxItemsToPersistInBlock <= 1; }
    // A store with transactions takes new records with the next pass, one row each inside one
    // transaction, instead of one transaction per record.
    bool ShouldWriteNewRecordsAtOnce() const { return ShouldPersistImmediately() && !m_persist->HasTransactions(); }
    static bool IsRecordDirty(const Record& record) { return record.state == RECORD_DIRTY; }
    static bool IsRecordDeleted(const Record& record) { return record.state == RECORD_DELETED; }
    bool IsReadMode() const { return m_mode == CACHE_MODE_READ; }
    bool IsWriteMode() const { return m_mode == CACHE_MODE_WRITE; }
    bool IsReadWriteMode() const { return m_mode == CACHE_MODE_READ_WRITE; }

    // Fixed after construction.
    CacheMode m_mode;
    boost::shared_ptr<Persist> m_persist;
    CompareItemFn m_compare;
    DeleteItemFn m_deleter;
    unsigned int m_maxCacheSize;
    unsigned int m_maxItemsToPersistInBlock;
    // Guarded by m_lock.
    RecordMap m_map;
    mutable FXCriticalSection m_lock;
    // Guarded by m_lock: the positions of every dirty record and tombstone in m_map.
    std::vector<Position> m_pending;
    // Guarded by m_lock: every entry of m_map by its key's hash (empty for keys without one).
    std::unordered_multimap<std::size_t, Position> m_index;
};
} // namespace FILEEXTENT_RESTORE
