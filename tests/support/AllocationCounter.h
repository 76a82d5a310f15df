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

} // namespace plumora::test
