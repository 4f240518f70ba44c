#pragma once

#include "platform/ZuUtils/ZuError.h"
#include "transport/redis/FileExtentStreamKeys.h"
#include "transport/redis/RedisConnection.h"
#include "transport/redis/RedisConsumerOptions.h"
#include "transport/redis/RedisGroupStatistics.h"
#include "transport/redis/RedisRunOptions.h"
#include "transport/redis/RedisRunSummary.h"
#include "transport/redis/RedisStreamEntry.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace FILEEXTENT_REDIS
{
// A collector's side of the Redis transport: one consumer of the job's "collectors" group.
// Reads its own pending entries first (left by an earlier run of the same name), then takes over
// entries a dead consumer left pending, then new ones. Nothing is acknowledged before the
// handler stored it, so every entry is delivered at least once; the collector orders and
// deduplicates by (agent, incarnation, seq). One thread at a time.
class CFileExtentRedisConsumer
{
public:
    // ERROR_INVALID_PARAMETER for a bad address, job or consumer name (an id as the agents'),
    // or a batch size of 0. Does not connect.
    static CZuError Create(const std::string& address, const std::string& job, const std::string& consumerName,
                           const CRedisConsumerOptions& options, std::unique_ptr<CFileExtentRedisConsumer>& consumer);

    CFileExtentRedisConsumer(const CFileExtentRedisConsumer&) = delete;
    CFileExtentRedisConsumer& operator=(const CFileExtentRedisConsumer&) = delete;

    // XGROUP CREATE ... MKSTREAM; a group that exists already is fine.
    CZuError EnsureGroup();
    // The next batch: own pending entries, then entries taken over, then new ones (waiting up to
    // the Block option). Empty when nothing new arrived.
    CZuError ReadBatch(std::vector<CRedisStreamEntry>& batch);
    // The next ReadBatch starts again from this consumer's first pending entry.
    void ReadPendingAgain();

    CZuError Ack(const std::vector<std::string>& ids, std::uint64_t& acknowledged);
    // The entry's fields, then reason, source (its id) and consumer, to the dead-letter stream.
    CZuError DeadLetter(const CRedisStreamEntry& entry, const std::string& reason);
    // Removes entries before the first one still pending or not yet delivered to the group.
    CZuError Trim(std::uint64_t& removed);
    // The group's pending count (every consumer's).
    CZuError PendingCount(std::uint64_t& count);
    CZuError Statistics(CRedisGroupStatistics& statistics);

    // Reads batches and hands each to the handler, then dead-letters what it refused and
    // acknowledges the batch; trims now and then. A failure of the handler or of Redis leaves the
    // batch pending and the loop reads it again after a pause. Ends on options.Stop or idleness.
    CZuError Run(const FN_StreamBatchHandler& handler, const CRedisRunOptions& options, CRedisRunSummary& summary);

    const CFileExtentStreamKeys& Keys() const { return m_keys; }
    const std::string& Name() const { return m_name; }
    const CRedisConsumerOptions& Options() const { return m_options; }

private:
    enum Phase
    {
        OwnPending,
        TakeOver,
        New,
    };

    CFileExtentRedisConsumer(const CRedisAddress& address, const CFileExtentStreamKeys& keys, const std::string& name,
                             const CRedisConsumerOptions& options);

    CZuError ReadBatchInPhase(std::vector<CRedisStreamEntry>& batch);
    CZuError ReadOwnPending(std::vector<CRedisStreamEntry>& batch);
    CZuError TakeOverIdle(std::vector<CRedisStreamEntry>& batch);
    CZuError ReadNew(std::vector<CRedisStreamEntry>& batch);
    void StartTakeOver();
    CZuError Command(const std::vector<std::string>& arguments, CRedisReply& reply);
    CZuError TrimBound(std::string& bound, bool& any);
    CZuError LastDeliveredId(std::string& id);

    const CFileExtentStreamKeys m_keys;      // Fixed after construction.
    const std::string m_name;                // Fixed after construction.
    const CRedisConsumerOptions m_options;   // Fixed after construction.
    // The reading thread's state.
    CRedisConnection m_connection;
    bool m_groupReady = false;
    Phase m_phase = OwnPending;
    std::string m_pendingCursor = "0";       // the last own pending entry handed out
    std::string m_takeOverCursor = "0-0";    // where XAUTOCLAIM goes on
    std::chrono::steady_clock::time_point m_lastTakeOver;
};
} // namespace FILEEXTENT_REDIS
