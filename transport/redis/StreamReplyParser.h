#pragma once

#include "platform/ZuUtils/ZuError.h"
#include "transport/redis/RedisReply.h"
#include "transport/redis/RedisStreamEntry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace FILEEXTENT_REDIS
{
// Reads the stream commands' replies. A reply of another shape is ERROR_INVALID_DATA naming the
// command: the server is not what the transport expects.
class CStreamReplyParser
{
public:
    // XREADGROUP: nil (nothing arrived), or [[stream, [entry, ...]]].
    static CZuError ReadGroup(const CRedisReply& reply, std::vector<CRedisStreamEntry>& entries);
    // XAUTOCLAIM: [next cursor, [entry, ...], [deleted id, ...]] (Redis 7).
    static CZuError AutoClaim(const CRedisReply& reply, std::string& cursor, std::vector<CRedisStreamEntry>& entries,
                              std::size_t& deleted);
    // XPENDING summary: [count, smallest id, greatest id, [[consumer, count], ...]].
    static CZuError PendingSummary(const CRedisReply& reply, std::uint64_t& count, std::string& smallest);
    // An XINFO map (a flat array of names and values): the value of name, or null.
    static const CRedisReply* MapValue(const CRedisReply& map, const std::string& name);
    static CZuError MapNumber(const CRedisReply& map, const std::string& name, std::uint64_t& value);
    // XRANGE, and the entries within the replies above: [entry, ...].
    static CZuError Entries(const CRedisReply& list, std::vector<CRedisStreamEntry>& entries);

private:
    static CZuError Entry(const CRedisReply& item, CRedisStreamEntry& entry);
};
} // namespace FILEEXTENT_REDIS
