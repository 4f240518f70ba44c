// Replaces the global allocation functions of this test program so that one chosen allocation
// fails. Unarmed they only forward to malloc/free.
#include "platform/ZuUtils/FXErrorUtil.h"
#include "recall/FileExtentRecallReport.h"
#include "store/FileRecallDBHandler.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <new>

namespace
{
// Allocations to let through before the one that fails; -1 when nothing is to fail.
thread_local long t_allocationsBeforeFailure = -1;
thread_local bool t_failed = false;

void* Allocate(std::size_t size) noexcept
{
    if (t_allocationsBeforeFailure == 0)
    {
        // One failure only, so the error path itself can allocate.
        t_allocationsBeforeFailure = -1;
        t_failed = true;
        return nullptr;
    }
    if (t_allocationsBeforeFailure > 0)
        --t_allocationsBeforeFailure;
    return std::malloc(size ? size : 1);
}

void* AllocateOrThrow(std::size_t size)
{
    void* memory = Allocate(size);
    if (!memory)
        throw std::bad_alloc();
    return memory;
}
} // namespace

void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

namespace
{
using namespace FILEEXTENTRECALLDB;

// Runs fn with its allocation number n failing; failed tells whether fn got that far.
CZuError WithAllocationFailing(long n, const std::function<CZuError()>& fn, bool& failed)
{
    t_failed = false;
    t_allocationsBeforeFailure = n;
    CZuError err = fn();
    t_allocationsBeforeFailure = -1;
    failed = t_failed;
    return err;
}

// Whatever allocation fails, writing either reports ERROR_OUTOFMEMORY or gives a text that
// reads back whole: never an empty or partial text reported as success.
TEST(RecallEncodingOutOfMemoryTest, WritingMetadataNeverReportsALostTextAsSuccess)
{
    CFileExtentRecallFileMetadata metadata;
    metadata.StubData = std::string(200, 's');
    metadata.StubCacheFilePath = "/cache/of/the/stub";
    metadata.FileSize = 1ULL << 40;
    metadata.Stats.InPipeline = CTimeInterval::From100NS(5);
    metadata.Stats.RecallStartTime = CTimeStamp::FromUnixTime(1700000000);

    std::string text;
    const std::function<CZuError()> write = [&] {
        return CFileExtentRecallFileMetadata::SerializeToString(metadata, text);
    };
    int outOfMemory = 0;
    bool failed = true;
    for (long n = 0; failed; ++n)
    {
        text.clear();
        const CZuError err = WithAllocationFailing(n, write, failed);
        if (err.IsError())
        {
            EXPECT_TRUE(FXErrorUtil::IsWin32(err, ERROR_OUTOFMEMORY)) << "allocation " << n;
            ++outOfMemory;
            continue;
        }
        CFileExtentRecallFileMetadata back;
        back.Version = 0;
        CFileExtentRecallFileMetadata::DeserializeFromString(text, back);
        EXPECT_TRUE(back == metadata) << "allocation " << n << " wrote: " << text;
    }
    EXPECT_GT(outOfMemory, 0);
}
// A table handler made while memory runs out does not throw out of its constructor: its
// operations report ERROR_OUTOFMEMORY instead (or the engine's own out-of-memory code).
TEST(RecallEncodingOutOfMemoryTest, TableHandlerMadeWithoutMemoryReportsInsteadOfThrowing)
{
    TempDir dir;
    FILEEXTENT_RESTORE::CFileExtentRestoreDB db(dir.Path(), "FileExtentRecall.db", 1);
    bool failed = true;
    for (long n = 0; failed && n < 1000; ++n)
    {
        CZuError err;
        EXPECT_NO_THROW(err = WithAllocationFailing(n, [&] {
                            CFileRecallDBHandler handler(db);
                            return handler.CreateTable();
                        }, failed)) << "allocation " << n;
        if (err.IsError())
        {
            EXPECT_TRUE(FXErrorUtil::IsWin32(err, ERROR_OUTOFMEMORY) || FXErrorUtil::IsSQLite(err, 7))
                << "allocation " << n << ": " << err.AsString();
        }
    }
    EXPECT_FALSE(failed) << "the handler never got through";
}
} // namespace
