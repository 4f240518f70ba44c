#include "transport/redis/FileExtentRedisSender.h"

#include "foundation/ErrorPropagation.h"
#include "foundation/Log.h"
#include "network/FileExtentMessageWire.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "transport/redis/StreamEntryCodec.h"

#include <new>
#include <utility>

using FILEEXTENT_COLLECTOR::CCollectorMessage;
using FILEEXTENT_RESTORE::CFileExtentMessageWire;

namespace FILEEXTENT_REDIS
{
CZuError CFileExtentRedisSender::Create(const std::string& address, const std::string& job, const std::string& agentId,
                                        std::chrono::milliseconds timeout,
                                        std::unique_ptr<CFileExtentRedisSender>& sender)
{
    CRedisAddress parsed;
    FX_RETURN_IF_ERROR(CRedisAddress::Parse(address, parsed));
    CFileExtentStreamKeys keys;
    FX_RETURN_IF_ERROR(CFileExtentStreamKeys::ForJob(job, keys));
    FX_RETURN_IF_ERROR(CFileExtentStreamKeys::CheckId(agentId, "agent id"));
    try
    {
        sender.reset(new CFileExtentRedisSender(parsed, keys, agentId, timeout));
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    // Redis may not be up yet; the first send tries again.
    std::lock_guard<std::mutex> guard(sender->m_mutex);
    if (sender->TakeIncarnationLocked().IsError())
        sender->m_connection.Disconnect();
    return CZuError::Success();
}

CFileExtentRedisSender::CFileExtentRedisSender(const CRedisAddress& address, const CFileExtentStreamKeys& keys,
                                               const std::string& agentId, std::chrono::milliseconds timeout)
    : m_keys(keys), m_agentId(agentId), m_connection(address, timeout)
{
}

FN_SendXDRMsgToFIR CFileExtentRedisSender::XDRCallback()
{
    return [this](unsigned long messageNumber, ktsDatabuf* buffer) -> int {
        try
        {
            return SendXdr(messageNumber, buffer).IsError() ? 0 : 1;
        }
        catch (...)
        {
            return 0;
        }
    };
}

FN_SendXMLMsgToFIR CFileExtentRedisSender::XMLCallback()
{
    return [this](CNMessageBase& message) -> int {
        try
        {
            return SendXml(message).IsError() ? 0 : 1;
        }
        catch (...)
        {
            return 0;
        }
    };
}

CZuError CFileExtentRedisSender::SendXdr(unsigned long messageNumber, const ktsDatabuf* buffer)
{
    std::string bytes;
    FX_RETURN_IF_ERROR(CFileExtentMessageWire::EncodeXdr(buffer, bytes));
    FX_RETURN_PROPAGATED(Send(CCollectorMessage::Xdr, messageNumber, std::move(bytes)));
}

CZuError CFileExtentRedisSender::SendXml(const CNMessageBase& message)
{
    std::string text;
    try
    {
        CFileExtentMessageWire::EncodeXml(message, text);
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    FX_RETURN_PROPAGATED(Send(CCollectorMessage::Xml, 0, std::move(text)));
}

CZuError CFileExtentRedisSender::Send(CCollectorMessage::Kind kind, unsigned long messageNumber, std::string payload)
{
    CCollectorMessage message;
    message.MessageKind = kind;
    message.MessageNumber = messageNumber;
    message.Payload = std::move(payload);
    std::lock_guard<std::mutex> guard(m_mutex);
    CZuError error = SendLocked(message);
    if (error.IsError())
    {
        CountFailureLocked(error);
        return error.Push(FX_CODE_LOCATION);
    }
    ++m_counters.Sent;
    return CZuError::Success();
}

// The sequence is spent before the XADD: one that timed out may still land, and every later
// message must order after it.
CZuError CFileExtentRedisSender::SendLocked(CCollectorMessage& message)
{
    if (m_counters.Incarnation == 0)
        FX_RETURN_IF_ERROR(TakeIncarnationLocked());
    try
    {
        message.AgentId = m_agentId;
        message.Incarnation = m_counters.Incarnation;
        message.Sequence = ++m_counters.LastSequence;
        CStreamFields fields;
        FX_RETURN_IF_ERROR(CStreamEntryCodec::ToFields(message, fields));
        FX_RETURN_PROPAGATED(AppendLocked(fields));
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
}

CZuError CFileExtentRedisSender::TakeIncarnationLocked()
{
    CRedisReply reply;
    FX_RETURN_IF_ERROR(m_connection.Command({"INCR", m_keys.Incarnation(m_agentId)}, reply));
    if (reply.ReplyKind != CRedisReply::Integer || reply.Number < 1)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA,
                                       "INCR of the incarnation counter gave no positive number");
    m_counters.Incarnation = static_cast<std::uint64_t>(reply.Number);
    return CZuError::Success();
}

CZuError CFileExtentRedisSender::AppendLocked(const CStreamFields& fields)
{
    std::vector<std::string> arguments;
    arguments.reserve(3 + 2 * fields.size());
    arguments.push_back("XADD");
    arguments.push_back(m_keys.Records());
    arguments.push_back("*");
    for (const std::pair<std::string, std::string>& field : fields)
    {
        arguments.push_back(field.first);
        arguments.push_back(field.second);
    }
    CRedisReply reply;
    FX_RETURN_IF_ERROR(m_connection.Command(arguments, reply));
    if (reply.ReplyKind != CRedisReply::String || reply.Text.empty())
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA, "XADD to [%s] gave no entry id",
                                       m_keys.Records().c_str());
    return CZuError::Success();
}

// Whatever failed, the next call starts on a fresh connection.
void CFileExtentRedisSender::CountFailureLocked(const CZuError& error)
{
    m_connection.Disconnect();
    ++m_counters.Failed;
    FX_LOG(-1, "Redis send of agent [%s] failed: %s", m_agentId.c_str(), error.GetMessage().c_str());
}

CFileExtentRedisSender::CCounters CFileExtentRedisSender::Counters() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_counters;
}
} // namespace FILEEXTENT_REDIS
