#pragma once

#include <cstdint>
#include <string>

namespace FILEEXTENT_REDIS
{
// What one run of a consumer's loop did. An entry read again after a failure counts again.
struct CRedisRunSummary
{
    std::uint64_t Batches = 0;         // batches the handler committed
    std::uint64_t Entries = 0;         // entries in those batches
    std::uint64_t DeadLettered = 0;    // entries the handler refused, set aside with their reason
    std::uint64_t Acknowledged = 0;    // entries XACK took off the pending list
    std::uint64_t HandlerFailures = 0; // batches left pending because the handler failed
    std::uint64_t RedisFailures = 0;   // reads, dead letters or acknowledgements that failed
    std::uint64_t Trimmed = 0;         // entries removed from the stream by trimming
    std::string LastFailure;           // the latest failure, with its trail
};
} // namespace FILEEXTENT_REDIS
