#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

namespace FILEEXTENT_RESTORE
{
enum RecordState : std::int32_t
{
    RECORD_NOT_DIRTY = 0, // equals what the store holds
    RECORD_DIRTY = 1,     // changed in memory, not yet written
    RECORD_DELETED = 2,   // tombstone: the store was already asked to delete the row
};

// One cached key's record. Its deleter sees a copy of the value when the record goes away.
template <class Value, class DeleteItemFn>
class CRecord
{
public:
    // Where the record stands in its cache's list of records a flush has to visit (dirty
    // records and tombstones); kNotPending when it is not there.
    static const std::size_t kNotPending = static_cast<std::size_t>(-1);

    explicit CRecord(DeleteItemFn deleter)
        : state(RECORD_NOT_DIRTY), value(), deleter(std::move(deleter)), pendingSlot(kNotPending)
    {
    }

    ~CRecord()
    {
        // A destructor must not throw; copying the value for the deleter might.
        try
        {
            deleter(value);
        }
        catch (...)
        {
        }
    }

    CRecord(const CRecord&) = delete;
    CRecord& operator=(const CRecord&) = delete;

    RecordState state;
    Value value;
    DeleteItemFn deleter;
    std::size_t pendingSlot;
};
} // namespace FILEEXTENT_RESTORE
