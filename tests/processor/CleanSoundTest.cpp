// Faults a musician hears, measured on audio rendered through processBlock:
// steps in the waveform, pitch that jumps, pan knobs that do nothing.

#include "dsp/FactoryWavetables.h"
#include "presets/HostParameters.h"
#include "presets/PresetDocument.h"
#include "processor/PluginProcessor.h"
#include "support/DrySound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace plumora;

namespace
{
constexpr double kRate = 48000.0;
constexpr int kBlock = 512;

struct Stereo
{
    std::vector<float> left, right;
};

struct Note
{
    int sample, note;
    bool on = true;
};

using test::set;

// One sine oscillator, one copy, no drift, every global effect off.
void useSine (PlumoraAudioProcessor& processor)
{
    test::loadDryDefaults (processor, "Sine");
    processor.engine().setWavetable (0, makeFactoryWavetable ("factory:sine"), "factory:sine");
    set (processor, ParamID::osc1_unison, 1.0f);
    set (processor, ParamID::osc1_drift_amt, 0.0f);
    set (processor, ParamID::filt_cutoff, 20000.0f);
    processor.prepareToPlay (kRate, kBlock);
}

Stereo render (PlumoraAudioProcessor& processor, const std::vector<Note>& notes, int totalSamples)
{
    Stereo out;
    juce::AudioBuffer<float> buffer (2, kBlock);
    for (int done = 0; done < totalSamples; done += kBlock)
    {
        juce::MidiBuffer midi;
        for (const auto& n : notes)
            if (n.sample >= done && n.sample < done + kBlock)
                midi.addEvent (n.on ? juce::MidiMessage::noteOn (1, n.note, 0.8f) : juce::MidiMessage::noteOff (1, n.note), n.sample - done);
        buffer.clear();
        processor.processBlock (buffer, midi);
        out.left.insert (out.left.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + kBlock);
        out.right.insert (out.right.end(), buffer.getReadPointer (1), buffer.getReadPointer (1) + kBlock);
    }
    return out;
}

float largestStep (const std::vector<float>& x, int from, int to)
{
    float largest = 0.0f;
    for (int i = std::max (from, 1); i < std::min (to, static_cast<int> (x.size())); ++i)
        largest = std::max (largest, std::abs (x[static_cast<std::size_t> (i)] - x[static_cast<std::size_t> (i - 1)]));
    return largest;
}

double rms (const std::vector<float>& x, int from, int to)
{
    double sum = 0.0;
    for (int i = from; i < to; ++i)
        sum += static_cast<double> (x[static_cast<std::size_t> (i)]) * x[static_cast<std::size_t> (i)];
    return std::sqrt (sum / std::max (1, to - from));
}
} // namespace

// A mono voice taken over by a new key keeps its oscillators and sub
// running: only the pitch moves, so the waveform steps no more than it does
// while a note holds.
TEST (CleanSound, MonoLegatoNotesDoNotRestartTheWaveform)
{
    struct Case
    {
        const char* name;
        float glide, subLevel;
    };
    for (const auto& c : { Case { "no glide", 0.0f, 0.0f }, Case { "glide", 0.08f, 0.0f }, Case { "with the sub", 0.0f, 0.7f } })
    {
        PlumoraAudioProcessor processor;
        useSine (processor);
        set (processor, ParamID::voice_mode, 1.0f);
        set (processor, ParamID::glide_time, c.glide);
        set (processor, ParamID::sub_level, c.subLevel);
        const auto out = render (processor, { { 0, 57 }, { 24000, 60 }, { 36000, 57, false }, { 48000, 64 }, { 60000, 60, false } }, 72000);

        // Compared with the steady sound of the higher of the two notes.
        for (const int takeOver : { 24000, 48000 })
        {
            const float steady = largestStep (out.left, takeOver + 6000, takeOver + 12000);
            ASSERT_GT (steady, 0.001f) << c.name;
            EXPECT_LT (largestStep (out.left, takeOver - 64, takeOver + 2048), 1.5f * steady)
                << c.name << ": the waveform steps when a key takes over the voice at " << takeOver;
        }
    }
}

// Drift starts at nothing and fades in: the pitch of a note's first cycles
// moves smoothly, never by a step (the deepest drift is a quarter tone).
TEST (CleanSound, DriftStartsWithoutAPitchStep)
{
    PlumoraAudioProcessor processor;
    useSine (processor);
    set (processor, ParamID::osc1_drift_amt, 50.0f);
    set (processor, ParamID::osc1_drift_rate, 0.5f);
    set (processor, ParamID::amp_attack, 0.0f);
    set (processor, ParamID::amp_release, parameterSpec (ParamID::amp_release).min); // no tail under the next note

    std::vector<Note> notes;
    for (int k = 0; k < 8; ++k)
        notes.push_back ({ k * 12000, 69 }), notes.push_back ({ k * 12000 + 11000, 69, false });
    const auto out = render (processor, notes, 96000);

    for (int k = 0; k < 8; ++k)
    {
        // Frequency of each cycle from its upward zero crossings.
        std::vector<double> crossings, cents;
        for (int i = k * 12000 + 1; i < k * 12000 + 10000; ++i)
        {
            const float a = out.left[static_cast<std::size_t> (i - 1)], b = out.left[static_cast<std::size_t> (i)];
            if (a < 0.0f && b >= 0.0f)
                crossings.push_back (i - 1 + a / (a - b));
        }
        ASSERT_GT (crossings.size(), 50u);
        for (std::size_t i = 2; i < crossings.size(); ++i)
            cents.push_back (1200.0 * std::log2 ((crossings[i - 1] - crossings[i - 2]) / (crossings[i] - crossings[i - 1])));
        float largestChange = 0.0f;
        for (std::size_t i = 0; i < cents.size(); ++i)
            largestChange = std::max (largestChange, static_cast<float> (std::abs (cents[i])));

        EXPECT_LT (largestChange, 3.0f) << "note " << k << ": the pitch steps by " << largestChange << " cents";
    }
}

// Pan places each oscillator with an equal-power law; centred it changes
// nothing. A routing onto the pan moves the sound between the speakers.
TEST (CleanSound, PanPlacesEachOscillatorAndFollowsModulation)
{
    struct Case
    {
        ParamID level, pan;
        float position, leftGain, rightGain;
    };
    const Case cases[] = {
        { ParamID::osc1_level, ParamID::osc1_pan, 0.0f, 1.0f, 1.0f },
        { ParamID::osc1_level, ParamID::osc1_pan, -1.0f, 1.41421f, 0.0f },
        { ParamID::osc1_level, ParamID::osc1_pan, 1.0f, 0.0f, 1.41421f },
        { ParamID::osc1_level, ParamID::osc1_pan, 0.5f, 0.5412f, 1.3066f },
        { ParamID::osc2_level, ParamID::osc2_pan, -1.0f, 1.41421f, 0.0f },
        { ParamID::osc2_level, ParamID::osc2_pan, 1.0f, 0.0f, 1.41421f },
    };
    double centred = 0.0;
    for (const auto& c : cases)
    {
        PlumoraAudioProcessor processor;
        useSine (processor);
        processor.engine().setWavetable (1, makeFactoryWavetable ("factory:sine"), "factory:sine");
        set (processor, ParamID::osc2_unison, 1.0f);
        set (processor, ParamID::osc2_drift_amt, 0.0f);
        set (processor, ParamID::osc1_level, c.level == ParamID::osc1_level ? 0.5f : 0.0f);
        set (processor, ParamID::osc2_level, c.level == ParamID::osc2_level ? 0.5f : 0.0f);
        set (processor, c.pan, c.position);
        const auto out = render (processor, { { 0, 60 } }, 24000);
        const double left = rms (out.left, 12000, 24000), right = rms (out.right, 12000, 24000);
        if (centred == 0.0)
            centred = left;
        EXPECT_NEAR (left / centred, c.leftGain, 0.03) << "pan " << c.position;
        EXPECT_NEAR (right / centred, c.rightGain, 0.03) << "pan " << c.position;
    }

    // An LFO on the pan swings the balance.
    PlumoraAudioProcessor processor;
    useSine (processor);
    set (processor, ParamID::lfo1_rate, 2.0f);
    set (processor, ParamID::lfo1_depth, 1.0f);
    processor.engine().modMatrix().addRouting (ModSourceID::lfo1, index (ParamID::osc1_pan), 1.0f, ModScope::global, false);
    const auto out = render (processor, { { 0, 60 } }, 48000);
    double mostLeft = 0.0, mostRight = 0.0;
    for (int from = 2400; from + 1200 <= 48000; from += 1200)
    {
        const double balance = 20.0 * std::log10 ((rms (out.left, from, from + 1200) + 1e-9) / (rms (out.right, from, from + 1200) + 1e-9));
        mostLeft = std::max (mostLeft, balance);
        mostRight = std::min (mostRight, balance);
    }
    EXPECT_GT (mostLeft, 10.0);
    EXPECT_LT (mostRight, -10.0);
    EXPECT_LT (largestStep (out.left, 2400, 48000), 0.05f) << "the moving pan steps";
}

// The auto-filter is off unless a sound turns it on: the initial sound and
// effects presets that switch the other effects off keep their top end. A
// host state saved while it was on comes back on.
TEST (CleanSound, TheAutoFilterIsOffByDefaultAndStoredStatesKeepTheirs)
{
    PlumoraAudioProcessor processor;
    PresetDocument defaults;
    defaults.name = "Init";
    processor.presets().loadPreset (defaults);
    const auto bypass = [&processor] { return HostParameters::read (processor.parameters())[static_cast<std::size_t> (index (ParamID::autofilter_bypass))]; };
    EXPECT_EQ (bypass(), 1.0f);

    ASSERT_TRUE (processor.presets().loadPresetByName ("Ping Pong Delay"));
    EXPECT_EQ (bypass(), 1.0f) << "an effects preset that resets the effects turns the auto-filter on";

    set (processor, ParamID::autofilter_bypass, 0.0f);
    juce::MemoryBlock chunk;
    processor.getStateInformation (chunk);
    PlumoraAudioProcessor reopened;
    reopened.setStateInformation (chunk.getData(), static_cast<int> (chunk.getSize()));
    EXPECT_EQ (HostParameters::read (reopened.parameters())[static_cast<std::size_t> (index (ParamID::autofilter_bypass))], 0.0f);
}

// Drive, warmth and phase FM make a small offset; the reverb's feedback
// would multiply it. Neither reaches the output.
TEST (CleanSound, NoOffsetReachesTheOutput)
{
    PlumoraAudioProcessor processor;
    ASSERT_TRUE (processor.presets().loadPresetByName ("First Light"));
    ASSERT_TRUE (processor.presets().loadPresetByName ("Clean Sine + Sub"));
    processor.prepareToPlay (kRate, kBlock);
    std::vector<Note> chord;
    for (const int note : { 48, 55, 60, 64 })
        chord.push_back ({ 0, note }), chord.push_back ({ 96000, note, false });
    const auto out = render (processor, chord, 192000);

    for (const auto* channel : { &out.left, &out.right })
    {
        const auto mean = [channel] (int from, int to)
        {
            double sum = 0.0;
            for (int i = from; i < to; ++i)
                sum += (*channel)[static_cast<std::size_t> (i)];
            return std::abs (sum / (to - from));
        };
        ASSERT_GT (rms (*channel, 24000, 96000), 0.01) << "the chord sounds";
        EXPECT_LT (mean (24000, 96000), 0.001) << "offset while the chord holds";
        EXPECT_LT (mean (0, 192000), 0.001) << "offset over the whole phrase";
    }
}
