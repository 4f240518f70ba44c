#pragma once

#include "platform/ZuUtils/ZuError.h"
#include "transport/redis/RedisAddress.h"
#include "transport/redis/RedisReply.h"

#include <chrono>
#include <string>
#include <vector>

struct redisContext;

namespace FILEEXTENT_REDIS
{
// One connection to a Redis server, made on the first command and again after any I/O error.
// Errors: ERROR_TIMEOUT when the server did not answer within the timeout, ERROR_NETWORK_UNREACHABLE
// when it refused or lost the connection, ERROR_GEN_FAILURE with Redis's text for an error reply.
// Not thread-safe: one thread at a time, or a lock around it.
class CRedisConnection
{
public:
    CRedisConnection(const CRedisAddress& address, std::chrono::milliseconds timeout);
    ~CRedisConnection();

    CRedisConnection(const CRedisConnection&) = delete;
    CRedisConnection& operator=(const CRedisConnection&) = delete;

    // Connects when not connected.
    CZuError Connect();
    bool IsConnected() const { return m_context != nullptr; }
    void Disconnect();

    // Sends one command, each argument as its bytes. An error reply is a failure, and it is also
    // left in reply so that the caller can test its code.
    CZuError Command(const std::vector<std::string>& arguments, CRedisReply& reply);
    // The same for a command that may wait on the server (XREADGROUP BLOCK): the timeout is
    // extended by serverWait for this command only.
    CZuError Command(const std::vector<std::string>& arguments, std::chrono::milliseconds serverWait,
                     CRedisReply& reply);

    const CRedisAddress& Address() const { return m_address; }

private:
    CZuError SetTimeout(std::chrono::milliseconds timeout);
    CZuError Send(const std::vector<std::string>& arguments, CRedisReply& reply);
    CZuError IOError(const FXCodeLocation& location, int savedErrno, const std::string& command);

    const CRedisAddress m_address;        // Fixed after construction.
    const std::chrono::milliseconds m_timeout; // Fixed after construction.
    redisContext* m_context = nullptr;    // Owned; null when not connected.
};
} // namespace FILEEXTENT_REDIS
