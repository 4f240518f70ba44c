#include "tests/cache/RecordingPersist.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

using namespace cachetest;
using FILEEXTENT_RESTORE::_deleter;

namespace
{
// Writers on distinct keys while another thread flushes, with a small capacity so that
// eviction and block writes run concurrently too. The store is a plain fake: every call to it
// must come under the cache's lock, or the sanitizer sees the race.
TEST(FileExtentDBCacheThreadTest, WritersAndFlusherLoseNothing)
{
    const int kWriters = 4;
    const int kKeysPerWriter = 150;
    const int kRounds = 3;
    auto persist = boost::make_shared<RecordingPersist>();
    Cache cache(persist, 8, KeyLess(RestoreKeyLess), _deleter<CRestoredItem>(), 200);

    std::atomic<bool> writing{true};
    std::atomic<int> failures{0};
    std::thread flusher([&] {
        while (writing.load())
        {
            if (cache.FlushSync().IsError())
                ++failures;
            std::this_thread::yield();
        }
    });
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.emplace_back([&, w] {
            for (int round = 1; round <= kRounds; ++round)
                for (int i = 0; i < kKeysPerWriter; ++i)
                {
                    Key key = K(w * kKeysPerWriter + i);
                    CRestoredItem item;
                    if (cache.Update(key, Item(key, round)).IsError() || cache.Get(key, item).IsError() ||
                        item.TaskId != round)
                        ++failures;
                }
        });
    for (std::thread& writer : writers)
        writer.join();
    writing = false;
    flusher.join();

    ASSERT_FALSE(cache.FlushSync().IsError());
    EXPECT_EQ(failures.load(), 0);
    ASSERT_EQ(persist->stored.size(), size_t(kWriters * kKeysPerWriter));
    for (const auto& entry : persist->stored)
        EXPECT_EQ(*entry.second.TaskId, kRounds) << entry.first.FilePath;
}
} // namespace
