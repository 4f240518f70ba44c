#pragma once

#include "collector/CollectorMessage.h"
#include "network/FileExtentNWCallbacks.h"
#include "platform/ZuUtils/ZuError.h"
#include "transport/redis/FileExtentStreamKeys.h"
#include "transport/redis/RedisConnection.h"
#include "transport/redis/RedisStreamEntry.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace FILEEXTENT_REDIS
{
// An agent's side of the Redis transport: the host's two callbacks, each message one XADD to the
// job's records stream. A callback returns 1 only once Redis acknowledged the entry, else 0 (a
// timeout, a lost connection, an error reply), so the library keeps the records dirty and sends
// them again later. Failures are logged with their cause. Thread-safe.
class CFileExtentRedisSender
{
public:
    struct CCounters
    {
        std::uint64_t Sent = 0;
        std::uint64_t Failed = 0;
        std::uint64_t LastSequence = 0; // the sequence of the latest attempt; 0 before any
        std::uint64_t Incarnation = 0;  // 0 until taken from Redis
    };

    // ERROR_INVALID_PARAMETER for a bad address, job or agent id. The incarnation is taken now
    // when Redis answers, else on the first send.
    static CZuError Create(const std::string& address, const std::string& job, const std::string& agentId,
                           std::chrono::milliseconds timeout, std::unique_ptr<CFileExtentRedisSender>& sender);

    CFileExtentRedisSender(const CFileExtentRedisSender&) = delete;
    CFileExtentRedisSender& operator=(const CFileExtentRedisSender&) = delete;

    // The callbacks call this sender, which must outlive every call. They never throw.
    FN_SendXDRMsgToFIR XDRCallback();
    FN_SendXMLMsgToFIR XMLCallback();

    CZuError SendXdr(unsigned long messageNumber, const ktsDatabuf* buffer);
    CZuError SendXml(const CNMessageBase& message);
    // One entry with the next sequence, whatever becomes of it.
    CZuError Send(FILEEXTENT_COLLECTOR::CCollectorMessage::Kind kind, unsigned long messageNumber,
                  std::string payload);

    CCounters Counters() const;
    const CFileExtentStreamKeys& Keys() const { return m_keys; }
    const std::string& AgentId() const { return m_agentId; }

private:
    CFileExtentRedisSender(const CRedisAddress& address, const CFileExtentStreamKeys& keys, const std::string& agentId,
                           std::chrono::milliseconds timeout);

    CZuError SendLocked(FILEEXTENT_COLLECTOR::CCollectorMessage& message);
    CZuError TakeIncarnationLocked();
    CZuError AppendLocked(const CStreamFields& fields);
    void CountFailureLocked(const CZuError& error);

    const CFileExtentStreamKeys m_keys; // Fixed after construction.
    const std::string m_agentId;        // Fixed after construction.
    mutable std::mutex m_mutex;
    CRedisConnection m_connection;      // Guarded by m_mutex.
    CCounters m_counters;               // Guarded by m_mutex.
};
} // namespace FILEEXTENT_REDIS
