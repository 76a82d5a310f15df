#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace plumora
{

// Tracks the audio thread's render calls. Hand-overs use it to know when the
// audio thread can no longer hold an object it was given earlier.
class RenderEpoch
{
public:
    // Audio thread: around every render call, before its first acquire and
    // after its last use of what it acquired.
    void enter() noexcept { rendering.store (true, std::memory_order_seq_cst); }
    void leave() noexcept
    {
        count.fetch_add (1, std::memory_order_seq_cst);
        rendering.store (false, std::memory_order_seq_cst);
    }

    std::uint64_t finishedCalls() const noexcept { return count.load (std::memory_order_seq_cst); }
    bool isRendering() const noexcept { return rendering.load (std::memory_order_seq_cst); }

private:
    std::atomic<std::uint64_t> count { 0 };
    std::atomic<bool> rendering { false };
};

// Hands immutable objects from the message thread to the audio thread.
//
// The message thread owns every published object through shared pointers
// and publishes a plain pointer atomically; the audio thread loads that
// pointer once per render call and never waits, locks or frees. A replaced
// object is kept (retired) until the audio thread has finished the render
// call that might still be using it; the message thread frees it on a later
// publish or collect. Only one message thread may publish at a time.
template <class T>
class RealtimeHandOver
{
public:
    RealtimeHandOver (const RenderEpoch& epochToWatch, std::shared_ptr<const T> initial)
        : epoch (epochToWatch), owner (std::move (initial))
    {
        published.store (owner.get(), std::memory_order_seq_cst);
    }

    // Audio thread: the object to use for this render call.
    const T* acquire() const noexcept { return published.load (std::memory_order_seq_cst); }

    // Message thread ---------------------------------------------------------
    void publish (std::shared_ptr<const T> replacement)
    {
        auto previous = std::move (owner);
        owner = std::move (replacement);
        published.store (owner.get(), std::memory_order_seq_cst);
        // Read after the store: a render call that started later sees the new object.
        retired.push_back ({ std::move (previous), epoch.finishedCalls() });
        collect();
    }

    // The current object, shared (for displays and snapshots).
    std::shared_ptr<const T> current() const { return owner; }

    // Frees retired objects that no render call can hold any more: all of
    // them while no render call runs (one starting now sees only the current
    // object), else those retired before a call that has finished since.
    void collect()
    {
        if (! epoch.isRendering())
        {
            retired.clear();
            return;
        }
        const auto now = epoch.finishedCalls();
        retired.erase (std::remove_if (retired.begin(), retired.end(),
                                       [now] (const Retired& r) { return now > r.retiredAt; }),
                       retired.end());
    }

    std::size_t retiredCount() const noexcept { return retired.size(); }

private:
    struct Retired
    {
        std::shared_ptr<const T> object;
        std::uint64_t retiredAt;
    };

    const RenderEpoch& epoch;
    std::shared_ptr<const T> owner;
    std::atomic<const T*> published { nullptr };
    std::vector<Retired> retired;
};

} // namespace plumora
