#pragma once

#include <chrono>
#include <cstddef>

namespace FILEEXTENT_REDIS
{
// How a collector reads its job's stream.
struct CRedisConsumerOptions
{
    // Connecting, and every command beyond the time it may wait on the server.
    std::chrono::milliseconds Timeout{2000};
    // Entries per read, and so per batch handed to the handler.
    std::size_t BatchSize = 100;
    // How long a read of new entries waits on the server for one to arrive (0: not at all).
    std::chrono::milliseconds Block{1000};
    // An entry another consumer left pending this long is taken over: it is deemed dead.
    std::chrono::milliseconds MinIdle{60000};
    // How often the run loop looks for such entries, and trims the stream.
    std::chrono::milliseconds ClaimInterval{10000};
    std::chrono::milliseconds TrimInterval{10000};
};
} // namespace FILEEXTENT_REDIS
