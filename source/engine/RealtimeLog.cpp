#include "RealtimeLog.h"

#include <cstdio>
#include <cstring>

namespace plumora
{

RealtimeLog& RealtimeLog::instance()
{
    static RealtimeLog log;
    return log;
}

RealtimeLog::RealtimeLog()
{
    for (std::size_t i = 0; i < kCapacity; ++i)
        slots[i].sequence.store (i, std::memory_order_relaxed);
}

RealtimeLog::~RealtimeLog()
{
    std::lock_guard<std::mutex> lifetime (lifetimeMutex);
    joinDrainThread();
}

void RealtimeLog::startDrainThread()
{
    std::lock_guard<std::mutex> lifetime (lifetimeMutex);
    ++users;
    if (drainThread.joinable())
        return;

    running.store (true);
    drainThread = std::thread ([this] { drainLoop(); });
}

void RealtimeLog::stopDrainThread()
{
    std::lock_guard<std::mutex> lifetime (lifetimeMutex);
    if (users > 0 && --users > 0)
        return;

    joinDrainThread();
}

void RealtimeLog::joinDrainThread()
{
    if (! drainThread.joinable())
        return;

    {
        std::lock_guard<std::mutex> lock (wakeMutex);
        running.store (false);
    }
    wake.notify_all();
    drainThread.join(); // the loop writes what is left before it ends
}

bool RealtimeLog::post (const char* text) noexcept
{
    auto position = producerPosition.load (std::memory_order_relaxed);

    for (;;)
    {
        auto& slot = slots[position % kCapacity];
        const auto sequence = slot.sequence.load (std::memory_order_acquire);
        const auto difference = static_cast<std::ptrdiff_t> (sequence) - static_cast<std::ptrdiff_t> (position);

        if (difference == 0)
        {
            if (producerPosition.compare_exchange_weak (position, position + 1, std::memory_order_relaxed))
            {
                std::size_t length = 0;
                while (length < kLineBytes - 1 && text[length] != '\0')
                    ++length;
                std::memcpy (slot.text.data(), text, length);
                slot.text[length] = '\0';
                slot.sequence.store (position + 1, std::memory_order_release);
                return true;
            }
        }
        else if (difference < 0)
        {
            return false; // full: the drain thread is behind by a whole ring
        }
        else
        {
            position = producerPosition.load (std::memory_order_relaxed);
        }
    }
}

void RealtimeLog::drainReady()
{
    bool wroteAny = false;

    for (;;)
    {
        auto& slot = slots[consumerPosition % kCapacity];
        if (slot.sequence.load (std::memory_order_acquire) != consumerPosition + 1)
            break;

        std::fputs (slot.text.data(), stderr);
        std::fputc ('\n', stderr);
        slot.sequence.store (consumerPosition + kCapacity, std::memory_order_release);
        ++consumerPosition;
        wroteAny = true;
    }

    if (wroteAny)
    {
        std::fflush (stderr);
        writtenPosition.store (consumerPosition, std::memory_order_release);
    }
}

void RealtimeLog::drainLoop()
{
    while (running.load())
    {
        drainReady();
        std::unique_lock<std::mutex> lock (wakeMutex);
        wake.wait_for (lock, std::chrono::milliseconds (5), [this] { return ! running.load(); });
    }
    drainReady();
}

bool RealtimeLog::waitUntilDrained (std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const auto target = producerPosition.load();

    while (writtenPosition.load (std::memory_order_acquire) < target)
    {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for (std::chrono::milliseconds (1));
    }
    return true;
}

} // namespace plumora
