#include "transport/redis/FileExtentRedisConsumer.h"

#include "foundation/ErrorPropagation.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "transport/redis/RedisConsumerLoop.h"
#include "transport/redis/RedisGroupStatisticsReader.h"
#include "transport/redis/StreamEntryFields.h"
#include "transport/redis/StreamId.h"
#include "transport/redis/StreamReplyParser.h"

#include <new>
#include <utility>

namespace FILEEXTENT_REDIS
{
namespace
{
const char* const Group = CFileExtentStreamKeys::GroupName;

std::string Milliseconds(std::chrono::milliseconds value)
{
    return std::to_string(value.count() > 0 ? value.count() : 0);
}
} // namespace

CZuError CFileExtentRedisConsumer::Create(const std::string& address, const std::string& job,
                                          const std::string& consumerName, const CRedisConsumerOptions& options,
                                          std::unique_ptr<CFileExtentRedisConsumer>& consumer)
{
    CRedisAddress parsed;
    FX_RETURN_IF_ERROR(CRedisAddress::Parse(address, parsed));
    CFileExtentStreamKeys keys;
    FX_RETURN_IF_ERROR(CFileExtentStreamKeys::ForJob(job, keys));
    FX_RETURN_IF_ERROR(CFileExtentStreamKeys::CheckId(consumerName, "consumer name"));
    if (options.BatchSize == 0)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER, "A batch size of 0");
    try
    {
        consumer.reset(new CFileExtentRedisConsumer(parsed, keys, consumerName, options));
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    return CZuError::Success();
}

CFileExtentRedisConsumer::CFileExtentRedisConsumer(const CRedisAddress& address, const CFileExtentStreamKeys& keys,
                                                   const std::string& name, const CRedisConsumerOptions& options)
    : m_keys(keys), m_name(name), m_options(options), m_connection(address, options.Timeout)
{
}

CZuError CFileExtentRedisConsumer::EnsureGroup()
{
    try
    {
        CRedisReply reply;
        CZuError error = m_connection.Command({"XGROUP", "CREATE", m_keys.Records(), Group, "0", "MKSTREAM"}, reply);
        if (error.IsError() && !reply.IsErrorCode("BUSYGROUP"))
            return error.Push(FX_CODE_LOCATION);
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    m_groupReady = true;
    return CZuError::Success();
}

CZuError CFileExtentRedisConsumer::ReadBatch(std::vector<CRedisStreamEntry>& batch)
{
    batch.clear();
    if (!m_groupReady)
        FX_RETURN_IF_ERROR(EnsureGroup());
    const bool takeOverDue = std::chrono::steady_clock::now() - m_lastTakeOver >= m_options.ClaimInterval;
    if (m_phase == New && takeOverDue)
        StartTakeOver();
    CZuError error;
    try
    {
        error = ReadBatchInPhase(batch);
    }
    catch (const std::bad_alloc&)
    {
        error = FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    if (error.IsError())
    {
        batch.clear();
        ReadPendingAgain();
        return error.Push(FX_CODE_LOCATION);
    }
    return CZuError::Success();
}

CZuError CFileExtentRedisConsumer::ReadBatchInPhase(std::vector<CRedisStreamEntry>& batch)
{
    if (m_phase == OwnPending)
    {
        FX_RETURN_IF_ERROR(ReadOwnPending(batch));
        if (!batch.empty())
            return CZuError::Success();
        StartTakeOver();
    }
    while (m_phase == TakeOver)
    {
        FX_RETURN_IF_ERROR(TakeOverIdle(batch));
        if (!batch.empty())
            return CZuError::Success();
    }
    FX_RETURN_PROPAGATED(ReadNew(batch));
}

void CFileExtentRedisConsumer::ReadPendingAgain()
{
    m_phase = OwnPending;
    m_pendingCursor = "0";
}

void CFileExtentRedisConsumer::StartTakeOver()
{
    m_phase = TakeOver;
    m_takeOverCursor = "0-0";
}

// Reading from an id instead of ">" gives this consumer's own pending entries after that id.
CZuError CFileExtentRedisConsumer::ReadOwnPending(std::vector<CRedisStreamEntry>& batch)
{
    CRedisReply reply;
    FX_RETURN_IF_ERROR(Command({"XREADGROUP", "GROUP", Group, m_name, "COUNT", std::to_string(m_options.BatchSize),
                                "STREAMS", m_keys.Records(), m_pendingCursor},
                               reply));
    FX_RETURN_IF_ERROR(CStreamReplyParser::ReadGroup(reply, batch));
    if (!batch.empty())
        m_pendingCursor = batch.back().Id;
    return CZuError::Success();
}

// Redis 7 drops entries deleted from the stream from the pending list itself and names them
// apart; only existing entries come back.
CZuError CFileExtentRedisConsumer::TakeOverIdle(std::vector<CRedisStreamEntry>& batch)
{
    CRedisReply reply;
    FX_RETURN_IF_ERROR(Command({"XAUTOCLAIM", m_keys.Records(), Group, m_name, Milliseconds(m_options.MinIdle),
                                m_takeOverCursor, "COUNT", std::to_string(m_options.BatchSize)},
                               reply));
    std::string cursor;
    std::size_t deleted = 0;
    FX_RETURN_IF_ERROR(CStreamReplyParser::AutoClaim(reply, cursor, batch, deleted));
    m_takeOverCursor = cursor;
    if (cursor == "0-0")
    {
        m_phase = New;
        m_lastTakeOver = std::chrono::steady_clock::now();
    }
    return CZuError::Success();
}

CZuError CFileExtentRedisConsumer::ReadNew(std::vector<CRedisStreamEntry>& batch)
{
    std::vector<std::string> arguments = {"XREADGROUP", "GROUP", Group, m_name, "COUNT",
                                          std::to_string(m_options.BatchSize)};
    if (m_options.Block.count() > 0)
    {
        arguments.push_back("BLOCK");
        arguments.push_back(Milliseconds(m_options.Block));
    }
    arguments.insert(arguments.end(), {"STREAMS", m_keys.Records(), ">"});
    CRedisReply reply;
    CZuError error = m_connection.Command(arguments, m_options.Block, reply);
    if (error.IsError())
    {
        if (reply.IsErrorCode("NOGROUP"))
            m_groupReady = false;
        return error.Push(FX_CODE_LOCATION);
    }
    FX_RETURN_PROPAGATED(CStreamReplyParser::ReadGroup(reply, batch));
}

// A group or stream deleted under the consumer is made again before the next read.
CZuError CFileExtentRedisConsumer::Command(const std::vector<std::string>& arguments, CRedisReply& reply)
{
    CZuError error = m_connection.Command(arguments, reply);
    if (error.IsError() && reply.IsErrorCode("NOGROUP"))
        m_groupReady = false;
    return error;
}

CZuError CFileExtentRedisConsumer::Ack(const std::vector<std::string>& ids, std::uint64_t& acknowledged)
{
    acknowledged = 0;
    if (ids.empty())
        return CZuError::Success();
    try
    {
        std::vector<std::string> arguments = {"XACK", m_keys.Records(), Group};
        arguments.insert(arguments.end(), ids.begin(), ids.end());
        CRedisReply reply;
        FX_RETURN_IF_ERROR(Command(arguments, reply));
        if (reply.ReplyKind != CRedisReply::Integer || reply.Number < 0)
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA, "XACK gave no count");
        acknowledged = static_cast<std::uint64_t>(reply.Number);
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    return CZuError::Success();
}

CZuError CFileExtentRedisConsumer::DeadLetter(const CRedisStreamEntry& entry, const std::string& reason)
{
    try
    {
        std::vector<std::string> arguments = {"XADD", m_keys.DeadLetters(), "*"};
        arguments.reserve(arguments.size() + 2 * entry.Fields.size() + 6);
        for (const std::pair<std::string, std::string>& field : entry.Fields)
        {
            arguments.push_back(field.first);
            arguments.push_back(field.second);
        }
        arguments.insert(arguments.end(), {CStreamEntryFields::Reason, reason, CStreamEntryFields::Source, entry.Id,
                                           CStreamEntryFields::Consumer, m_name});
        CRedisReply reply;
        FX_RETURN_IF_ERROR(Command(arguments, reply));
        if (reply.ReplyKind != CRedisReply::String)
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA, "XADD of a dead letter gave no id");
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    return CZuError::Success();
}

CZuError CFileExtentRedisConsumer::Trim(std::uint64_t& removed)
{
    removed = 0;
    try
    {
        std::string bound;
        bool any = false;
        FX_RETURN_IF_ERROR(TrimBound(bound, any));
        if (!any)
            return CZuError::Success();
        CRedisReply reply;
        FX_RETURN_IF_ERROR(Command({"XTRIM", m_keys.Records(), "MINID", bound}, reply));
        if (reply.ReplyKind != CRedisReply::Integer || reply.Number < 0)
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA, "XTRIM gave no count");
        removed = static_cast<std::uint64_t>(reply.Number);
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    return CZuError::Success();
}

// The group's last-delivered id is read before its pending list: an entry delivered in between
// comes after that id, so it stays whatever the pending list says.
CZuError CFileExtentRedisConsumer::TrimBound(std::string& bound, bool& any)
{
    std::string lastDelivered;
    FX_RETURN_IF_ERROR(LastDeliveredId(lastDelivered));
    CStreamId limit;
    if (!CStreamId::Parse(lastDelivered, limit))
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA, "Last-delivered id [%s] is not an id",
                                       lastDelivered.c_str());
    if (limit.IsZero())
        return CZuError::Success();
    limit = limit.Next();

    CRedisReply reply;
    FX_RETURN_IF_ERROR(Command({"XPENDING", m_keys.Records(), Group}, reply));
    std::uint64_t pending = 0;
    std::string smallest;
    FX_RETURN_IF_ERROR(CStreamReplyParser::PendingSummary(reply, pending, smallest));
    CStreamId oldestPending;
    if (pending > 0 && !CStreamId::Parse(smallest, oldestPending))
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA, "Pending id [%s] is not an id",
                                       smallest.c_str());
    if (pending > 0 && oldestPending < limit)
        limit = oldestPending;
    bound = limit.ToString();
    any = true;
    return CZuError::Success();
}

CZuError CFileExtentRedisConsumer::LastDeliveredId(std::string& id)
{
    CRedisGroupStatistics statistics;
    FX_RETURN_IF_ERROR(CRedisGroupStatisticsReader::Read(m_connection, m_keys, statistics));
    if (!statistics.GroupExists)
    {
        m_groupReady = false;
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_FOUND, "No group [%s] on [%s]", Group,
                                       m_keys.Records().c_str());
    }
    id = statistics.LastDeliveredId;
    return CZuError::Success();
}

CZuError CFileExtentRedisConsumer::PendingCount(std::uint64_t& count)
{
    try
    {
        CRedisReply reply;
        FX_RETURN_IF_ERROR(Command({"XPENDING", m_keys.Records(), Group}, reply));
        std::string smallest;
        FX_RETURN_PROPAGATED(CStreamReplyParser::PendingSummary(reply, count, smallest));
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
}

CZuError CFileExtentRedisConsumer::Statistics(CRedisGroupStatistics& statistics)
{
    FX_RETURN_PROPAGATED(CRedisGroupStatisticsReader::Read(m_connection, m_keys, statistics));
}

CZuError CFileExtentRedisConsumer::Run(const FN_StreamBatchHandler& handler, const CRedisRunOptions& options,
                                       CRedisRunSummary& summary)
{
    CRedisConsumerLoop loop(*this, handler, options, summary);
    FX_RETURN_PROPAGATED(loop.Run());
}
} // namespace FILEEXTENT_REDIS
