#include "transport/redis/StreamReplyParser.h"

#include "foundation/ErrorPropagation.h"
#include "platform/ZuUtils/FXErrorUtil.h"

#include <new>

namespace FILEEXTENT_REDIS
{
namespace
{
CZuError Unexpected(const FXCodeLocation& location, const char* what)
{
    return FXErrorUtil::ErrorWin32(location, ERROR_INVALID_DATA, "Unexpected reply to %s", what);
}

bool IsArrayOf(const CRedisReply& reply, std::size_t size)
{
    return reply.ReplyKind == CRedisReply::Array && reply.Elements.size() == size;
}
} // namespace

CZuError CStreamReplyParser::ReadGroup(const CRedisReply& reply, std::vector<CRedisStreamEntry>& entries)
{
    entries.clear();
    if (reply.ReplyKind == CRedisReply::Nil)
        return CZuError::Success();
    if (!IsArrayOf(reply, 1) || !IsArrayOf(reply.Elements[0], 2))
        return Unexpected(FX_CODE_LOCATION, "XREADGROUP");
    FX_RETURN_PROPAGATED(Entries(reply.Elements[0].Elements[1], entries));
}

CZuError CStreamReplyParser::AutoClaim(const CRedisReply& reply, std::string& cursor,
                                       std::vector<CRedisStreamEntry>& entries, std::size_t& deleted)
{
    entries.clear();
    if (reply.ReplyKind != CRedisReply::Array || reply.Elements.size() < 2 || !reply.Elements[0].IsText())
        return Unexpected(FX_CODE_LOCATION, "XAUTOCLAIM");
    FX_RETURN_IF_ERROR(Entries(reply.Elements[1], entries));
    deleted = reply.Elements.size() > 2 ? reply.Elements[2].Elements.size() : 0;
    try
    {
        cursor = reply.Elements[0].Text;
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    return CZuError::Success();
}

CZuError CStreamReplyParser::PendingSummary(const CRedisReply& reply, std::uint64_t& count, std::string& smallest)
{
    if (reply.ReplyKind != CRedisReply::Array || reply.Elements.size() < 2 ||
        reply.Elements[0].ReplyKind != CRedisReply::Integer || reply.Elements[0].Number < 0)
        return Unexpected(FX_CODE_LOCATION, "XPENDING");
    count = static_cast<std::uint64_t>(reply.Elements[0].Number);
    if (count > 0 && !reply.Elements[1].IsText())
        return Unexpected(FX_CODE_LOCATION, "XPENDING");
    try
    {
        smallest = count > 0 ? reply.Elements[1].Text : std::string();
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    return CZuError::Success();
}

const CRedisReply* CStreamReplyParser::MapValue(const CRedisReply& map, const std::string& name)
{
    if (map.ReplyKind != CRedisReply::Array)
        return nullptr;
    for (std::size_t i = 0; i + 1 < map.Elements.size(); i += 2)
    {
        if (map.Elements[i].IsText() && map.Elements[i].Text == name)
            return &map.Elements[i + 1];
    }
    return nullptr;
}

CZuError CStreamReplyParser::MapNumber(const CRedisReply& map, const std::string& name, std::uint64_t& value)
{
    const CRedisReply* found = MapValue(map, name);
    if (!found || found->ReplyKind != CRedisReply::Integer || found->Number < 0)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA, "XINFO gave no number [%s]",
                                       name.c_str());
    value = static_cast<std::uint64_t>(found->Number);
    return CZuError::Success();
}

CZuError CStreamReplyParser::Entries(const CRedisReply& list, std::vector<CRedisStreamEntry>& entries)
{
    if (list.ReplyKind != CRedisReply::Array)
        return Unexpected(FX_CODE_LOCATION, "a stream read");
    try
    {
        entries.resize(list.Elements.size());
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    for (std::size_t i = 0; i < list.Elements.size(); ++i)
        FX_RETURN_IF_ERROR(Entry(list.Elements[i], entries[i]));
    return CZuError::Success();
}

// A pending entry deleted from the stream comes as [id, nil]: it keeps its id and has no fields.
CZuError CStreamReplyParser::Entry(const CRedisReply& item, CRedisStreamEntry& entry)
{
    if (!IsArrayOf(item, 2) || !item.Elements[0].IsText())
        return Unexpected(FX_CODE_LOCATION, "a stream read");
    const CRedisReply& fields = item.Elements[1];
    const bool deleted = fields.ReplyKind == CRedisReply::Nil;
    if (!deleted && (fields.ReplyKind != CRedisReply::Array || fields.Elements.size() % 2 != 0))
        return Unexpected(FX_CODE_LOCATION, "a stream read");
    try
    {
        entry.Id = item.Elements[0].Text;
        entry.Fields.clear();
        if (deleted)
            return CZuError::Success();
        entry.Fields.reserve(fields.Elements.size() / 2);
        for (std::size_t i = 0; i < fields.Elements.size(); i += 2)
            entry.Fields.emplace_back(fields.Elements[i].Text, fields.Elements[i + 1].Text);
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    return CZuError::Success();
}
} // namespace FILEEXTENT_REDIS
