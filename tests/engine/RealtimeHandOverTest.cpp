#include "engine/RealtimeHandOver.h"
#include "engine/SynthEngine.h"
#include "dsp/FactoryWavetables.h"
#include "support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace plumora;

namespace
{
struct Payload
{
    int value;
    int twice;
};

std::shared_ptr<const Payload> payload (int value) { return std::make_shared<const Payload> (Payload { value, 2 * value }); }
} // namespace

TEST (RealtimeHandOver, ReplacedObjectsLiveUntilTheAudioThreadHasMovedOn)
{
    RenderEpoch epoch;
    RealtimeHandOver<Payload> handOver (epoch, payload (1));
    std::weak_ptr<const Payload> first = handOver.current();

    // The audio thread is inside a render call holding the first object.
    epoch.enter();
    const Payload* held = handOver.acquire();
    handOver.publish (payload (2));
    EXPECT_EQ (handOver.acquire()->value, 2);
    EXPECT_FALSE (first.expired());
    EXPECT_EQ (held->value, 1);

    handOver.collect();
    EXPECT_FALSE (first.expired()) << "the render call has not finished yet";

    epoch.leave(); // that render call ends and the next one begins
    epoch.enter();
    handOver.collect();
    EXPECT_TRUE (first.expired());
    EXPECT_EQ (handOver.retiredCount(), 0u);

    // While no render call runs, a replaced object goes at once.
    epoch.leave();
    std::weak_ptr<const Payload> second = handOver.current();
    handOver.publish (payload (3));
    EXPECT_TRUE (second.expired());
}

TEST (RealtimeHandOver, AudioThreadNeverSeesAFreedOrTornObject)
{
    RenderEpoch epoch;
    RealtimeHandOver<Payload> handOver (epoch, payload (0));
    std::atomic<bool> running { true };
    std::atomic<int> faults { 0 }, renders { 0 };

    std::thread audio ([&]
    {
        test::ScopedAllocationCounter allocations;
        while (running.load())
        {
            epoch.enter();
            const Payload* p = handOver.acquire();
            for (int i = 0; i < 50; ++i)
                if (p->twice != 2 * p->value)
                    faults.fetch_add (1);
            epoch.leave();
            renders.fetch_add (1);
        }
        if (allocations.count() != 0)
            faults.fetch_add (1000);
    });

    for (int i = 1; i <= 20000; ++i)
        handOver.publish (payload (i));
    while (renders.load() < 1000)
        std::this_thread::yield();
    running.store (false);
    audio.join();

    EXPECT_EQ (faults.load(), 0);
    EXPECT_EQ (handOver.current()->value, 20000);
    handOver.collect();
    EXPECT_EQ (handOver.retiredCount(), 0u);
}

TEST (EngineWavetables, SlotsHoldFactoryTablesFromConstructionAndIgnoreBadSwaps)
{
    SynthEngine engine;
    EXPECT_EQ (engine.wavetable (0), makeFactoryWavetable ("factory:analog_stack"));
    EXPECT_EQ (engine.wavetable (1), makeFactoryWavetable ("factory:saw"));
    EXPECT_EQ (engine.wavetable (2), nullptr);
    EXPECT_EQ (engine.wavetable (-1), nullptr);

    engine.setWavetable (1, makeFactoryWavetable ("factory:vocal"));
    engine.setWavetable (0, nullptr);
    engine.setWavetable (5, makeFactoryWavetable ("factory:sine"));
    EXPECT_EQ (engine.wavetable (0), makeFactoryWavetable ("factory:analog_stack"));
    EXPECT_EQ (engine.wavetable (1), makeFactoryWavetable ("factory:vocal"));
}
