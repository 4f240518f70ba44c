#pragma once

#include "cache/Deleter.h"
#include "cache/FileExtentPersist.h"
#include "cache/Record.h"
#include "foundation/AutoLock.h"
#include "foundation/FXCriticalSection.h"
#include "foundation/MakeSharedNothrow.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "platform/ZuUtils/ZuError.h"

#include <boost/shared_ptr.hpp>

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

// Write-back cache of records in front of one persistence adapter. Records are kept in key
// order and marked not dirty, dirty or deleted; dirty ones reach the adapter on a flush or
// when the cache evicts, one at a time or in blocks. Every public operation holds the
// cache's recursive lock for its whole duration, adapter calls included.
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
        auto_lock lock(&m_lock);
        if (IsReadMode())
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_SUPPORTED);
        Position pos = m_map.find(key);
        CZuError err;
        if (pos == m_map.end())
            err = AddInternal(key, value);
        else if (IsRecordDeleted(*pos->second))
            err = ReviveRecord(pos, value);
        else
            err = ChangeRecord(*pos->second, value);
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

    // Deletes in the store first, whatever the cache holds, then leaves a tombstone.
    CZuError Delete(const Key& key)
    {
        auto_lock lock(&m_lock);
        if (IsReadMode())
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_SUPPORTED);
        CZuError persistErr = m_persist->Delete(key);
        Position pos = m_map.find(key);
        if (pos != m_map.end())
        {
            if (IsRecordDeleted(*pos->second))
                return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_FOUND);
            pos->second->state = RECORD_DELETED;
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

    // Writes every dirty record in key order and drops every tombstone. A record counts as
    // written (not dirty) only once the write that carried it succeeded.
    CZuError FlushSync()
    {
        auto_lock lock(&m_lock);
        if (IsReadMode())
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_SUPPORTED);
        CPendingBlock block;
        for (Position pos = m_map.begin(); pos != m_map.end();)
        {
            if (IsRecordDeleted(*pos->second))
            {
                pos = m_map.erase(pos);
                continue;
            }
            Position current = pos++;
            if (!IsRecordDirty(*current->second))
                continue;
            CZuError err = FlushRecord(current, block);
            if (err.IsError())
                return err.Push(FX_CODE_LOCATION);
        }
        CZuError err = FlushBlock(block);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }

    // Writes one key's record when it is dirty, always as a single record.
    CZuError FlushSync(const Key& key)
    {
        auto_lock lock(&m_lock);
        if (IsReadMode())
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_SUPPORTED);
        Position pos = m_map.find(key);
        if (pos == m_map.end())
            return CZuError::Success();
        if (IsRecordDeleted(*pos->second))
        {
            m_map.erase(pos);
            return CZuError::Success();
        }
        if (IsRecordDirty(*pos->second))
        {
            CZuError err = PersistItem(pos->first, pos->second->value);
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

private:
    typedef CRecord<Value, DeleteItemFn> Record;
    typedef boost::shared_ptr<Record> RecordPtr;
    typedef std::map<Key, RecordPtr, CompareItemFn> RecordMap;
    typedef typename RecordMap::iterator Position;
    typedef std::vector<std::tuple<Key, Value>> ItemList;

    // Records on their way to one batch write, with where they sit in the map, so that they
    // are marked written (or evicted) only after the batch succeeded.
    struct CPendingBlock
    {
        ItemList items;
        std::vector<Position> positions;

        void Clear()
        {
            items.clear();
            positions.clear();
        }
    };

    // Records dropped from the front per eviction or overflow.
    static constexpr std::size_t kEvictionStep = 64;

    CZuError AddInternal(const Key& key, const Value& value)
    {
        if (IsReadMode())
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_SUPPORTED);
        Position pos;
        CZuError err = AddToCache(key, value, RECORD_DIRTY, pos);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        if (ShouldPersistImmediately())
        {
            // On failure the record stays dirty for a later flush, and no eviction runs.
            err = PersistItemAndMarkNotDirty(pos);
            if (err.IsError())
                return err.Push(FX_CODE_LOCATION);
        }
        err = EvictItemsIfMaxCacheSizeReached();
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }

    CZuError GetInternal(const Key& key, Value& value)
    {
        Position pos = m_map.find(key);
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

    // Inserts a key that is not in the map; above capacity it first flushes everything and
    // drops the smallest keys, which are all clean after the flush.
    CZuError UpdateInternal(const Key& key, const Value& value, RecordState state)
    {
        if (m_map.size() > m_maxCacheSize)
        {
            CZuError err = FlushSync();
            if (err.IsError())
                return err.Push(FX_CODE_LOCATION);
            DropFirstRecords(kEvictionStep);
        }
        Position pos;
        CZuError err = AddToCache(key, value, state, pos);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }

    CZuError AddToCache(const Key& key, const Value& value, RecordState state, Position& pos)
    {
        RecordPtr record;
        CZuError err = NewRecord(value, state, record);
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
        return CZuError::Success();
    }

    CZuError NewRecord(const Value& value, RecordState state, RecordPtr& record)
    {
        RecordPtr fresh = boost::make_shared_nothrow<Record>(m_deleter);
        if (!fresh)
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
        CZuError err = CopyValue(fresh->value, value);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        fresh->state = state;
        record = fresh;
        return CZuError::Success();
    }

    // A tombstone comes back as a fresh dirty record; it stays a tombstone when that fails.
    CZuError ReviveRecord(Position pos, const Value& value)
    {
        RecordPtr fresh;
        CZuError err = NewRecord(value, RECORD_DIRTY, fresh);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        pos->second = fresh;
        return CZuError::Success();
    }

    // A change to a cached record reaches the store only through a flush or an eviction.
    CZuError ChangeRecord(Record& record, const Value& value)
    {
        CZuError err = CopyValue(record.value, value);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        record.state = RECORD_DIRTY;
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

    // One dirty record of a flush: written now, or queued and written with its block.
    CZuError FlushRecord(Position pos, CPendingBlock& block)
    {
        CZuError err = PersistItemOrAddToItemsList(pos, block);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        if (ShouldPersistImmediately())
            MarkWritten(pos);
        else if (IsMaxItemCountReachedToPersistInBlock(block))
            err = FlushBlock(block);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }

    // A failed block leaves its records dirty, so a later flush writes them again.
    CZuError FlushBlock(CPendingBlock& block)
    {
        CZuError err = PersistItems(block.items);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        for (Position pos : block.positions)
            MarkWritten(pos);
        block.Clear();
        return CZuError::Success();
    }

    // A failed block leaves its records in the map, dirty.
    CZuError EvictBlock(CPendingBlock& block)
    {
        CZuError err = PersistItems(block.items);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        for (Position pos : block.positions)
            m_map.erase(pos);
        block.Clear();
        return CZuError::Success();
    }

    void MarkWritten(Position pos)
    {
        if (IsWriteMode())
            m_map.erase(pos);
        else
            pos->second->state = RECORD_NOT_DIRTY;
    }

    // Drops the smallest keys, not the least recently used ones: a bounded step per record
    // added. A dirty record leaves only once it was written.
    CZuError EvictItemsIfMaxCacheSizeReached()
    {
        if (m_map.size() <= m_maxCacheSize)
            return CZuError::Success();
        CPendingBlock block;
        Position pos = m_map.begin();
        for (std::size_t visited = 0; pos != m_map.end() && visited < kEvictionStep; ++visited)
        {
            Position current = pos++;
            CZuError err = EvictRecord(current, block);
            if (err.IsError())
                return err.Push(FX_CODE_LOCATION);
        }
        CZuError err = EvictBlock(block);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }

    CZuError EvictRecord(Position pos, CPendingBlock& block)
    {
        if (!IsRecordDirty(*pos->second))
        {
            m_map.erase(pos);
            return CZuError::Success();
        }
        CZuError err = PersistItemOrAddToItemsList(pos, block);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        if (ShouldPersistImmediately())
            m_map.erase(pos);
        else if (IsMaxItemCountReachedToPersistInBlock(block))
            err = EvictBlock(block);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }

    void DropFirstRecords(std::size_t count)
    {
        for (std::size_t dropped = 0; dropped < count && !m_map.empty(); ++dropped)
            m_map.erase(m_map.begin());
    }

    CZuError PersistItem(const Key& key, const Value& value)
    {
        CZuError err = m_persist->Update(key, value);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }

    CZuError PersistItems(const ItemList& items)
    {
        if (items.empty())
            return CZuError::Success();
        CZuError err = m_persist->Update(items);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        return CZuError::Success();
    }

    CZuError PersistItemAndMarkNotDirty(Position pos)
    {
        CZuError err = PersistItem(pos->first, pos->second->value);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        pos->second->state = RECORD_NOT_DIRTY;
        return CZuError::Success();
    }

    CZuError PersistItemOrAddToItemsList(Position pos, CPendingBlock& block)
    {
        CZuError err = ShouldPersistImmediately() ? PersistItemAndMarkNotDirty(pos) : AddItemToListOfItems(pos, block);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
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
    static bool IsRecordDirty(const Record& record) { return record.state == RECORD_DIRTY; }
    static bool IsRecordDeleted(const Record& record) { return record.state == RECORD_DELETED; }
    bool IsReadMode() const { return m_mode == CACHE_MODE_READ; }
    bool IsWriteMode() const { return m_mode == CACHE_MODE_WRITE; }
    bool IsReadWriteMode() const { return m_mode == CACHE_MODE_READ_WRITE; }

    CacheMode m_mode;
    boost::shared_ptr<Persist> m_persist;
    CompareItemFn m_compare;
    DeleteItemFn m_deleter;
    unsigned int m_maxCacheSize;
    unsigned int m_maxItemsToPersistInBlock;
    RecordMap m_map;
    mutable FXCriticalSection m_lock;
};
} // namespace FILEEXTENT_RESTORE
