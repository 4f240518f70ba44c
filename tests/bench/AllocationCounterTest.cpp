// "0 heap allocations per event" is only worth printing if every form of operator new is counted,
// the library's included, and nothing outside the measured span is.
#include "AllocationCounter.h"

#include "restore/FileExtentRestoreHandler.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>

namespace
{
// Stores keep the allocations from being optimised away.
void* volatile g_sink = nullptr;
}

TEST(AllocationCounterTest, CountsEveryFormOfOperatorNew)
{
    const CAllocationCounter counter;
    g_sink = ::operator new(16);
    ::operator delete(g_sink);
    g_sink = ::operator new[](16);
    ::operator delete[](g_sink);
    g_sink = ::operator new(16, std::nothrow);
    ::operator delete(g_sink, std::nothrow);
    g_sink = ::operator new(16, std::align_val_t(64));
    EXPECT_EQ(0u, reinterpret_cast<std::uintptr_t>(g_sink) % 64);
    ::operator delete(g_sink, std::align_val_t(64));
    g_sink = ::operator new[](100, std::align_val_t(256), std::nothrow);
    EXPECT_EQ(0u, reinterpret_cast<std::uintptr_t>(g_sink) % 256);
    ::operator delete[](g_sink, std::align_val_t(256), std::nothrow);
    EXPECT_EQ(5u, counter.Count());
}

TEST(AllocationCounterTest, CountsOnlyWhileItLives)
{
    g_sink = ::operator new(8);
    std::uint64_t inner = 0;
    {
        const CAllocationCounter outer;
        ::operator delete(g_sink);
        {
            const CAllocationCounter counter;
            g_sink = ::operator new(8);
            inner = counter.Count();
        }
        EXPECT_EQ(1u, outer.Count());
    }
    ::operator delete(g_sink);
    EXPECT_EQ(1u, inner);
    const CAllocationCounter later;
    EXPECT_EQ(0u, later.Count());
}

TEST(AllocationCounterTest, SeesTheLibrarysAllocations)
{
    TempDir dir;
    FILEEXTENT_RESTORE::CFileExtentRestoreHandler handler;
    std::uint64_t allocations = 0;
    {
        // Everything Initialize allocates, it allocates inside the shared library.
        const CAllocationCounter counter;
        ASSERT_FALSE(handler.Initialize(dir.Path(), false, nullptr, nullptr, 0).IsError());
        allocations = counter.Count();
    }
    EXPECT_GT(allocations, 0u);
    EXPECT_FALSE(handler.DeInitialize().IsError());
}
