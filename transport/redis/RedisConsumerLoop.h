#pragma once

#include "platform/ZuUtils/ZuError.h"
#include "transport/redis/RedisRunOptions.h"
#include "transport/redis/RedisRunSummary.h"
#include "transport/redis/RedisStreamEntry.h"

#include <chrono>
#include <cstdint>
#include <vector>

namespace FILEEXTENT_REDIS
{
class CFileExtentRedisConsumer;

// One run of a consumer: read a batch, let the handler store it, set aside what it refused,
// acknowledge the batch, trim now and then. Any failure leaves the batch pending; the loop
// pauses, then reads its own pending entries first.
class CRedisConsumerLoop
{
public:
    CRedisConsumerLoop(CFileExtentRedisConsumer& consumer, const FN_StreamBatchHandler& handler,
                       const CRedisRunOptions& options, CRedisRunSummary& summary);

    // ERROR_INVALID_PARAMETER without a handler; otherwise success once stopped or idle.
    CZuError Run();

private:
    typedef std::chrono::steady_clock Clock;

    void Loop();
    bool StopRequested() const;
    bool IdleLongEnough() const;
    bool NothingPending();
    void Process(const std::vector<CRedisStreamEntry>& batch);
    CZuError CallHandler(const std::vector<CRedisStreamEntry>& batch, std::vector<CRefusedStreamEntry>& refused);
    CZuError DeadLetterAll(const std::vector<CRefusedStreamEntry>& refused);
    CZuError AckAll(const std::vector<CRedisStreamEntry>& batch, std::uint64_t& acknowledged);
    void TrimIfDue(bool now);
    void Failed(const CZuError& error, std::uint64_t& counter);
    void Pause();

    CFileExtentRedisConsumer& m_consumer;
    const FN_StreamBatchHandler& m_handler;
    const CRedisRunOptions& m_options;
    CRedisRunSummary& m_summary;
    std::chrono::milliseconds m_delay;
    Clock::time_point m_lastEntry;
    Clock::time_point m_lastTrim;
};
} // namespace FILEEXTENT_REDIS
