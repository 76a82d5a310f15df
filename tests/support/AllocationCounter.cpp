#include "AllocationCounter.h"

#include <dlfcn.h>
#include <pthread.h>

#include <cstdlib>
#include <new>

namespace
{
thread_local std::size_t allocationsOnThisThread = 0;
thread_local int openCounters = 0;
thread_local std::size_t locksOnThisThread = 0;
thread_local int openLockCounters = 0;

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

#if ! defined(__SANITIZE_THREAD__) && ! defined(__SANITIZE_ADDRESS__)
// Interposes the C library's lock to count it, then forwards to the real one
// (dlsym takes the loader's lock internally, not through this symbol).
extern "C" int pthread_mutex_lock (pthread_mutex_t* mutex)
{
    using LockFunction = int (*) (pthread_mutex_t*);
    static LockFunction real = nullptr;
    if (real == nullptr)
        real = reinterpret_cast<LockFunction> (dlsym (RTLD_NEXT, "pthread_mutex_lock"));

    if (openLockCounters > 0)
        ++locksOnThisThread;
    return real (mutex);
}
 #define PLUMORA_COUNTS_LOCKS 1
#endif

namespace plumora::test
{

ScopedAllocationCounter::ScopedAllocationCounter() : startCount (allocationsOnThisThread) { ++openCounters; }
ScopedAllocationCounter::~ScopedAllocationCounter() { --openCounters; }
std::size_t ScopedAllocationCounter::count() const { return allocationsOnThisThread - startCount; }

bool ScopedLockCounter::isAvailable()
{
#if PLUMORA_COUNTS_LOCKS
    return true;
#else
    return false; // the sanitizers own pthread_mutex_lock
#endif
}

ScopedLockCounter::ScopedLockCounter() : startCount (locksOnThisThread) { ++openLockCounters; }
ScopedLockCounter::~ScopedLockCounter() { --openLockCounters; }
std::size_t ScopedLockCounter::count() const { return locksOnThisThread - startCount; }

} // namespace plumora::test
