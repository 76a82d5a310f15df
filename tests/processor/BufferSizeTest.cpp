// The same MIDI must sound the same whatever size of buffer the host uses:
// events at their sample, control values on a fixed grid, no steps in gains,
// and what is saved is what the user set.

#include "presets/HostParameters.h"
#include "presets/PresetDocument.h"
#include "processor/PluginProcessor.h"
#include "support/AllocationCounter.h"
#include "support/DrySound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <cmath>
#include <functional>
#include <vector>

using namespace plumora;

namespace
{
constexpr double kRate = 48000.0;

struct TimedMessage
{
    int sample;
    juce::MidiMessage message;
};

class TempoPlayHead : public juce::AudioPlayHead
{
public:
    juce::Optional<PositionInfo> position;
    juce::Optional<PositionInfo> getPosition() const override { return position; }
};

using test::set;

// A dry, plain sound: catalogue defaults, every global effect off, no attack
// and a short release, so each note starts and ends cleanly.
void usePlainSound (PlumoraAudioProcessor& processor)
{
    test::loadDryDefaults (processor, "Plain");
    set (processor, ParamID::amp_attack, 0.0f);
    set (processor, ParamID::amp_release, parameterSpec (ParamID::amp_release).min);
}

// Plays the messages through processBlock in host buffers whose sizes come
// from nextSize, and returns the left channel.
std::vector<float> play (PlumoraAudioProcessor& processor, const std::vector<TimedMessage>& messages, int totalSamples,
                         const std::function<int()>& nextSize, int largestSize)
{
    processor.prepareToPlay (kRate, largestSize);
    std::vector<float> out;
    juce::AudioBuffer<float> buffer (2, largestSize);
    std::size_t next = 0;
    for (int done = 0; done < totalSamples;)
    {
        const int size = std::min (nextSize(), totalSamples - done);
        juce::MidiBuffer midi;
        for (; next < messages.size() && messages[next].sample < done + size; ++next)
            midi.addEvent (messages[next].message, messages[next].sample - done);
        buffer.setSize (2, size, false, false, true);
        processor.processBlock (buffer, midi);
        out.insert (out.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + size);
        done += size;
    }
    return out;
}

std::vector<float> playInBuffersOf (int size, const std::vector<TimedMessage>& messages, int totalSamples,
                                    const std::function<void (PlumoraAudioProcessor&)>& sound)
{
    PlumoraAudioProcessor processor;
    sound (processor);
    return play (processor, messages, totalSamples, [size] { return size; }, size);
}

float peak (const std::vector<float>& x, int from, int to)
{
    float p = 0.0f;
    for (int i = std::max (from, 0); i < std::min (to, static_cast<int> (x.size())); ++i)
        p = std::max (p, std::abs (x[static_cast<std::size_t> (i)]));
    return p;
}

float largestDifference (const std::vector<float>& a, const std::vector<float>& b)
{
    float d = 0.0f;
    for (std::size_t i = 0; i < std::min (a.size(), b.size()); ++i)
        d = std::max (d, std::abs (a[i] - b[i]));
    return d;
}

float largestStep (const std::vector<float>& x)
{
    float step = 0.0f;
    for (std::size_t i = 1; i < x.size(); ++i)
        step = std::max (step, std::abs (x[i] - x[i - 1]));
    return step;
}

// Samples where sound starts after at least 32 silent samples.
std::vector<int> onsets (const std::vector<float>& x)
{
    std::vector<int> found;
    int silentRun = 32;
    for (std::size_t i = 0; i < x.size(); ++i)
    {
        if (x[i] != 0.0f && silentRun >= 32)
            found.push_back (static_cast<int> (i));
        silentRun = x[i] == 0.0f ? silentRun + 1 : 0;
    }
    return found;
}

// Eight 4 ms staccato notes, 4800 samples apart, starting off the grid.
std::vector<TimedMessage> staccatoNotes()
{
    std::vector<TimedMessage> messages;
    for (int n = 0; n < 8; ++n)
    {
        const int start = 1000 + 4800 * n + 37 * n;
        messages.push_back ({ start, juce::MidiMessage::noteOn (1, 60, 0.8f) });
        messages.push_back ({ start + 192, juce::MidiMessage::noteOff (1, 60) });
    }
    return messages;
}
} // namespace

TEST (BufferSize, NotesStartOnTheirSampleAndShortNotesAllSoundAlike)
{
    const auto messages = staccatoNotes();
    const int total = 1000 + 4800 * 8 + 2000;
    // One oscillator copy without drift, so every note has the same level.
    const auto sound = [] (PlumoraAudioProcessor& processor)
    {
        usePlainSound (processor);
        set (processor, ParamID::osc1_unison, 1.0f);
        set (processor, ParamID::osc1_drift_amt, 0.0f);
    };
    const auto reference = playInBuffersOf (64, messages, total, sound);

    for (const int size : { 1, 17, 512, 1024, 4096, 8192 })
    {
        SCOPED_TRACE (size);
        const auto out = playInBuffersOf (size, messages, total, sound);

        std::vector<int> expected;
        for (const auto& m : messages)
            if (m.message.isNoteOn())
                expected.push_back (m.sample);
        EXPECT_EQ (onsets (out), expected);

        std::vector<float> levels;
        for (const int start : expected)
            levels.push_back (peak (out, start, start + 1200));
        const auto [quietest, loudest] = std::minmax_element (levels.begin(), levels.end());
        EXPECT_GT (*quietest, 0.01f) << "every short note sounds";
        EXPECT_LT (*loudest / *quietest, 1.1f) << "and at the same level " << ::testing::PrintToString (levels);

        // Buffers on the control grid sound identical; others add control
        // points, which may move a note's first samples a little, never its level.
        if (size % SynthEngine::kControlInterval == 0)
            EXPECT_EQ (largestDifference (out, reference), 0.0f);
        for (const int start : expected)
            EXPECT_NEAR (peak (out, start, start + 1200), peak (reference, start, start + 1200), 0.05f * peak (reference, start, start + 1200));
    }
}

TEST (BufferSize, AFastLfoOnTheCutoffSoundsTheSameAtAnyBufferSize)
{
    const auto sound = [] (PlumoraAudioProcessor& processor)
    {
        usePlainSound (processor);
        set (processor, ParamID::filt_cutoff, 1500.0f);
        set (processor, ParamID::filt_reso, 0.5f);
        set (processor, ParamID::lfo1_rate, 8.0f);
        set (processor, ParamID::lfo1_depth, 1.0f);
        processor.engine().modMatrix().replaceRoutings ({ { ModSourceID::lfo1, index (ParamID::filt_cutoff), 0.8f, ModScope::global, false } });
    };
    const std::vector<TimedMessage> chord { { 100, juce::MidiMessage::noteOn (1, 48, 0.9f) }, { 100, juce::MidiMessage::noteOn (1, 55, 0.9f) },
                                            { 30000, juce::MidiMessage::noteOff (1, 48) }, { 30000, juce::MidiMessage::noteOff (1, 55) } };
    const int total = 36000;
    const auto reference = playInBuffersOf (64, chord, total, sound);
    const float level = peak (reference, 0, total);
    ASSERT_GT (level, 0.05f);

    // Buffers on the control grid render identically; any other cutting adds
    // control points, which may move the sound by rounding-sized amounts.
    for (const int size : { 512, 4096 })
        EXPECT_EQ (largestDifference (playInBuffersOf (size, chord, total, sound), reference), 0.0f) << size;

    PlumoraAudioProcessor processor;
    sound (processor);
    juce::Random random (7);
    const auto changing = play (processor, chord, total, [&random] { return 1 + random.nextInt (3000); }, 3000);
    EXPECT_LT (largestDifference (changing, reference), level * 0.05f) << "buffers of 1 to 3000 samples, changing every block";
}

TEST (BufferSize, ASquareLfoOnTheMasterVolumeDoesNotClick)
{
    const auto sound = [] (PlumoraAudioProcessor& processor)
    {
        ASSERT_TRUE (processor.presets().loadPresetByName ("Warm Pad"));
        const auto pad = processor.getCurrentPresetName();
        ASSERT_TRUE (processor.presets().loadPresetByName ("Trance Gate")); // a square LFO on master_vol
        EXPECT_EQ (processor.engine().modMatrix().routings().size(), 1u) << pad;
    };
    const std::vector<TimedMessage> chord { { 0, juce::MidiMessage::noteOn (1, 60, 0.9f) }, { 0, juce::MidiMessage::noteOn (1, 64, 0.9f) },
                                            { 0, juce::MidiMessage::noteOn (1, 67, 0.9f) } };
    for (const int size : { 64, 4096 })
    {
        const auto out = playInBuffersOf (size, chord, 96000, sound);
        const float level = peak (out, 48000, 96000);
        ASSERT_GT (level, 0.05f);
        // Without the gate this pad moves at most ~0.02 between samples.
        EXPECT_LT (largestStep (out), 0.03f) << size;
    }
}

TEST (BufferSize, EventOffsetsOutsideTheBlockCountAtItsNearerEnd)
{
    PlumoraAudioProcessor processor;
    usePlainSound (processor);
    processor.prepareToPlay (kRate, 256);
    juce::AudioBuffer<float> buffer (2, 256);

    juce::MidiBuffer late;
    late.addEvent (juce::MidiMessage::noteOn (1, 60, 0.8f), 9000);
    processor.processBlock (buffer, late);
    EXPECT_EQ (onsets ({ buffer.getReadPointer (0), buffer.getReadPointer (0) + 256 }), std::vector<int> { 255 });

    juce::MidiBuffer early;
    early.addEvent (juce::MidiMessage::noteOff (1, 60), -50);
    early.addEvent (juce::MidiMessage::noteOn (1, 72, 0.8f), -10);
    processor.processBlock (buffer, early);
    const auto& pool = processor.engine().voicePool();
    EXPECT_FALSE (pool[0].isHeld()) << "the note off, first";
    EXPECT_TRUE (pool[1].isHeld() && pool[1].note() == 72) << "then the note on, both at the first sample";
}

TEST (BufferSize, ThousandsOfEventsInOneBlockAllLandWithoutAllocating)
{
    PlumoraAudioProcessor processor;
    usePlainSound (processor);
    processor.prepareToPlay (kRate, 4096);
    juce::AudioBuffer<float> buffer (2, 4096);
    juce::MidiBuffer midi;
    for (int i = 0; i < 4000; ++i)
        midi.addEvent (juce::MidiMessage::controllerEvent (1, 1, i % 128), i);
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, 0.8f), 4001);
    midi.addEvent (juce::MidiMessage::controllerEvent (1, 1, 99), 4002);
    processor.processBlock (buffer, midi); // warm-up: the log thread and first-use paths

    std::size_t allocations = 0;
    {
        test::ScopedAllocationCounter counter;
        processor.processBlock (buffer, midi);
        allocations = counter.count();
    }
    EXPECT_EQ (allocations, 0u);
    EXPECT_FLOAT_EQ (processor.engine().globalSources().modWheel, 99.0f / 127.0f);
    EXPECT_GE (processor.engine().activeVoiceCount(), 1);
}

// The arpeggiator as a DAW and the standalone app drive it.
struct ArpTiming : testing::Test
{
    PlumoraAudioProcessor processor;
    TempoPlayHead playHead;

    ArpTiming()
    {
        usePlainSound (processor);
        set (processor, ParamID::arp_enabled, 1.0f);
        set (processor, ParamID::arp_rate, 2.0f); // 1/16
        set (processor, ParamID::arp_gate, 0.5f);
        processor.setPlayHead (&playHead);
    }
    ~ArpTiming() override { processor.setPlayHead (nullptr); }

    std::vector<int> stepsWhileHolding (std::vector<int> notes, int total, int bufferSize,
                                        const std::function<void (int done)>& duringPlay = {})
    {
        std::vector<TimedMessage> keys;
        for (const int note : notes)
            keys.push_back ({ 300, juce::MidiMessage::noteOn (1, note, 0.8f) });
        // Let go at the end: held keys would arpeggiate on into the next play.
        for (const int note : notes)
            keys.push_back ({ total - 1, juce::MidiMessage::noteOff (1, note) });
        int done = 0;
        const auto out = play (processor, keys, total, [&]
        {
            if (duringPlay)
                duringPlay (done);
            done += bufferSize;
            return bufferSize;
        }, bufferSize);
        return onsets (out);
    }
};

TEST_F (ArpTiming, StepsFallOnTheTempoGridAtAnyBufferSize)
{
    juce::AudioPlayHead::PositionInfo info;
    info.setBpm (120.0); // 1/16 at 48 kHz: 6000 samples
    playHead.position = info;
    for (const int size : { 64, 512, 1000, 4096 })
    {
        const auto steps = stepsWhileHolding ({ 60 }, 30000, size);
        EXPECT_EQ (steps, (std::vector<int> { 300, 6300, 12300, 18300, 24300 })) << size;
    }
}

TEST_F (ArpTiming, WithoutAHostTempoTheArpFollowsItsOwnBpm)
{
    playHead.position = juce::AudioPlayHead::PositionInfo(); // a position, but no tempo (the standalone player)
    set (processor, ParamID::arp_bpm, 60.0f);                  // 1/16: 12000 samples
    EXPECT_EQ (stepsWhileHolding ({ 60 }, 40000, 512), (std::vector<int> { 300, 12300, 24300, 36300 }));
    EXPECT_EQ (processor.engine().tempo(), 60.0) << "delay sync follows the same tempo";
}

TEST_F (ArpTiming, ANewPatternOrOctaveRangeIsHeardFromTheNextStep)
{
    juce::AudioPlayHead::PositionInfo info;
    info.setBpm (120.0);
    playHead.position = info;

    std::vector<int> started;
    std::array<bool, VoicePool::kSize> wasHeld {};
    // Before each 600-sample buffer: the voices that started in the last one
    // (steps are 6000 samples apart, notes last 3000), then the edits.
    const auto watch = [&] (int done)
    {
        for (int i = 0; i < VoicePool::kSize; ++i)
        {
            const auto& voice = processor.engine().voicePool()[i];
            if (voice.isHeld() && ! wasHeld[static_cast<std::size_t> (i)])
                started.push_back (voice.note());
            wasHeld[static_cast<std::size_t> (i)] = voice.isHeld();
        }
        if (done == 6000 * 3)
            set (processor, ParamID::arp_pattern, 1.0f); // Down, from the step at 18300
        if (done == 6000 * 5)
            set (processor, ParamID::arp_octaves, 2.0f); // from the step at 30300
    };
    stepsWhileHolding ({ 60, 64, 67 }, 6000 * 9 + 600, 600, watch);
    EXPECT_EQ (started, (std::vector<int> { 60, 64, 67, 67, 64, 72, 67, 64, 60 }));
}

TEST (Traces, FollowTheNewestVoicesModulationAlikeAtAnyBufferSize)
{
    // First Light routes its envelope to the cutoff per voice: a held note
    // must show a moving range on the cutoff.
    const auto rangeAfter = [] (int size)
    {
        PlumoraAudioProcessor processor;
        play (processor, { { 0, juce::MidiMessage::noteOn (1, 60, 0.9f) } }, 8192, [size] { return size; }, size);
        return processor.engine().modulationRange (ParamID::filt_cutoff);
    };
    const auto small = rangeAfter (64);
    const auto large = rangeAfter (4096);
    EXPECT_GT (small.high - small.low, 20.0f) << small.low << " .. " << small.high;
    EXPECT_EQ (small.low, large.low);
    EXPECT_EQ (small.high, large.high);
}

TEST (Capture, SavesTheValuesTheUserSetEvenWithNoAudioRunning)
{
    PlumoraAudioProcessor processor; // never prepared: no audio device
    set (processor, ParamID::filt_cutoff, 321.0f);
    set (processor, ParamID::reverb_mix, 0.55f);

    const auto file = processor.presets().savePreset ("Knob Turned Offline", {}, PresetScope::complete);
    ASSERT_TRUE (file.existsAsFile());
    const auto saved = readPresetFile (file);
    const auto values = presetValuesOver ({}, saved);
    EXPECT_NEAR (values[static_cast<std::size_t> (index (ParamID::filt_cutoff))], 321.0f, 0.01f);
    EXPECT_NEAR (values[static_cast<std::size_t> (index (ParamID::reverb_mix))], 0.55f, 1e-6f);
    file.deleteFile();

    const auto snapshot = processor.engine().snapshot (HostParameters::read (processor.parameters()));
    float cutoff;
    std::memcpy (&cutoff, &snapshot[1 + static_cast<std::size_t> (index (ParamID::filt_cutoff))], sizeof (cutoff));
    EXPECT_NEAR (cutoff, 321.0f, 0.01f);

    juce::MemoryBlock state;
    processor.getStateInformation (state);
    PlumoraAudioProcessor restored;
    restored.setStateInformation (state.getData(), static_cast<int> (state.getSize()));
    EXPECT_NEAR (HostParameters::read (restored.parameters())[static_cast<std::size_t> (index (ParamID::filt_cutoff))], 321.0f, 0.01f);
}
