#pragma once

#include "platform/ZuUtils/ZuError.h"
#include "transport/redis/FileExtentStreamKeys.h"
#include "transport/redis/RedisConnection.h"
#include "transport/redis/RedisGroupStatistics.h"

namespace FILEEXTENT_REDIS
{
// Reads a job's group statistics (XLEN, XINFO GROUPS, XINFO CONSUMERS) over any connection, so
// that a live view needs no consumer of its own. A job whose stream does not exist yet has
// length 0 and no group.
class CRedisGroupStatisticsReader
{
public:
    static CZuError Read(CRedisConnection& connection, const CFileExtentStreamKeys& keys,
                         CRedisGroupStatistics& statistics);

private:
    static CZuError ReadLength(CRedisConnection& connection, const std::string& key, std::uint64_t& length);
    static CZuError ReadGroup(CRedisConnection& connection, const CFileExtentStreamKeys& keys,
                              CRedisGroupStatistics& statistics);
    static CZuError ReadConsumers(CRedisConnection& connection, const CFileExtentStreamKeys& keys,
                                  std::vector<CRedisConsumerStatistics>& consumers);
};
} // namespace FILEEXTENT_REDIS
