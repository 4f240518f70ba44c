#pragma once

#include "platform/ZuUtils/FXErrorUtil.h"
#include "platform/ZuUtils/ZuError.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace FILEEXTENT_RESTORE
{
// The records of a cache that a flush has to visit (dirty records and tombstones), so that a
// flush of a few costs no walk of the whole map. A record knows its slot (pendingSlot), so it
// joins and leaves in constant time. Not locked: the cache's lock guards it.
template <class Map>
class CCachePendingList
{
public:
    typedef typename Map::iterator Position;
    typedef typename Map::mapped_type::element_type Record;

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

    static bool IsTracked(Position pos) { return pos->second->pendingSlot != Record::kNotPending; }

    // The pending records in the map's key order: a walk of the map when most of it is pending,
    // else a sort of the list.
    template <class Compare>
    CZuError InKeyOrder(Map& map, const Compare& compare, std::vector<Position>& ordered) const
    {
        try
        {
            if (m_pending.size() * 2 >= map.size())
            {
                ordered.reserve(m_pending.size());
                for (Position pos = map.begin(); pos != map.end(); ++pos)
                    if (IsTracked(pos))
                        ordered.push_back(pos);
                return CZuError::Success();
            }
            ordered = m_pending;
            std::sort(ordered.begin(), ordered.end(),
                      [&compare](Position a, Position b) { return compare(a->first, b->first); });
        }
        catch (...)
        {
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
        }
        return CZuError::Success();
    }

private:
    std::vector<Position> m_pending;
};
} // namespace FILEEXTENT_RESTORE
