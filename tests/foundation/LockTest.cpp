#include "foundation/Foundation.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

TEST(FXCriticalSectionTest, IsRecursiveAndTracksItsOwner)
{
    FXCriticalSection section;
    EXPECT_EQ(0u, section.GetLockOwner());
    section.Lock();
    EXPECT_NE(0u, section.GetLockOwner());
    EXPECT_TRUE(section.TryLock());
    EXPECT_TRUE(section.TryLock(CTimeInterval::From100NS(10)));
    section.Unlock();
    section.Unlock();
    section.Unlock();
    EXPECT_EQ(0u, section.GetLockOwner());
}

TEST(FXCriticalSectionTest, OtherThreadsCannotEnterWhileHeld)
{
    FXCriticalSection section;
    auto_lock guard(&section);
    bool tried = true;
    bool timed = true;
    std::thread other([&] {
        tried = section.TryLock();
        timed = section.TryLock(CTimeInterval::From100NS(100000)); // 10 ms
    });
    other.join();
    EXPECT_FALSE(tried);
    EXPECT_FALSE(timed);
}

TEST(FXCriticalSectionTest, GuardsGiveMutualExclusionAcrossThreads)
{
    FXCriticalSection section;
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i)
            {
                auto_lock outer(&section);
                auto_lock inner(&section); // re-entry by the holder
                ++counter;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(80000, counter);
}

TEST(AutoLockTest, NotLockingNowHoldsNothingAndNullIsHarmless)
{
    FXCriticalSection section;
    {
        auto_lock lazy(&section, false);
        EXPECT_FALSE(lazy.IsHeld());
        std::thread other([&] {
            EXPECT_TRUE(section.TryLock());
            section.Unlock();
        });
        other.join();
        lazy.Lock();
        EXPECT_TRUE(lazy.IsHeld());
        lazy.Unlock();
        EXPECT_FALSE(lazy.IsHeld());
    }
    auto_lock none(nullptr);
    EXPECT_FALSE(none.IsHeld());
}

TEST(KtCriticalSectionTest, GuardsGiveMutualExclusionAcrossThreads)
{
    KtCriticalSection section;
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i)
            {
                KtCriticalSectionLock guard(&section);
                ++counter;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(80000, counter);
    KtCriticalSectionLock nothing(nullptr);
}

TEST(MakeSharedNothrowTest, ConstructorFailureGivesAnEmptyPointer)
{
    struct Throws
    {
        Throws() { throw std::runtime_error("no"); }
    };
    EXPECT_FALSE(boost::make_shared_nothrow<Throws>());
    EXPECT_EQ(7, *boost::make_shared_nothrow<int>(7));
}
