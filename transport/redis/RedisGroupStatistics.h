#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace FILEEXTENT_REDIS
{
// One consumer of the collectors' group as Redis sees it.
struct CRedisConsumerStatistics
{
    std::string Name;
    std::uint64_t Pending = 0; // delivered to it, not yet acknowledged
    std::uint64_t IdleMs = 0;  // since its last read or claim
};

// A job's stream and its collectors' group, for a live view.
struct CRedisGroupStatistics
{
    std::uint64_t StreamLength = 0;
    std::uint64_t DeadLetters = 0; // entries in the dead-letter stream
    bool GroupExists = false;
    std::string LastDeliveredId;
    std::uint64_t Pending = 0;
    // Entries not yet delivered to the group; unknown when Redis cannot tell (after deletions).
    std::optional<std::uint64_t> Lag;
    std::vector<CRedisConsumerStatistics> Consumers;
};
} // namespace FILEEXTENT_REDIS
