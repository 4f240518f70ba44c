#pragma once

#include "collector/CollectorMessage.h"
#include "platform/ZuUtils/ZuError.h"
#include "transport/redis/RedisStreamEntry.h"

namespace FILEEXTENT_REDIS
{
// Between a collector message and the fields of its stream entry (see StreamEntryFields.h).
class CStreamEntryCodec
{
public:
    // ERROR_INVALID_PARAMETER for a message no entry may carry: an invalid agent id, an
    // incarnation or sequence of 0.
    static CZuError ToFields(const FILEEXTENT_COLLECTOR::CCollectorMessage& message, CStreamFields& fields);
    // Strict: ERROR_INVALID_DATA, with a message naming the field, for a missing, repeated or
    // unknown field, a number that is not canonical decimal or is out of range, an unknown kind,
    // a number on an xml entry, or an invalid agent id. The message is left alone then.
    static CZuError FromFields(const CStreamFields& fields, FILEEXTENT_COLLECTOR::CCollectorMessage& message);

private:
    struct CFieldSlots;

    static CZuError CheckMessage(const FILEEXTENT_COLLECTOR::CCollectorMessage& message);
    static CZuError CollectFields(const CStreamFields& fields, CFieldSlots& slots);
    static CZuError CheckPresent(const CFieldSlots& slots);
    static CZuError ParseFields(const CFieldSlots& slots, FILEEXTENT_COLLECTOR::CCollectorMessage& message);
    static CZuError ParseNumber(const std::string* value, const char* field, std::uint64_t min, std::uint64_t max,
                                std::uint64_t& number);
};
} // namespace FILEEXTENT_REDIS
