// Storms: every block sets all parameters to random values while random MIDI
// plays on all 16 channels, MPE switching on and off, at every common sample
// rate and at block sizes from 1 to 4096 (and sizes that vary from block to
// block). The output must stay finite and below +24 dBFS, the audio thread
// must never allocate, and once every note is let go no voice may stay on.

#include "processor/PluginProcessor.h"
#include "support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>

namespace
{
constexpr float kCeiling = 15.85f; // +24 dBFS
constexpr int kLargestBlock = 4096;

struct Segment
{
    int blockSize; // 0: a new random size below the prepared largest every block
    double seconds;
};

// A minute of audio per sample rate; one-sample blocks cost a whole block's
// bookkeeping per sample, so they get a shorter turn.
constexpr Segment kSegments[] = { { 4096, 12.0 }, { 512, 12.0 }, { 64, 12.0 }, { 17, 12.0 }, { 0, 12.0 }, { 1, 1.0 } };

class Storm
{
public:
    explicit Storm (std::uint32_t seed) : random (seed) {}

    // As a VST3 host sets them: the value, then the parameter's listeners.
    void randomiseParameters (PlumoraAudioProcessor& processor)
    {
        for (auto* parameter : processor.getParameters())
        {
            const float value = unit (random);
            parameter->setValue (value);
            parameter->sendValueChangedMessageToListeners (value);
        }
    }

    // A handful of events at random offsets: notes (and their releases),
    // controllers (sustain, mod wheel, brightness and any other number),
    // pitch bend, channel and poly pressure, on any channel.
    void fillMidi (juce::MidiBuffer& midi, int numSamples)
    {
        midi.clear();
        const int events = std::uniform_int_distribution<int> (0, 6) (random);
        for (int e = 0; e < events; ++e)
        {
            const int offset = std::uniform_int_distribution<int> (0, numSamples - 1) (random);
            const int channel = std::uniform_int_distribution<int> (1, 16) (random);
            const int kind = std::uniform_int_distribution<int> (0, 9) (random);
            const int a = std::uniform_int_distribution<int> (0, 127) (random);
            const int b = std::uniform_int_distribution<int> (0, 127) (random);
            if (kind <= 2)
            {
                midi.addEvent (juce::MidiMessage::noteOn (channel, a, static_cast<juce::uint8> (b)), offset);
                held.insert ({ channel, a });
            }
            else if (kind <= 4 && ! held.empty())
            {
                auto note = std::next (held.begin(), std::uniform_int_distribution<int> (0, static_cast<int> (held.size()) - 1) (random));
                midi.addEvent (juce::MidiMessage::noteOff (note->first, note->second), offset);
                held.erase (note);
            }
            else if (kind == 5)
            {
                const int controllers[] = { 1, 64, 74, 7, 11, 121, 0, 32, a };
                midi.addEvent (juce::MidiMessage::controllerEvent (channel, controllers[b % 9], a), offset);
            }
            else if (kind == 6)
                midi.addEvent (juce::MidiMessage::pitchWheel (channel, a * 128 + b), offset);
            else if (kind == 7)
                midi.addEvent (juce::MidiMessage::channelPressureChange (channel, a), offset);
            else if (kind == 8)
                midi.addEvent (juce::MidiMessage::aftertouchChange (channel, a, b), offset);
            else if (! held.empty()) // a note-off in disguise
            {
                auto note = std::next (held.begin(), std::uniform_int_distribution<int> (0, static_cast<int> (held.size()) - 1) (random));
                midi.addEvent (juce::MidiMessage::noteOn (note->first, note->second, static_cast<juce::uint8> (0)), offset);
                held.erase (note);
            }
        }
    }

    // Every note still down let go, then the pedal up.
    void releaseEverything (juce::MidiBuffer& midi)
    {
        midi.clear();
        for (const auto& [channel, note] : held)
            midi.addEvent (juce::MidiMessage::noteOff (channel, note), 0);
        held.clear();
        for (int channel = 1; channel <= 16; ++channel)
            midi.addEvent (juce::MidiMessage::controllerEvent (channel, 64, 0), 0);
    }

    int blockSizeFor (const Segment& segment)
    {
        return segment.blockSize > 0 ? segment.blockSize : std::uniform_int_distribution<int> (1, kLargestBlock - 1) (random);
    }

    bool coin() { return unit (random) < 0.5f; }

private:
    std::mt19937 random;
    std::uniform_real_distribution<float> unit { 0.0f, 1.0f };
    std::multiset<std::pair<int, int>> held; // (channel, note) of every note-on not yet let go
};

class StormAtRate : public testing::TestWithParam<double>
{
};

TEST_P (StormAtRate, StaysFiniteBoundedAllocationFreeAndLeavesNoVoiceOn)
{
    const double rate = GetParam();
    PlumoraAudioProcessor processor;
    processor.prepareToPlay (rate, kLargestBlock);
    juce::AudioBuffer<float> buffer (2, kLargestBlock);
    juce::MidiBuffer midi;
    Storm storm (static_cast<std::uint32_t> (rate));

    float offending = 0.0f;
    auto renderBlock = [&] (int size)
    {
        buffer.clear();
        juce::AudioBuffer<float> view (buffer.getArrayOfWritePointers(), 2, size);
        plumora::test::ScopedAllocationCounter allocations;
        processor.processBlock (view, midi);
        EXPECT_EQ (allocations.count(), 0u) << "block of " << size;
        for (int channel = 0; channel < 2; ++channel)
        {
            const float* x = view.getReadPointer (channel);
            for (int s = 0; s < size; ++s)
                if (! (std::abs (x[s]) < kCeiling))
                {
                    offending = x[s];
                    return false;
                }
        }
        return true;
    };

    for (const auto& segment : kSegments)
    {
        for (double rendered = 0.0; rendered < segment.seconds;)
        {
            const int size = storm.blockSizeFor (segment);
            storm.randomiseParameters (processor);
            storm.fillMidi (midi, size);
            if (storm.coin() && storm.coin() && storm.coin())
                processor.engine().setMpeEnabled (! processor.engine().isMpeEnabled());
            ASSERT_TRUE (renderBlock (size)) << offending << " (non-finite or above +24 dBFS) in a block of " << size << " at " << rate << " Hz";
            rendered += size / rate;
        }
    }

    // Let go of everything and wait out the release, twice its time: the
    // envelope covers 99 % of its way in the set time and stops at -80 dB.
    storm.releaseEverything (midi);
    ASSERT_TRUE (renderBlock (512));
    midi.clear();
    const float release = processor.parameters().getRawParameterValue ("amp_release")->load();
    for (double waited = 0.0; waited < 2.0 * release + 0.5; waited += 512 / rate)
        ASSERT_TRUE (renderBlock (512));
    EXPECT_EQ (processor.engine().activeVoiceCount(), 0) << "release " << release << " s";
}

INSTANTIATE_TEST_SUITE_P (CommonRates, StormAtRate, testing::Values (22050.0, 44100.0, 48000.0, 96000.0, 192000.0),
                          [] (const testing::TestParamInfo<double>& rate) { return std::to_string (static_cast<int> (rate.param)) + "Hz"; });
} // namespace
