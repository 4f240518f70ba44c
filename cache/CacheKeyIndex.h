#pragma once

#include "cache/CacheKeyHash.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "platform/ZuUtils/ZuError.h"

#include <cstddef>
#include <unordered_map>

namespace FILEEXTENT_RESTORE
{
// Every entry of a cache's ordered map by its key's hash, so that a lookup costs no walk of the
// map: a hit with the very same key costs no comparison at all. Every entry that leaves the map is
// removed here first. The map stays the authority: a
// key the index does not find is looked up there too. Key types without a hash (CCacheKeyHash)
// are not indexed, and every lookup goes to the map. Not locked: the cache's lock guards it.
template <class Key, class Map>
class CCacheKeyIndex
{
public:
    typedef typename Map::iterator Position;

    template <class Compare>
    Position Find(Map& map, const Compare& compare, const Key& key) const
    {
        if (!KeyHash::kHashed)
            return map.find(key);
        // A file's events come in runs: the entry found last is tried before any hash.
        if (m_hasLast && KeyHash::Identical(key, m_last->first))
            return m_last;
        Position found = map.end();
        auto range = m_index.equal_range(KeyHash::Hash(key));
        for (auto candidate = range.first; candidate != range.second && found == map.end(); ++candidate)
        {
            const Key& cached = candidate->second->first;
            if (KeyHash::Identical(key, cached) || (!compare(key, cached) && !compare(cached, key)))
                found = candidate->second;
        }
        if (found == map.end())
            found = map.find(key);
        m_hasLast = found != map.end();
        m_last = found;
        return found;
    }

    CZuError Add(Position pos)
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

    // Before the entry leaves the map.
    void Remove(Position pos)
    {
        if (!KeyHash::kHashed)
            return;
        if (m_hasLast && m_last == pos)
            m_hasLast = false;
        auto range = m_index.equal_range(KeyHash::Hash(pos->first));
        for (auto candidate = range.first; candidate != range.second; ++candidate)
            if (candidate->second == pos)
                return static_cast<void>(m_index.erase(candidate));
    }

private:
    typedef CCacheKeyHash<Key> KeyHash;

    std::unordered_multimap<std::size_t, Position> m_index;
    // The entry Find found last, while it is in the map.
    mutable bool m_hasLast = false;
    mutable Position m_last;
};
} // namespace FILEEXTENT_RESTORE
