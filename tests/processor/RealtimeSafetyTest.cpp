// The audio thread's rules, checked on a heavy, routing-rich sound with all
// 32 voices sounding: no heap allocation and no lock of the engine's own.

#include "processor/PluginProcessor.h"
#include "support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <mutex>

using namespace plumora;

namespace
{
constexpr int kBlock = 512;

void setPlain (PlumoraAudioProcessor& processor, const char* id, float value)
{
    auto* parameter = processor.parameters().getParameter (id);
    parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
}

// Everything on: two wide unison slots (one a string), sub, noise and pick,
// driven filter, distortion, per-voice LFOs and a routing from every source.
void makeHeavy (PlumoraAudioProcessor& processor)
{
    for (const auto& [id, value] : std::initializer_list<std::pair<const char*, float>> {
             { "osc1_unison", 16 }, { "osc2_unison", 16 }, { "osc2_level", 0.7f }, { "osc2_mode", 2 }, { "sub_level", 0.5f },
             { "noise_level", 0.2f }, { "pick_attack", 0.3f }, { "filt_drive", 0.6f }, { "filt_reso", 0.7f },
             { "dist_drive", 0.5f }, { "lfo2_mode", 1 }, { "lfo3_mode", 1 }, { "lfo1_depth", 1 }, { "lfo2_depth", 1 },
             { "lfo3_depth", 1 }, { "lfo4_depth", 1 }, { "lfo3_shape", 5 }, { "amp_release", 2 } })
        setPlain (processor, id, value);

    std::vector<ModRouting> routings;
    for (int source = 0; source < kNumModSources; ++source)
        routings.push_back ({ static_cast<ModSourceID> (source), (source * 7) % kNumParameters, 0.3f,
                              source % 2 ? ModScope::per_voice : ModScope::global, false });
    processor.engine().modMatrix().replaceRoutings (routings);
}
} // namespace

TEST (RealtimeSafety, InterposedLockCounterSeesMutexes)
{
    if (! test::ScopedLockCounter::isAvailable())
        GTEST_SKIP() << "sanitizer build";
    std::mutex mutex;
    test::ScopedLockCounter locks;
    { std::lock_guard<std::mutex> guard (mutex); }
    EXPECT_EQ (locks.count(), 1u);
}

TEST (RealtimeSafety, ProcessBlockWithThirtyTwoHeavyVoicesNeitherAllocatesNorLocks)
{
    PlumoraAudioProcessor processor;
    processor.prepareToPlay (48000.0, kBlock);
    makeHeavy (processor);

    juce::AudioBuffer<float> buffer (2, kBlock);
    juce::MidiBuffer notes, controls, empty;
    for (int i = 0; i < 32; ++i)
        notes.addEvent (juce::MidiMessage::noteOn (1 + i % 16, 30 + 2 * i, 0.8f), i);
    controls.addEvent (juce::MidiMessage::controllerEvent (1, 1, 90), 0);
    controls.addEvent (juce::MidiMessage::pitchWheel (1, 12000), 1);
    controls.addEvent (juce::MidiMessage::channelPressureChange (1, 70), 2);
    controls.addEvent (juce::MidiMessage::noteOff (3, 34), 3);
    processor.processBlock (buffer, empty); // first block outside the counters

    test::ScopedAllocationCounter allocations;
    std::size_t engineLocks = 0, blockLocks = 0;
    for (int block = 0; block < 40; ++block)
    {
        auto& midi = block == 0 ? notes : block % 10 == 5 ? controls : empty;
        {
            test::ScopedLockCounter locks;
            processor.processBlock (buffer, midi);
            blockLocks += locks.count();
        }
        float* channels[] = { buffer.getWritePointer (0), buffer.getWritePointer (1) };
        test::ScopedLockCounter locks;
        processor.engine().render (channels, 2, kBlock);
        engineLocks += locks.count();
    }

    EXPECT_EQ (allocations.count(), 0u);
    if (test::ScopedLockCounter::isAvailable())
    {
        EXPECT_EQ (engineLocks, 0u) << "the engine takes no lock";
        EXPECT_LE (blockLocks, 40u) << "only the on-screen keyboard's lock, once per block";
    }
    EXPECT_EQ (processor.engine().activeVoiceCount(), 32);
    for (int i = 0; i < kBlock; ++i)
        ASSERT_TRUE (std::isfinite (buffer.getSample (0, i)));
}
