#pragma once

#include <atomic>
#include <chrono>

namespace FILEEXTENT_REDIS
{
// When a consumer's run loop ends, and how it waits after a failure.
struct CRedisRunOptions
{
    // Ends the run once this long passed without a new entry and nothing is pending in the
    // group; 0 runs until Stop.
    std::chrono::milliseconds UntilIdle{0};
    // Ends the run at the next batch boundary once true; a signal handler may set it.
    const std::atomic<bool>* Stop = nullptr;
    // After a failure (Redis unreachable, the handler failing) the loop waits RetryDelay, doubled
    // after each further failure up to MaxRetryDelay, then reads its pending entries again.
    std::chrono::milliseconds RetryDelay{100};
    std::chrono::milliseconds MaxRetryDelay{2000};
};

static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler sets the stop flag");
} // namespace FILEEXTENT_REDIS
