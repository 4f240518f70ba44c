#pragma once

#include "cache/CacheKeyIndex.h"
#include "cache/CachePendingList.h"
#include "cache/CacheWritePass.h"
#include "cache/Deleter.h"
#include "cache/FileExtentPersist.h"
#include "cache/Record.h"
#include "foundation/AutoLock.h"
#include "foundation/FXCriticalSection.h"
#include "foundation/MakeSharedNothrow.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "platform/ZuUtils/ZuError.h"

#include <boost/shared_ptr.hpp>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <tuple>
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

// When a record new to a cache that persists immediately (block size 0 or 1) reaches the store.
enum NewRecordWrite : std::int32_t
{
    // At once, in a transaction of its own: the store holds it when Update returns.
    NEW_RECORDS_AT_ONCE = 0,
    // With the next write-back pass (a flush or an eviction), many to one transaction.
    NEW_RECORDS_WITH_NEXT_PASS = 1,
};

// Write-back cache of records in front of one persistence adapter. Records are kept in key
// order and marked not dirty, dirty or deleted. A record new to the cache is written at once
// when the block size is 0 or 1 (unless told to wait for the next pass); changes reach the
// store on a flush or when the cache evicts, one at a time or in blocks, each such pass in one
// transaction of a store that has them. A record counts as written only once the pass that
// wrote it committed; a record the store refuses stays dirty and does not keep the others from
// being written. Every public operation holds the cache's recursive lock for its whole
// duration, adapter calls included; every private function expects it held.
template <class Key, class Value, class CompareItemFn, class DeleteItemFn>
class CFileExtentDBCache
{
public:
    typedef IFileExtentPersist<Key, Value> Persist;

    CFileExtentDBCache(boost::shared_ptr<Persist> persist, unsigned int maxItemsToPersistInBlock,
                       CompareItemFn compare, DeleteItemFn deleter = DeleteItemFn(),
                       unsigned int maxCacheSize = 5000, NewRecordWrite newRecords = NEW_RECORDS_AT_ONCE)
        : m_mode(CACHE_MODE_READ_WRITE), m_persist(persist), m_compare(compare), m_deleter(deleter),
          m_maxCacheSize(maxCacheSize), m_maxItemsToPersistInBlock(maxItemsToPersistInBlock),
          m_newRecords(newRecords), m_map(m_compare)
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

    // Changes the key's record where it lies: change(Value&) returns a CZuError, and the record
    // becomes dirty only when it succeeds. A record not cached is read through first, as Get
    // does; a tombstone is ERROR_NOT_FOUND. No copy of the record is made.
    template <class Change>
    CZuError Modify(const Key& key, Change&& change)
    {
        auto_lock lock(&m_lock);
        if (IsReadMode())
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_SUPPORTED);
        // Results are fresh objects, not assigned: this runs on every extent event.
        Position pos = Find(key);
        if (pos == m_map.end())
        {
            CZuError read = ReadThrough(key, pos);
            if (read.IsError())
                return read.Push(FX_CODE_LOCATION);
        }
        else if (IsRecordDeleted(*pos->second))
        {
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_FOUND).Push(FX_CODE_LOCATION);
        }
        CZuError changed = ChangeInPlace(pos, change);
        if (changed.IsError())
            return changed.Push(FX_CODE_LOCATION);
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
            CZuError err = m_pending.Track(pos);
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

    // Writes every dirty record in key order, in one pass, and drops every tombstone. A record
    // the store refuses stays dirty while the others are written; the first failure is returned.
    CZuError FlushSync()
    {
        auto_lock lock(&m_lock);
        if (IsReadMode())
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_SUPPORTED);
        std::vector<Position> pending;
        CZuError err = m_pending.InKeyOrder(m_map, m_compare, pending);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        WritePass pass(*m_persist, m_maxItemsToPersistInBlock, CountDirty(pending));
        for (Position pos : pending)
        {
            if (IsRecordDeleted(*pos->second))
                Erase(pos);
            else if (IsRecordDirty(*pos->second))
                pass.Write(pos);
            else
                m_pending.Untrack(pos);
        }
        pass.Finish();
        for (Position pos : pass.Written())
            MarkWritten(pos);
        if (pass.FirstError().IsError())
            return CZuError(pass.FirstError()).Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }

    // Writes one key's record when it is dirty, always as a single record, in a transaction of
    // its own.
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
            CZuError err = WriteOnItsOwn(pos);
            if (err.IsError())
                return err.Push(FX_CODE_LOCATION);
        }
        return CZuError::Success();
    }

    // Number of map entries, tombstones included.
    std::size_t GetCachedCount() const
    {
        auto_lock lock(&m_lock);
        return m_map.size();
    }

private:
    typedef CRecord<Value, DeleteItemFn> Record;
    typedef boost::shared_ptr<Record> RecordPtr;
    typedef std::map<Key, RecordPtr, CompareItemFn> RecordMap;
    typedef typename RecordMap::iterator Position;
    typedef std::vector<std::tuple<Key, Value>> ItemList;
    typedef CCacheWritePass<Key, Value, Position> WritePass;

    // Records dropped from the front per eviction or overflow.
    static constexpr std::size_t kEvictionStep = 64;

    // ---- Lookup ----

    Position Find(const Key& key) { return m_index.Find(m_map, m_compare, key); }

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

    // ---- Add ----

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

    // A new dirty record, written at once when persisting immediately; then the cache evicts
    // when over capacity. A failed write leaves the record dirty, and no eviction runs.
    template <class V>
    CZuError AddInternal(const Key& key, V&& value)
    {
        if (IsReadMode())
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_SUPPORTED);
        Position pos;
        CZuError err = AddToCache(key, std::forward<V>(value), RECORD_DIRTY, pos);
        if (!err.IsError() && ShouldWriteNewRecordsAtOnce())
            err = WriteOnItsOwn(pos);
        if (!err.IsError())
            err = EvictItemsIfMaxCacheSizeReached();
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
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
        err = m_index.Add(pos);
        if (!err.IsError() && state != RECORD_NOT_DIRTY)
            err = m_pending.Track(pos);
        if (err.IsError())
        {
            m_index.Remove(pos);
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

    // ---- Change ----

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
        CZuError err = m_pending.Track(pos);
        if (!err.IsError())
            err = AssignValue(pos->second->value, std::forward<V>(value));
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        pos->second->state = RECORD_DIRTY;
        return CZuError::Success();
    }

    template <class Change>
    CZuError ChangeInPlace(Position pos, Change& change)
    {
        Record& record = *pos->second;
        const bool wasPending = m_pending.IsTracked(pos);
        CZuError tracked = m_pending.Track(pos);
        if (tracked.IsError())
            return tracked.Push(FX_CODE_LOCATION);
        CZuError changed = Run(change, record.value);
        if (changed.IsError())
        {
            if (!wasPending)
                m_pending.Untrack(pos);
            return changed.Push(FX_CODE_LOCATION);
        }
        record.state = RECORD_DIRTY;
        return CZuError::Success();
    }

    // A change that throws ran out of memory.
    template <class Change>
    static CZuError Run(Change& change, Value& value)
    {
        try
        {
            return change(value);
        }
        catch (...)
        {
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
        }
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

    // ---- Flush ----

    // One dirty record, as a single record in a pass of its own: not dirty once that committed.
    CZuError WriteOnItsOwn(Position pos)
    {
        WritePass pass(*m_persist, 0, 1);
        pass.Write(pos);
        pass.Finish();
        for (Position written : pass.Written())
            MarkWritten(written);
        if (pass.FirstError().IsError())
            return CZuError(pass.FirstError()).Push(FX_CODE_LOCATION);
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
        m_pending.Untrack(pos);
    }

    void Erase(Position pos)
    {
        m_pending.Untrack(pos);
        m_index.Remove(pos);
        m_map.erase(pos);
    }

    // ---- Evict ----

    // Drops the smallest keys, not the least recently used ones: a bounded step per record
    // added. A dirty record leaves only once the pass that wrote it committed; one the store
    // refuses stays, and the next keys leave in its place (at most twice the step is looked at).
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
        WritePass pass(*m_persist, m_maxItemsToPersistInBlock, dirty);
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

    // ---- Predicates ----

    bool ShouldPersistImmediately() const { return m_maxItemsToPersistInBlock <= 1; }
    bool ShouldWriteNewRecordsAtOnce() const
    {
        return ShouldPersistImmediately() && m_newRecords == NEW_RECORDS_AT_ONCE;
    }
    static bool IsRecordDirty(const Record& record) { return record.state == RECORD_DIRTY; }
    static bool IsRecordDeleted(const Record& record) { return record.state == RECORD_DELETED; }
    bool IsReadMode() const { return m_mode == CACHE_MODE_READ; }
    bool IsWriteMode() const { return m_mode == CACHE_MODE_WRITE; }
    bool IsReadWriteMode() const { return m_mode == CACHE_MODE_READ_WRITE; }

    // Fixed after construction.
    const CacheMode m_mode;
    const boost::shared_ptr<Persist> m_persist;
    const CompareItemFn m_compare;
    const DeleteItemFn m_deleter;
    const unsigned int m_maxCacheSize;
    const unsigned int m_maxItemsToPersistInBlock;
    const NewRecordWrite m_newRecords;

    mutable FXCriticalSection m_lock;
    // Guarded by m_lock: the records.
    RecordMap m_map;
    // Guarded by m_lock: the positions of every dirty record and tombstone in m_map.
    CCachePendingList<RecordMap> m_pending;
    // Guarded by m_lock: every entry of m_map by its key's hash.
    CCacheKeyIndex<Key, RecordMap> m_index;
};
} // namespace FILEEXTENT_RESTORE
