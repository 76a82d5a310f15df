// What hosts do to a plug-in besides playing it: preparing it again and
// again with other rates and sizes while notes sound, releasing and
// re-preparing it, running two instances on two threads, saving its state
// and changing its program while the audio thread renders.

#include "presets/PresetDocument.h"
#include "presets/HostParameters.h"
#include "processor/PluginProcessor.h"
#include "support/Spectrum.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

using namespace plumora;

namespace
{
constexpr float kCeiling = 15.85f; // +24 dBFS

// Renders blocks of one size, with the MIDI given for the first block;
// returns the left channel and fails on a non-finite or runaway sample.
std::vector<float> renderLeft (PlumoraAudioProcessor& processor, int blocks, int blockSize,
                               std::initializer_list<juce::MidiMessage> firstBlockMidi = {})
{
    std::vector<float> left;
    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::MidiBuffer midi;
    for (const auto& message : firstBlockMidi)
        midi.addEvent (message, 0);
    for (int b = 0; b < blocks; ++b)
    {
        buffer.clear();
        processor.processBlock (buffer, midi);
        midi.clear();
        for (int channel = 0; channel < 2; ++channel)
            for (int s = 0; s < blockSize; ++s)
                if (! (std::abs (buffer.getSample (channel, s)) < kCeiling))
                {
                    ADD_FAILURE() << "sample " << buffer.getSample (channel, s) << " in block " << b;
                    return left;
                }
        left.insert (left.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + blockSize);
    }
    return left;
}

// The catalogue's plain sound with one still saw copy, so the pitch is easy
// to measure.
void loadPlainSound (PlumoraAudioProcessor& processor)
{
    PresetDocument plain;
    plain.name = "Init";
    plain.wavetable1 = "factory:saw";
    plain.wavetable2 = "factory:saw";
    processor.presets().loadPreset (plain);
    for (const auto& [id, value] : { std::pair { "osc1_unison", 1.0f }, { "osc1_drift_amt", 0.0f }, { "chorus_bypass", 1.0f } })
    {
        auto* parameter = processor.parameters().getParameter (id);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
    }
}

const juce::MidiMessage kChord[] = { juce::MidiMessage::noteOn (1, 48, 0.9f), juce::MidiMessage::noteOn (1, 55, 0.8f),
                                     juce::MidiMessage::noteOn (1, 64, 0.7f), juce::MidiMessage::noteOn (1, 71, 0.6f) };
} // namespace

TEST (HostLifecycle, PreparingAgainWhileNotesSoundKeepsEveryRateAndSizeSound)
{
    PlumoraAudioProcessor processor; // "First Light"
    processor.prepareToPlay (48000.0, 512);
    renderLeft (processor, 10, 512, { kChord[0], kChord[1], kChord[2], kChord[3] });

    struct Setting
    {
        double rate;
        int blockSize;
    };
    for (const auto& setting : { Setting { 96000.0, 64 }, Setting { 44100.0, 4096 }, Setting { 22050.0, 17 },
                                 Setting { 192000.0, 1024 }, Setting { 48000.0, 1 }, Setting { 48000.0, 512 } })
    {
        processor.prepareToPlay (setting.rate, setting.blockSize);
        const int blocks = std::max (1, static_cast<int> (0.2 * setting.rate) / setting.blockSize);
        const auto out = renderLeft (processor, blocks, setting.blockSize);
        ASSERT_EQ (static_cast<int> (out.size()), blocks * setting.blockSize) << setting.rate << " Hz";
    }

    renderLeft (processor, 1, 512, { juce::MidiMessage::allNotesOff (1) });
    renderLeft (processor, static_cast<int> (6.0 * 48000.0 / 512), 512);
    EXPECT_EQ (processor.engine().activeVoiceCount(), 0);
}

TEST (HostLifecycle, ReleasedAndPreparedAgainItPlaysInTuneAtTheNewRate)
{
    auto pitchOfNewNote = [] (PlumoraAudioProcessor& processor, double rate)
    {
        const int blocks = static_cast<int> (rate) / 480; // a second
        const auto out = renderLeft (processor, blocks, 480, { juce::MidiMessage::noteOn (1, 69, 0.8f) });
        return test::dominantFrequency (out, rate);
    };

    PlumoraAudioProcessor processor;
    loadPlainSound (processor);
    processor.prepareToPlay (44100.0, 256);
    renderLeft (processor, 20, 256, { juce::MidiMessage::noteOn (1, 60, 0.8f) });

    for (const double rate : { 96000.0, 22050.0, 48000.0 })
    {
        processor.releaseResources();
        processor.prepareToPlay (rate, 480);
        renderLeft (processor, 1, 480, { juce::MidiMessage::allNotesOff (1) });
        renderLeft (processor, static_cast<int> (rate) / 480, 480); // the release dies away

        EXPECT_NEAR (pitchOfNewNote (processor, rate), 440.0, 1.0) << rate << " Hz";
    }
}

TEST (HostLifecycle, TwoInstancesOnTwoThreadsSoundExactlyAsTheyDoAlone)
{
    auto play = [] (const char* preset)
    {
        PlumoraAudioProcessor processor;
        processor.presets().loadPresetByName (preset);
        processor.prepareToPlay (48000.0, 256);
        return renderLeft (processor, 300, 256, { kChord[0], kChord[1], kChord[2], kChord[3] });
    };
    const auto aloneA = play ("First Light");
    const auto aloneB = play ("Ping Pong Delay");
    ASSERT_GT (test::rms (aloneA), 1e-3);
    ASSERT_GT (test::rms (aloneB), 1e-3);

    for (int round = 0; round < 3; ++round)
    {
        std::vector<float> togetherA, togetherB;
        std::thread other ([&] { togetherB = play ("Ping Pong Delay"); });
        togetherA = play ("First Light");
        other.join();
        EXPECT_EQ (togetherA, aloneA) << "round " << round;
        EXPECT_EQ (togetherB, aloneB) << "round " << round;
    }
}

TEST (HostLifecycle, SavingTheStateWhileTheAudioThreadRendersChangesNothingAndLosesNothing)
{
    auto fresh = []
    {
        auto processor = std::make_unique<PlumoraAudioProcessor>();
        processor->prepareToPlay (48000.0, 256);
        return processor;
    };
    auto reference = fresh();
    const auto alone = renderLeft (*reference, 400, 256, { kChord[0], kChord[1] });
    juce::MemoryBlock expectedState;
    reference->getStateInformation (expectedState);

    auto processor = fresh();
    std::vector<float> rendered;
    std::atomic<bool> done { false };
    std::thread audio ([&] {
        rendered = renderLeft (*processor, 400, 256, { kChord[0], kChord[1] });
        done = true;
    });
    int saves = 0;
    while (! done || saves == 0)
    {
        juce::MemoryBlock state;
        processor->getStateInformation (state);
        ASSERT_EQ (state, expectedState) << "save " << saves;
        ++saves;
    }
    audio.join();
    EXPECT_EQ (rendered, alone);

    // The saved state restores the same sound into a new instance (which
    // takes it in with its next block).
    auto restored = fresh();
    restored->setStateInformation (expectedState.getData(), static_cast<int> (expectedState.getSize()));
    renderLeft (*restored, 1, 256);
    EXPECT_EQ (restored->engine().snapshot (HostParameters::read (restored->parameters())),
               processor->engine().snapshot (HostParameters::read (processor->parameters())));
}

TEST (HostLifecycle, ProgramChangesDuringPlaybackTakeEffectAndStaySound)
{
    PlumoraAudioProcessor processor;
    processor.prepareToPlay (48000.0, 128);
    const int programs = processor.getNumPrograms();
    ASSERT_GT (programs, 3);

    std::atomic<bool> stop { false };
    std::thread audio ([&] {
        juce::AudioBuffer<float> buffer (2, 128);
        juce::MidiBuffer midi;
        int block = 0;
        while (! stop)
        {
            buffer.clear();
            midi.clear();
            if (block % 40 == 0)
                midi.addEvent (juce::MidiMessage::noteOn (1, 48 + block / 40 % 24, 0.8f), 0);
            if (block % 40 == 30)
                midi.addEvent (juce::MidiMessage::noteOff (1, 48 + block / 40 % 24), 0);
            processor.processBlock (buffer, midi);
            for (int channel = 0; channel < 2; ++channel)
                for (int s = 0; s < 128; ++s)
                    if (! (std::abs (buffer.getSample (channel, s)) < kCeiling))
                    {
                        ADD_FAILURE() << "sample " << buffer.getSample (channel, s) << " in block " << block;
                        return;
                    }
            ++block;
        }
    });

    for (int round = 0; round < 3; ++round)
        for (int program = 0; program < programs; ++program)
        {
            processor.setCurrentProgram (program);
            EXPECT_EQ (processor.getCurrentProgram(), program);
            std::this_thread::sleep_for (std::chrono::milliseconds (2));
        }
    stop = true;
    audio.join();
    EXPECT_EQ (processor.getCurrentPresetName(), processor.getProgramName (programs - 1));
}

namespace
{
// What a VST3 host's program parameter does: it keeps the last program it
// set or was told of, and setting it to the program the plug-in reports
// loads nothing (JUCE's wrapper compares first).
struct ProgramParameterHost : juce::AudioProcessorListener
{
    explicit ProgramParameterHost (PlumoraAudioProcessor& p) : processor (p)
    {
        program = processor.getCurrentProgram();
        processor.addListener (this);
    }
    ~ProgramParameterHost() override { processor.removeListener (this); }

    void setProgram (int index)
    {
        program = index;
        if (index != processor.getCurrentProgram())
            processor.setCurrentProgram (index);
    }

    void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override {}
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails& details) override
    {
        if (details.programChanged)
            program = processor.getCurrentProgram();
    }

    PlumoraAudioProcessor& processor;
    int program = 0;
};

int programNamed (PlumoraAudioProcessor& processor, const juce::String& name)
{
    for (int i = 0; i < processor.getNumPrograms(); ++i)
        if (processor.getProgramName (i) == name)
            return i;
    return -1;
}

juce::MemoryBlock stateOf (PlumoraAudioProcessor& processor)
{
    juce::MemoryBlock state;
    processor.getStateInformation (state);
    return state;
}
} // namespace

// A project saved after the user picked a preset in the plug-in's own
// browser (a factory one, or their own) comes back as saved when the host
// then sets the program it stored, whatever the order.
TEST (HostPrograms, AProgramTheHostStoredNeverLoadsOverTheRestoredSound)
{
    struct Case
    {
        const char* browsed; // what the editor loads after the host picked "Bloom Lead"
        bool userPreset;
    };
    for (const Case& c : { Case { "Glass Pluck", false }, Case { "My Lead", true } })
    {
        PlumoraAudioProcessor saved;
        ProgramParameterHost savedHost (saved);
        savedHost.setProgram (programNamed (saved, "Bloom Lead"));
        if (c.userPreset)
        {
            PresetDocument own = saved.presets().getFactoryPresets()[static_cast<std::size_t> (programNamed (saved, "Glass Pluck"))];
            own.name = c.browsed;
            saved.presets().loadPreset (own);
        }
        else
        {
            ASSERT_TRUE (saved.presets().loadPresetByName (c.browsed));
        }
        HostParameters::write (saved.parameters(), ParamID::filt_cutoff, 321.0f);
        const auto chunk = stateOf (saved);
        const int storedProgram = savedHost.program;
        EXPECT_EQ (storedProgram, saved.getCurrentProgram()) << c.browsed << ": the host's program is stale";

        for (const bool programFirst : { false, true })
        {
            PlumoraAudioProcessor reopened;
            ProgramParameterHost host (reopened);
            if (programFirst)
                host.setProgram (storedProgram);
            reopened.setStateInformation (chunk.getData(), static_cast<int> (chunk.getSize()));
            host.setProgram (storedProgram);
            EXPECT_TRUE (stateOf (reopened) == chunk) << c.browsed << (programFirst ? ", program first" : ", chunk first");
            EXPECT_EQ (reopened.getCurrentPresetName(), c.browsed);
        }
    }
}

// States saved before the program travelled with them: the preset name tells
// the program when it is a factory one.
TEST (HostPrograms, AStateWithoutProgramTakesItFromItsPresetName)
{
    PlumoraAudioProcessor saved;
    saved.setCurrentProgram (programNamed (saved, "Reese Bass"));
    auto state = saved.parameters().copyState();
    state.setProperty ("presetName", "Reese Bass", nullptr);
    juce::MemoryBlock chunk;
    juce::AudioProcessor::copyXmlToBinary (*state.createXml(), chunk);

    PlumoraAudioProcessor reopened;
    reopened.setStateInformation (chunk.getData(), static_cast<int> (chunk.getSize()));
    EXPECT_EQ (reopened.getCurrentProgram(), programNamed (reopened, "Reese Bass"));
    EXPECT_EQ (reopened.getCurrentPresetName(), "Reese Bass");
}
