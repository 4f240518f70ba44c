#include "transport/redis/RedisConsumerLoop.h"

#include "foundation/ErrorPropagation.h"
#include "foundation/Log.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "transport/redis/FileExtentRedisConsumer.h"

#include <algorithm>
#include <new>
#include <thread>

namespace FILEEXTENT_REDIS
{
namespace
{
// A pause is cut into slices so that a stop request ends it soon.
const std::chrono::milliseconds PauseSlice{50};
} // namespace

CRedisConsumerLoop::CRedisConsumerLoop(CFileExtentRedisConsumer& consumer, const FN_StreamBatchHandler& handler,
                                       const CRedisRunOptions& options, CRedisRunSummary& summary)
    : m_consumer(consumer), m_handler(handler), m_options(options), m_summary(summary), m_delay(options.RetryDelay)
{
}

CZuError CRedisConsumerLoop::Run()
{
    if (!m_handler)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER, "No batch handler");
    try
    {
        m_summary = CRedisRunSummary();
        m_lastEntry = Clock::now();
        m_lastTrim = Clock::now();
        Loop();
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    return CZuError::Success();
}

void CRedisConsumerLoop::Loop()
{
    std::vector<CRedisStreamEntry> batch;
    while (!StopRequested())
    {
        const CZuError error = m_consumer.ReadBatch(batch);
        if (error.IsError())
        {
            Failed(error, m_summary.RedisFailures);
            continue;
        }
        if (batch.empty())
        {
            m_delay = m_options.RetryDelay;
            if (IdleLongEnough() && NothingPending())
            {
                TrimIfDue(true);
                return;
            }
        }
        else
        {
            m_lastEntry = Clock::now();
            Process(batch);
        }
        TrimIfDue(false);
    }
}

bool CRedisConsumerLoop::StopRequested() const
{
    return m_options.Stop && m_options.Stop->load();
}

bool CRedisConsumerLoop::IdleLongEnough() const
{
    return m_options.UntilIdle.count() > 0 && Clock::now() - m_lastEntry >= m_options.UntilIdle;
}

// Another consumer's pending entries may still come this way once it is deemed dead.
bool CRedisConsumerLoop::NothingPending()
{
    std::uint64_t pending = 0;
    return !m_consumer.PendingCount(pending).IsError() && pending == 0;
}

void CRedisConsumerLoop::Process(const std::vector<CRedisStreamEntry>& batch)
{
    std::vector<CRefusedStreamEntry> refused;
    CZuError error = CallHandler(batch, refused);
    if (error.IsError())
        return Failed(error, m_summary.HandlerFailures);
    std::uint64_t acknowledged = 0;
    error = DeadLetterAll(refused);
    if (!error.IsError())
        error = AckAll(batch, acknowledged);
    if (error.IsError())
        return Failed(error, m_summary.RedisFailures);
    ++m_summary.Batches;
    m_summary.Entries += batch.size();
    m_summary.DeadLettered += refused.size();
    m_summary.Acknowledged += acknowledged;
    m_delay = m_options.RetryDelay;
}

CZuError CRedisConsumerLoop::CallHandler(const std::vector<CRedisStreamEntry>& batch,
                                         std::vector<CRefusedStreamEntry>& refused)
{
    try
    {
        FX_RETURN_PROPAGATED(m_handler(batch, refused));
    }
    catch (...)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_GEN_FAILURE, "The batch handler threw");
    }
}

CZuError CRedisConsumerLoop::DeadLetterAll(const std::vector<CRefusedStreamEntry>& refused)
{
    for (const CRefusedStreamEntry& entry : refused)
        FX_RETURN_IF_ERROR(m_consumer.DeadLetter(entry.Entry, entry.Reason));
    return CZuError::Success();
}

CZuError CRedisConsumerLoop::AckAll(const std::vector<CRedisStreamEntry>& batch, std::uint64_t& acknowledged)
{
    std::vector<std::string> ids;
    ids.reserve(batch.size());
    for (const CRedisStreamEntry& entry : batch)
        ids.push_back(entry.Id);
    FX_RETURN_PROPAGATED(m_consumer.Ack(ids, acknowledged));
}

// Trimming is housekeeping: a failure is counted and the run goes on.
void CRedisConsumerLoop::TrimIfDue(bool now)
{
    if (!now && Clock::now() - m_lastTrim < m_consumer.Options().TrimInterval)
        return;
    m_lastTrim = Clock::now();
    std::uint64_t removed = 0;
    const CZuError error = m_consumer.Trim(removed);
    if (error.IsError())
        return Failed(error, m_summary.RedisFailures);
    m_summary.Trimmed += removed;
}

void CRedisConsumerLoop::Failed(const CZuError& error, std::uint64_t& counter)
{
    ++counter;
    m_summary.LastFailure = error.AsString();
    FX_LOG(-1, "Redis consumer [%s]: %s", m_consumer.Name().c_str(), error.GetMessage().c_str());
    m_consumer.ReadPendingAgain();
    Pause();
}

void CRedisConsumerLoop::Pause()
{
    const Clock::time_point end = Clock::now() + m_delay;
    while (!StopRequested() && Clock::now() < end)
        std::this_thread::sleep_for(std::min(PauseSlice, std::chrono::duration_cast<std::chrono::milliseconds>(
                                                             end - Clock::now())));
    m_delay = std::min(m_delay * 2, m_options.MaxRetryDelay);
}
} // namespace FILEEXTENT_REDIS
