#include "transport/redis/RedisConnection.h"

#include "foundation/ErrorPropagation.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "transport/redis/SigPipeGuard.h"

#include <hiredis.h>

#include <sys/time.h>

#include <cerrno>
#include <climits>
#include <memory>
#include <new>

namespace FILEEXTENT_REDIS
{
namespace
{
struct ReplyDeleter
{
    void operator()(redisReply* reply) const { freeReplyObject(reply); }
};
typedef std::unique_ptr<redisReply, ReplyDeleter> ReplyPtr;

timeval ToTimeval(std::chrono::milliseconds timeout)
{
    const long long ms = timeout.count() > 0 ? timeout.count() : 1;
    timeval tv;
    tv.tv_sec = static_cast<time_t>(ms / 1000);
    tv.tv_usec = static_cast<suseconds_t>((ms % 1000) * 1000);
    return tv;
}

// A blocking socket whose SO_RCVTIMEO/SO_SNDTIMEO ran out reports EAGAIN; a connect that ran out
// of time reports ETIMEDOUT.
bool IsTimeout(int savedErrno)
{
    return savedErrno == EAGAIN || savedErrno == EWOULDBLOCK || savedErrno == ETIMEDOUT ||
           savedErrno == EINPROGRESS;
}

void CopyReply(const redisReply& from, CRedisReply& to)
{
    switch (from.type)
    {
    case REDIS_REPLY_STRING:
        to.ReplyKind = CRedisReply::String;
        to.Text.assign(from.str, from.len);
        break;
    case REDIS_REPLY_STATUS:
        to.ReplyKind = CRedisReply::Status;
        to.Text.assign(from.str, from.len);
        break;
    case REDIS_REPLY_ERROR:
        to.ReplyKind = CRedisReply::Error;
        to.Text.assign(from.str, from.len);
        break;
    case REDIS_REPLY_INTEGER:
        to.ReplyKind = CRedisReply::Integer;
        to.Number = from.integer;
        break;
    case REDIS_REPLY_ARRAY:
        to.ReplyKind = CRedisReply::Array;
        to.Elements.resize(from.elements);
        for (std::size_t i = 0; i < from.elements; ++i)
            CopyReply(*from.element[i], to.Elements[i]);
        break;
    default:
        to.ReplyKind = CRedisReply::Nil;
        break;
    }
}

std::string CommandName(const std::vector<std::string>& arguments)
{
    return arguments.empty() ? std::string() : arguments[0];
}
} // namespace

CRedisConnection::CRedisConnection(const CRedisAddress& address, std::chrono::milliseconds timeout)
    : m_address(address), m_timeout(timeout)
{
}

CRedisConnection::~CRedisConnection()
{
    Disconnect();
}

void CRedisConnection::Disconnect()
{
    if (m_context)
        redisFree(m_context);
    m_context = nullptr;
}

CZuError CRedisConnection::Connect()
{
    if (m_context)
        return CZuError::Success();
    redisContext* context = redisConnectWithTimeout(m_address.Host().c_str(), m_address.Port(), ToTimeval(m_timeout));
    const int savedErrno = errno;
    if (!context)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY, "No memory for a Redis connection");
    m_context = context;
    if (m_context->err)
        return IOError(FX_CODE_LOCATION, savedErrno, "connect");
    FX_RETURN_PROPAGATED(SetTimeout(m_timeout));
}

CZuError CRedisConnection::Command(const std::vector<std::string>& arguments, CRedisReply& reply)
{
    FX_RETURN_IF_ERROR(Connect());
    FX_RETURN_PROPAGATED(Send(arguments, reply));
}

CZuError CRedisConnection::Command(const std::vector<std::string>& arguments, std::chrono::milliseconds serverWait,
                                   CRedisReply& reply)
{
    FX_RETURN_IF_ERROR(Connect());
    FX_RETURN_IF_ERROR(SetTimeout(m_timeout + serverWait));
    CZuError error = Send(arguments, reply);
    if (error.IsError())
    {
        // An error reply keeps the connection: it must not keep the longer timeout too.
        if (m_context)
            SetTimeout(m_timeout);
        return error.Push(FX_CODE_LOCATION);
    }
    FX_RETURN_PROPAGATED(SetTimeout(m_timeout));
}

CZuError CRedisConnection::SetTimeout(std::chrono::milliseconds timeout)
{
    if (redisSetTimeout(m_context, ToTimeval(timeout)) != REDIS_OK)
        return IOError(FX_CODE_LOCATION, errno, "setting the timeout");
    return CZuError::Success();
}

CZuError CRedisConnection::Send(const std::vector<std::string>& arguments, CRedisReply& reply)
{
    if (arguments.empty() || arguments.size() > static_cast<std::size_t>(INT_MAX))
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER,
                                       "A Redis command of [%zu] arguments", arguments.size());
    try
    {
        std::vector<const char*> argv;
        std::vector<std::size_t> lengths;
        argv.reserve(arguments.size());
        lengths.reserve(arguments.size());
        for (const std::string& argument : arguments)
        {
            argv.push_back(argument.data());
            lengths.push_back(argument.size());
        }
        CSigPipeGuard noSigPipe;
        ReplyPtr raw(static_cast<redisReply*>(
            redisCommandArgv(m_context, static_cast<int>(argv.size()), argv.data(), lengths.data())));
        const int savedErrno = errno;
        if (!raw)
            return IOError(FX_CODE_LOCATION, savedErrno, CommandName(arguments));
        reply = CRedisReply();
        CopyReply(*raw, reply);
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    if (reply.ReplyKind == CRedisReply::Error)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_GEN_FAILURE, "Redis refused %s: %s",
                                       CommandName(arguments).c_str(), reply.Text.c_str());
    return CZuError::Success();
}

// Whatever went wrong, the context cannot be trusted for the next command: it is dropped, and
// the next command connects anew.
CZuError CRedisConnection::IOError(const FXCodeLocation& location, int savedErrno, const std::string& command)
{
    const int kind = m_context ? m_context->err : REDIS_ERR_OTHER;
    const std::string text = m_context ? m_context->errstr : "";
    Disconnect();
    const std::string where = m_address.ToString();
    if (kind == REDIS_ERR_OOM)
        return FXErrorUtil::ErrorWin32(location, ERROR_OUTOFMEMORY, "No memory for Redis %s", command.c_str());
    if (kind == REDIS_ERR_IO && IsTimeout(savedErrno))
        return FXErrorUtil::ErrorWin32(location, ERROR_TIMEOUT, "Redis at %s did not answer %s within %lld ms",
                                       where.c_str(), command.c_str(), static_cast<long long>(m_timeout.count()));
    return FXErrorUtil::ErrorWin32(location, ERROR_NETWORK_UNREACHABLE, "Redis at %s: %s failed: %s", where.c_str(),
                                   command.c_str(), text.c_str());
}
} // namespace FILEEXTENT_REDIS
