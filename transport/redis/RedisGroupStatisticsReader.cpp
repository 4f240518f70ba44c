#include "transport/redis/RedisGroupStatisticsReader.h"

#include "foundation/ErrorPropagation.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "transport/redis/StreamReplyParser.h"

#include <new>
#include <utility>

namespace FILEEXTENT_REDIS
{
CZuError CRedisGroupStatisticsReader::Read(CRedisConnection& connection, const CFileExtentStreamKeys& keys,
                                           CRedisGroupStatistics& statistics)
{
    try
    {
        CRedisGroupStatistics read;
        FX_RETURN_IF_ERROR(ReadLength(connection, keys.Records(), read.StreamLength));
        FX_RETURN_IF_ERROR(ReadLength(connection, keys.DeadLetters(), read.DeadLetters));
        FX_RETURN_IF_ERROR(ReadGroup(connection, keys, read));
        if (read.GroupExists)
            FX_RETURN_IF_ERROR(ReadConsumers(connection, keys, read.Consumers));
        statistics = std::move(read);
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    return CZuError::Success();
}

CZuError CRedisGroupStatisticsReader::ReadLength(CRedisConnection& connection, const std::string& key,
                                                 std::uint64_t& length)
{
    CRedisReply reply;
    FX_RETURN_IF_ERROR(connection.Command({"XLEN", key}, reply));
    if (reply.ReplyKind != CRedisReply::Integer || reply.Number < 0)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA, "XLEN gave no length");
    length = static_cast<std::uint64_t>(reply.Number);
    return CZuError::Success();
}

// XINFO GROUPS of a missing stream is an error reply: no stream, no group.
CZuError CRedisGroupStatisticsReader::ReadGroup(CRedisConnection& connection, const CFileExtentStreamKeys& keys,
                                                CRedisGroupStatistics& statistics)
{
    CRedisReply reply;
    const CZuError error = connection.Command({"XINFO", "GROUPS", keys.Records()}, reply);
    if (error.IsError() && reply.ReplyKind == CRedisReply::Error && statistics.StreamLength == 0)
        return CZuError::Success();
    FX_RETURN_IF_ERROR(error);
    for (const CRedisReply& group : reply.Elements)
    {
        const CRedisReply* name = CStreamReplyParser::MapValue(group, "name");
        if (!name || name->Text != CFileExtentStreamKeys::GroupName)
            continue;
        statistics.GroupExists = true;
        FX_RETURN_IF_ERROR(CStreamReplyParser::MapNumber(group, "pending", statistics.Pending));
        const CRedisReply* lastDelivered = CStreamReplyParser::MapValue(group, "last-delivered-id");
        statistics.LastDeliveredId = lastDelivered ? lastDelivered->Text : std::string();
        const CRedisReply* lag = CStreamReplyParser::MapValue(group, "lag");
        if (lag && lag->ReplyKind == CRedisReply::Integer && lag->Number >= 0)
            statistics.Lag = static_cast<std::uint64_t>(lag->Number);
    }
    return CZuError::Success();
}

CZuError CRedisGroupStatisticsReader::ReadConsumers(CRedisConnection& connection, const CFileExtentStreamKeys& keys,
                                                    std::vector<CRedisConsumerStatistics>& consumers)
{
    CRedisReply reply;
    FX_RETURN_IF_ERROR(connection.Command({"XINFO", "CONSUMERS", keys.Records(), CFileExtentStreamKeys::GroupName},
                                          reply));
    for (const CRedisReply& item : reply.Elements)
    {
        CRedisConsumerStatistics consumer;
        const CRedisReply* name = CStreamReplyParser::MapValue(item, "name");
        consumer.Name = name ? name->Text : std::string();
        FX_RETURN_IF_ERROR(CStreamReplyParser::MapNumber(item, "pending", consumer.Pending));
        FX_RETURN_IF_ERROR(CStreamReplyParser::MapNumber(item, "idle", consumer.IdleMs));
        consumers.push_back(std::move(consumer));
    }
    return CZuError::Success();
}
} // namespace FILEEXTENT_REDIS
