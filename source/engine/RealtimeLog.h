#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>

namespace plumora
{

// Diagnostic lines from the audio thread. Posting is lock-free and never
// blocks: a bounded multi-producer ring with a sequence number per slot. One
// background thread drains it to standard error; a full ring drops the line.
class RealtimeLog
{
public:
    static constexpr std::size_t kCapacity = 4096;
    static constexpr std::size_t kLineBytes = 240;

    // The process-wide log shared by every engine instance.
    static RealtimeLog& instance();

    RealtimeLog();
    ~RealtimeLog();

    // Starts the drain thread if it is not running, for one more user (each
    // engine is one). Called off the audio thread (engine construction), so
    // posting never has to create it.
    void startDrainThread();

    // Ends one user's claim; the last one writes what was posted and stops
    // the thread. Engines are gone before a plug-in's module is unloaded, so
    // no thread is left for the static instance's destructor to join: on
    // Windows that destructor runs under the loader lock, where joining
    // deadlocks (the exiting thread waits for the same lock).
    void stopDrainThread();

    // Copies text (cut at kLineBytes - 1 bytes) into the ring. Returns false
    // when the line was dropped because the ring is full.
    bool post (const char* text) noexcept;

    // Waits until every posted line has been written, or the timeout passed.
    bool waitUntilDrained (std::chrono::milliseconds timeout);

    RealtimeLog (const RealtimeLog&) = delete;
    RealtimeLog& operator= (const RealtimeLog&) = delete;

private:
    struct Slot
    {
        std::atomic<std::size_t> sequence { 0 };
        std::array<char, kLineBytes> text {};
    };

    void drainLoop();
    void drainReady();
    void joinDrainThread();

    std::array<Slot, kCapacity> slots;
    alignas (64) std::atomic<std::size_t> producerPosition { 0 };
    alignas (64) std::size_t consumerPosition = 0;
    std::atomic<std::size_t> writtenPosition { 0 };

    std::mutex wakeMutex;
    std::condition_variable wake;
    std::atomic<bool> running { false };
    std::mutex lifetimeMutex;
    int users = 0;
    std::thread drainThread;
};

} // namespace plumora
