#pragma once

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
    explicit CRecord(DeleteItemFn deleter) : state(RECORD_NOT_DIRTY), value(), deleter(std::move(deleter)) {}

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
};
} // namespace FILEEXTENT_RESTORE
