#pragma once

#include "transport/redis/RedisStreamEntry.h"

#include "platform/ZuUtils/ZuError.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace FILEEXTENT_COLLECTOR
{
class CFileExtentCollector;
}

// Between a consumer's batches of stream entries and the collector: every entry becomes a
// collector message, the batch is stored in one transaction, and entries that are not messages
// or that the collector refuses are handed back with their reason for the dead-letter stream.
class CCollectorBatchHandler
{
public:
    // Called after each stored batch: the number of entries in it.
    typedef std::function<void(std::size_t entries)> ProgressFn;

    CCollectorBatchHandler(FILEEXTENT_COLLECTOR::CFileExtentCollector& collector, ProgressFn progress);

    CZuError operator()(const std::vector<FILEEXTENT_REDIS::CRedisStreamEntry>& batch,
                        std::vector<FILEEXTENT_REDIS::CRefusedStreamEntry>& refused);

private:
    FILEEXTENT_COLLECTOR::CFileExtentCollector& m_collector;
    ProgressFn m_progress;
};
