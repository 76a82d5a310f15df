#pragma once

#include <cstddef>

namespace plumora::test
{

// Counts heap allocations made by the current thread while a scope is open.
// The test binary replaces the global operator new to feed it.
class ScopedAllocationCounter
{
public:
    ScopedAllocationCounter();
    ~ScopedAllocationCounter();

    std::size_t count() const;

    ScopedAllocationCounter (const ScopedAllocationCounter&) = delete;
    ScopedAllocationCounter& operator= (const ScopedAllocationCounter&) = delete;

private:
    std::size_t startCount;
};

// Counts pthread mutex locks taken by the current thread while a scope is
// open (std::mutex and JUCE's CriticalSection both land there). The test
// binary interposes pthread_mutex_lock to feed it.
class ScopedLockCounter
{
public:
    ScopedLockCounter();
    ~ScopedLockCounter();

    // False in sanitizer builds, which intercept the lock themselves.
    static bool isAvailable();

    std::size_t count() const;

    ScopedLockCounter (const ScopedLockCounter&) = delete;
    ScopedLockCounter& operator= (const ScopedLockCounter&) = delete;

private:
    std::size_t startCount;
};

} // namespace plumora::test
