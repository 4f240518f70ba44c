#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace
{
std::atomic<int> g_counters{0};
std::atomic<std::uint64_t> g_allocations{0};

void Note()
{
    if (g_counters.load(std::memory_order_relaxed) > 0)
        g_allocations.fetch_add(1, std::memory_order_relaxed);
}

void* Allocate(std::size_t size) noexcept
{
    Note();
    return std::malloc(size ? size : 1);
}

void* AllocateAligned(std::size_t size, std::align_val_t alignment) noexcept
{
    Note();
    const std::size_t align = static_cast<std::size_t>(alignment);
    // aligned_alloc wants a size that is a multiple of the alignment.
    const std::size_t rounded = ((size ? size : 1) + align - 1) / align * align;
    return std::aligned_alloc(align, rounded);
}

void* OrThrow(void* p)
{
    if (!p)
        throw std::bad_alloc();
    return p;
}
} // namespace

CAllocationCounter::CAllocationCounter() : m_start(g_allocations.load())
{
    g_counters.fetch_add(1);
}

CAllocationCounter::~CAllocationCounter()
{
    g_counters.fetch_sub(1);
}

std::uint64_t CAllocationCounter::Count() const
{
    return g_allocations.load() - m_start;
}

void* operator new(std::size_t size) { return OrThrow(Allocate(size)); }
void* operator new[](std::size_t size) { return OrThrow(Allocate(size)); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new(std::size_t size, std::align_val_t al) { return OrThrow(AllocateAligned(size, al)); }
void* operator new[](std::size_t size, std::align_val_t al) { return OrThrow(AllocateAligned(size, al)); }
void* operator new(std::size_t size, std::align_val_t al, const std::nothrow_t&) noexcept
{
    return AllocateAligned(size, al);
}
void* operator new[](std::size_t size, std::align_val_t al, const std::nothrow_t&) noexcept
{
    return AllocateAligned(size, al);
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
