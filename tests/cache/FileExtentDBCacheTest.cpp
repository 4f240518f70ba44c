#include "tests/cache/RecordingPersist.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include <algorithm>
#include <functional>
#include <memory>

using namespace cachetest;
using FILEEXTENT_RESTORE::_deleter;
using FILEEXTENT_RESTORE::CFileExtentDBCache;

namespace
{
class FileExtentDBCacheTest : public ::testing::Test
{
protected:
    boost::shared_ptr<RecordingPersist> persist = boost::make_shared<RecordingPersist>();

    std::unique_ptr<Cache> MakeCache(unsigned int block, unsigned int maxCacheSize = 5000)
    {
        return std::make_unique<Cache>(persist, block, KeyLess(RestoreKeyLess), _deleter<CRestoredItem>(),
                                       maxCacheSize);
    }

    static void Fill(Cache& cache, int from, int to, int task = 1)
    {
        for (int i = from; i < to; ++i)
            ASSERT_FALSE(cache.Update(K(i), Item(K(i), task)).IsError());
    }

    // The task a cached key reads back, or -1 when the cache does not answer.
    static int TaskOf(Cache& cache, const Key& key)
    {
        CRestoredItem item;
        if (cache.Get(key, item).IsError() || !item.TaskId)
            return -1;
        return *item.TaskId;
    }

    static std::vector<std::string> Paths(const std::vector<Key>& keys)
    {
        std::vector<std::string> paths;
        for (const Key& key : keys)
            paths.push_back(key.FilePath);
        return paths;
    }
};

// Whether the outermost location of the trail is the named member of the cache.
bool IsLastPushedBy(const CZuError& err, const std::string& function)
{
    return !err.GetLocations().empty() &&
           err.GetLocations().back().GetFunction().find("::" + function + "(") != std::string::npos;
}

TEST_F(FileExtentDBCacheTest, ImmediateModeWritesNewKeyOnceAndChangesOnlyOnFlush)
{
    auto cache = MakeCache(0);
    ASSERT_FALSE(cache->Update(K(1), Item(K(1), 1)).IsError());
    ASSERT_EQ(persist->CountOf(RecordingPersist::Single), 1u);
    EXPECT_FALSE(cache->FlushSync().IsError());
    EXPECT_EQ(persist->calls.size(), 1u) << "a written record is not dirty";

    ASSERT_FALSE(cache->Update(K(1), Item(K(1), 2)).IsError());
    EXPECT_EQ(persist->calls.size(), 1u) << "a change to a cached record waits for the flush";
    ASSERT_FALSE(cache->FlushSync().IsError());
    auto singles = persist->CallsOf(RecordingPersist::Single);
    ASSERT_EQ(singles.size(), 2u);
    EXPECT_EQ(*singles[1].values[0].TaskId, 2);
    EXPECT_FALSE(cache->FlushSync().IsError());
    EXPECT_EQ(persist->calls.size(), 2u);
    EXPECT_EQ(TaskOf(*cache, K(1)), 2);
    EXPECT_EQ(persist->CountOf(RecordingPersist::Read), 0u);
}

TEST_F(FileExtentDBCacheTest, BlockModeFlushWritesBatchesInKeyOrder)
{
    auto cache = MakeCache(3);
    for (const char* path : {"d", "B", "e", "a", "C"})
        ASSERT_FALSE(cache->Update(Key(path, 1), Item(Key(path, 1), 1)).IsError());
    EXPECT_TRUE(persist->calls.empty()) << "new records stay in memory with blocks";

    ASSERT_FALSE(cache->FlushSync().IsError());
    auto batches = persist->CallsOf(RecordingPersist::Batch);
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(Paths(batches[0].keys), (std::vector<std::string>{"a", "B", "C"}));
    EXPECT_EQ(Paths(batches[1].keys), (std::vector<std::string>{"d", "e"}));
    EXPECT_EQ(persist->CountOf(RecordingPersist::Single), 0u);

    ASSERT_FALSE(cache->FlushSync().IsError());
    EXPECT_EQ(persist->calls.size(), 2u) << "all five ended not dirty";
}

TEST_F(FileExtentDBCacheTest, FlushOfOneKeyWritesItAloneWhateverTheBlockSize)
{
    auto cache = MakeCache(3);
    Fill(*cache, 0, 3);
    ASSERT_FALSE(cache->FlushSync(K(1)).IsError());
    auto singles = persist->CallsOf(RecordingPersist::Single);
    ASSERT_EQ(singles.size(), 1u);
    EXPECT_EQ(singles[0].keys[0].FilePath, K(1).FilePath);
    EXPECT_FALSE(cache->FlushSync(K(1)).IsError());
    EXPECT_FALSE(cache->FlushSync(K(7)).IsError());
    EXPECT_EQ(persist->calls.size(), 1u);

    ASSERT_FALSE(cache->FlushSync().IsError());
    auto batches = persist->CallsOf(RecordingPersist::Batch);
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(Paths(batches[0].keys), (std::vector<std::string>{K(0).FilePath, K(2).FilePath}));

    cache->Delete(K(0));
    ASSERT_EQ(cache->GetCachedCount(), 3u);
    ASSERT_FALSE(cache->FlushSync(K(0)).IsError());
    EXPECT_EQ(cache->GetCachedCount(), 2u) << "the tombstone is dropped";
}

TEST_F(FileExtentDBCacheTest, FlushOfEmptyCacheCallsNothing)
{
    auto cache = MakeCache(3);
    EXPECT_FALSE(cache->FlushSync().IsError());
    EXPECT_TRUE(persist->calls.empty());
}

TEST_F(FileExtentDBCacheTest, TombstoneAnswersNotFoundUntilFlushed)
{
    auto cache = MakeCache(0);
    Fill(*cache, 1, 2);
    ASSERT_FALSE(cache->Delete(K(1)).IsError());
    CRestoredItem item;
    CZuError err = cache->Get(K(1), item);
    EXPECT_TRUE(FXErrorUtil::IsWin32(err, ERROR_NOT_FOUND));
    EXPECT_EQ(persist->CountOf(RecordingPersist::Read), 0u) << "the store is not asked";

    ASSERT_FALSE(cache->FlushSync().IsError());
    EXPECT_EQ(cache->GetCachedCount(), 0u);
    err = cache->Get(K(1), item);
    EXPECT_TRUE(FXErrorUtil::IsWin32(err, ERROR_NOT_FOUND));
    EXPECT_EQ(persist->CountOf(RecordingPersist::Read), 1u);
}

TEST_F(FileExtentDBCacheTest, UpdateRevivesTombstoneAsDirty)
{
    auto cache = MakeCache(0);
    Fill(*cache, 1, 2);
    ASSERT_FALSE(cache->Delete(K(1)).IsError());
    ASSERT_FALSE(cache->Update(K(1), Item(K(1), 9)).IsError());
    EXPECT_EQ(persist->CountOf(RecordingPersist::Single), 1u) << "a revived key is written by the flush";
    EXPECT_EQ(TaskOf(*cache, K(1)), 9);
    ASSERT_FALSE(cache->FlushSync().IsError());
    auto singles = persist->CallsOf(RecordingPersist::Single);
    ASSERT_EQ(singles.size(), 2u);
    EXPECT_EQ(*singles[1].values[0].TaskId, 9);
    EXPECT_EQ(*persist->stored.at(K(1)).TaskId, 9);
}

TEST_F(FileExtentDBCacheTest, DeleteAsksTheStoreEveryTimeAndKeepsTombstone)
{
    auto cache = MakeCache(0);
    CZuError err = cache->Delete(K(5));
    EXPECT_TRUE(FXErrorUtil::IsWin32(err, ERROR_NOT_FOUND)) << "the store's answer for an unknown key";
    EXPECT_TRUE(IsLastPushedBy(err, "Delete"));
    EXPECT_EQ(persist->CountOf(RecordingPersist::Remove), 1u);
    EXPECT_EQ(cache->GetCachedCount(), 1u);

    err = cache->Delete(K(5));
    EXPECT_TRUE(FXErrorUtil::IsWin32(err, ERROR_NOT_FOUND));
    EXPECT_EQ(persist->CountOf(RecordingPersist::Remove), 2u);

    CRestoredItem item;
    EXPECT_TRUE(FXErrorUtil::IsWin32(cache->Get(K(5), item), ERROR_NOT_FOUND));
    EXPECT_EQ(persist->CountOf(RecordingPersist::Read), 0u);
}

TEST_F(FileExtentDBCacheTest, ReadThroughCachesCleanRecordAndFailureCachesNothing)
{
    auto cache = MakeCache(0);
    persist->stored[K(1)] = Item(K(1), 4);
    EXPECT_EQ(TaskOf(*cache, K(1)), 4);
    EXPECT_EQ(TaskOf(*cache, K(1)), 4);
    EXPECT_EQ(persist->CountOf(RecordingPersist::Read), 1u);
    ASSERT_FALSE(cache->FlushSync().IsError());
    EXPECT_EQ(persist->CountOf(RecordingPersist::Single), 0u) << "a record read from the store is clean";

    CRestoredItem item;
    CZuError err = cache->Get(K(2), item);
    EXPECT_TRUE(FXErrorUtil::IsWin32(err, ERROR_NOT_FOUND));
    EXPECT_TRUE(IsLastPushedBy(err, "Get"));
    EXPECT_EQ(cache->GetCachedCount(), 1u);
}

TEST_F(FileExtentDBCacheTest, FailedWriteThroughLeavesRecordDirty)
{
    auto cache = MakeCache(0);
    persist->failingSingles = {1};
    CZuError err = cache->Update(K(1), Item(K(1), 1));
    EXPECT_TRUE(FXErrorUtil::IsWin32(err, ERROR_NETWORK_UNREACHABLE));
    EXPECT_EQ(cache->GetCachedCount(), 1u);
    ASSERT_FALSE(cache->FlushSync().IsError());
    EXPECT_EQ(persist->CountOf(RecordingPersist::Single), 2u);
    EXPECT_EQ(persist->stored.count(K(1)), 1u);
}

// One record the store refuses must not keep the others out: they are written, it stays dirty,
// and the failure names it.
TEST_F(FileExtentDBCacheTest, FailedRecordInFlushStaysDirtyWhileTheOthersAreWritten)
{
    auto cache = MakeCache(0);
    Fill(*cache, 0, 3);
    Fill(*cache, 0, 3, 2);
    persist->failingSingles = {5};
    CZuError err = cache->FlushSync();
    EXPECT_TRUE(FXErrorUtil::IsWin32(err, ERROR_NETWORK_UNREACHABLE));
    EXPECT_TRUE(IsLastPushedBy(err, "FlushSync"));
    EXPECT_NE(err.GetMessage().find(K(1).FilePath), std::string::npos) << err.GetMessage();
    EXPECT_EQ(persist->CountOf(RecordingPersist::Single), 6u) << "the third record is written all the same";
    EXPECT_EQ(*persist->stored[K(2)].TaskId, 2);
    ASSERT_FALSE(cache->FlushSync().IsError());
    auto written = persist->WrittenPaths();
    EXPECT_EQ(std::vector<std::string>(written.begin() + 6, written.end()), (std::vector<std::string>{K(1).FilePath}));
    EXPECT_EQ(*persist->stored[K(1)].TaskId, 2);
}

// A failed block must not lose its records: they stay dirty and the next flush sends them again.
TEST_F(FileExtentDBCacheTest, FailedBlockInFlushKeepsItsRecordsDirty)
{
    auto cache = MakeCache(2);
    Fill(*cache, 1, 6);
    persist->failingBatches = {2};
    CZuError err = cache->FlushSync();
    EXPECT_TRUE(FXErrorUtil::IsWin32(err, ERROR_NETWORK_UNREACHABLE));
    EXPECT_TRUE(IsLastPushedBy(err, "FlushSync"));
    ASSERT_EQ(persist->CountOf(RecordingPersist::Batch), 3u) << "the block after the failed one goes all the same";

    ASSERT_FALSE(cache->FlushSync().IsError());
    auto batches = persist->CallsOf(RecordingPersist::Batch);
    ASSERT_EQ(batches.size(), 4u);
    EXPECT_EQ(Paths(batches[2].keys), (std::vector<std::string>{K(5).FilePath}));
    EXPECT_EQ(Paths(batches[3].keys), (std::vector<std::string>{K(3).FilePath, K(4).FilePath}));
    EXPECT_EQ(persist->stored.size(), 5u);
}

TEST_F(FileExtentDBCacheTest, BlockEvictionWritesBeforeRecordsLeave)
{
    auto cache = MakeCache(2, 4);
    Fill(*cache, 1, 6);
    auto batches = persist->CallsOf(RecordingPersist::Batch);
    ASSERT_EQ(batches.size(), 3u);
    EXPECT_EQ(Paths(batches[2].keys), (std::vector<std::string>{K(5).FilePath}));
    EXPECT_EQ(cache->GetCachedCount(), 0u) << "fewer than 64 records: all leave, the new one too";
    EXPECT_EQ(persist->stored.size(), 5u);
}

// A block that fails during eviction keeps its records in the cache, dirty; the records after
// it are evicted in their place.
TEST_F(FileExtentDBCacheTest, FailedBlockInEvictionKeepsItsRecords)
{
    auto cache = MakeCache(2, 4);
    Fill(*cache, 1, 5);
    persist->failingBatches = {2};
    CZuError err = cache->Update(K(5), Item(K(5), 1));
    EXPECT_TRUE(FXErrorUtil::IsWin32(err, ERROR_NETWORK_UNREACHABLE));
    EXPECT_EQ(cache->GetCachedCount(), 2u) << "the failed block stays";
    EXPECT_EQ(TaskOf(*cache, K(3)), 1);
    EXPECT_EQ(persist->CountOf(RecordingPersist::Read), 0u);

    ASSERT_FALSE(cache->FlushSync().IsError());
    auto batches = persist->CallsOf(RecordingPersist::Batch);
    ASSERT_EQ(batches.size(), 4u);
    EXPECT_EQ(Paths(batches[2].keys), (std::vector<std::string>{K(5).FilePath}));
    EXPECT_EQ(Paths(batches[3].keys), (std::vector<std::string>{K(3).FilePath, K(4).FilePath}));
    EXPECT_EQ(persist->stored.size(), 5u);
}

TEST_F(FileExtentDBCacheTest, EvictionAtCapacityDropsTheSmallestKeys)
{
    auto cache = MakeCache(0);
    Fill(*cache, 1000, 6000);
    ASSERT_EQ(cache->GetCachedCount(), 5000u);
    Fill(*cache, 1000, 1010, 2);
    size_t writesBefore = persist->CountOf(RecordingPersist::Single);

    ASSERT_FALSE(cache->Update(K(9000), Item(K(9000), 1)).IsError());
    EXPECT_EQ(cache->GetCachedCount(), 4937u);
    auto written = persist->WrittenPaths();
    std::vector<std::string> evictionWrites(written.begin() + writesBefore, written.end());
    ASSERT_EQ(evictionWrites.size(), 11u) << "the new key, then the ten dirty ones";
    EXPECT_EQ(evictionWrites[0], K(9000).FilePath);
    EXPECT_EQ(evictionWrites[1], K(1000).FilePath);
    EXPECT_EQ(evictionWrites[10], K(1009).FilePath);
    EXPECT_EQ(*persist->stored.at(K(1005)).TaskId, 2);

    EXPECT_EQ(TaskOf(*cache, K(1064)), 1);
    EXPECT_EQ(persist->CountOf(RecordingPersist::Read), 0u);
    EXPECT_EQ(TaskOf(*cache, K(1063)), 1);
    EXPECT_EQ(persist->CountOf(RecordingPersist::Read), 1u) << "evicted keys are read back from the store";
}

TEST_F(FileExtentDBCacheTest, NewKeyAmongTheSmallestLeavesAfterItsOwnWrite)
{
    auto cache = MakeCache(0);
    Fill(*cache, 1000, 6000);
    ASSERT_FALSE(cache->Update(K(1), Item(K(1), 1)).IsError());
    EXPECT_EQ(cache->GetCachedCount(), 4937u);
    auto written = persist->WrittenPaths();
    EXPECT_EQ(std::count(written.begin(), written.end(), K(1).FilePath), 1);
    EXPECT_EQ(persist->calls.size(), 5001u);
}

TEST_F(FileExtentDBCacheTest, ReadThroughPastCapacityFlushesAndDrops63Net)
{
    auto cache = MakeCache(0);
    Fill(*cache, 1000, 6000);
    Fill(*cache, 1000, 1005, 2);
    persist->stored[K(1)] = Item(K(1), 7);
    persist->stored[K(2)] = Item(K(2), 7);

    EXPECT_EQ(TaskOf(*cache, K(1)), 7);
    ASSERT_EQ(cache->GetCachedCount(), 5001u);
    size_t writesBefore = persist->CountOf(RecordingPersist::Single);
    EXPECT_EQ(TaskOf(*cache, K(2)), 7);
    EXPECT_EQ(cache->GetCachedCount(), 5001u - 63u);
    EXPECT_EQ(persist->CountOf(RecordingPersist::Single), writesBefore + 5) << "the dirty records were flushed";
    EXPECT_EQ(*persist->stored.at(K(1004)).TaskId, 2);
}

TEST_F(FileExtentDBCacheTest, DestructionWritesNothing)
{
    int deleted = 0;
    struct CountingDeleter
    {
        int* count;
        void operator()(CRestoredItem) const { ++*count; }
    };
    {
        CFileExtentDBCache<Key, CRestoredItem, KeyLess, CountingDeleter> cache(persist, 3, KeyLess(RestoreKeyLess),
                                                                                CountingDeleter{&deleted});
        for (int i = 0; i < 4; ++i)
            ASSERT_FALSE(cache.Update(K(i), Item(K(i), 1)).IsError());
    }
    EXPECT_TRUE(persist->calls.empty());
    EXPECT_EQ(deleted, 4) << "each record hands its value to the deleter";
}
} // namespace
