#include "AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace
{
thread_local std::size_t allocationsOnThisThread = 0;
thread_local int openCounters = 0;

void* allocate (std::size_t size)
{
    if (openCounters > 0)
        ++allocationsOnThisThread;
    if (void* memory = std::malloc (size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}
} // namespace

void* operator new (std::size_t size) { return allocate (size); }
void* operator new[] (std::size_t size) { return allocate (size); }
void* operator new (std::size_t size, const std::nothrow_t&) noexcept
{
    try { return allocate (size); } catch (...) { return nullptr; }
}
void* operator new[] (std::size_t size, const std::nothrow_t&) noexcept
{
    try { return allocate (size); } catch (...) { return nullptr; }
}
void operator delete (void* memory) noexcept { std::free (memory); }
void operator delete[] (void* memory) noexcept { std::free (memory); }
void operator delete (void* memory, std::size_t) noexcept { std::free (memory); }
void operator delete[] (void* memory, std::size_t) noexcept { std::free (memory); }

namespace plumora::test
{

ScopedAllocationCounter::ScopedAllocationCounter() : startCount (allocationsOnThisThread) { ++openCounters; }
ScopedAllocationCounter::~ScopedAllocationCounter() { --openCounters; }
std::size_t ScopedAllocationCounter::count() const { return allocationsOnThisThread - startCount; }

} // namespace plumora::test
