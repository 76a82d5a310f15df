#include "engine/SynthEngine.h"
#include "support/AllocationCounter.h"
#include "support/Spectrum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

using namespace plumora;

namespace
{
constexpr double kRate = 48000.0;
constexpr int kBlock = 480;

struct EngineFixture : testing::Test
{
    SynthEngine engine;
    std::vector<float> left = std::vector<float> (kBlock), right = std::vector<float> (kBlock);

    EngineFixture() { engine.prepare (kRate, kBlock); }

    void render (int blocks = 1)
    {
        float* channels[] = { left.data(), right.data() };
        for (int i = 0; i < blocks; ++i)
            engine.render (channels, 2, kBlock);
    }

    const Voice& voice (int i) const { return engine.voicePool()[i]; }

    int voicePlaying (int note) const
    {
        for (int i = 0; i < VoicePool::kSize; ++i)
            if (! voice (i).isIdle() && voice (i).note() == note)
                return i;
        return -1;
    }
};
} // namespace

TEST_F (EngineFixture, SetParameterClampsToTheCatalogueRange)
{
    engine.setParameter (ParamID::filt_cutoff, 50000.0f);
    EXPECT_EQ (engine.parameterValue (ParamID::filt_cutoff), 20000.0f);
    engine.setParameter (ParamID::osc1_octave, -9.0f);
    EXPECT_EQ (engine.parameterValue (ParamID::osc1_octave), -4.0f);
    engine.setParameters ({ { ParamID::amp_attack, 0.5f }, { ParamID::amp_attack, 0.25f }, { ParamID::master_vol, std::nanf ("") } });
    EXPECT_EQ (engine.parameterValue (ParamID::amp_attack), 0.25f);
    EXPECT_EQ (engine.parameterValue (ParamID::master_vol), 0.0f);
    EXPECT_EQ (engine.parameterValue (ParamID::filt_type), 2.0f); // untouched rows keep their defaults
}

TEST_F (EngineFixture, NotesTakeIdleVoicesInPoolOrder)
{
    engine.noteOn (1, 60, 0.5f);
    engine.noteOn (1, 64, 0.5f);
    EXPECT_EQ (voicePlaying (60), 0);
    EXPECT_EQ (voicePlaying (64), 1);
    EXPECT_EQ (voice (1).state(), Voice::Attack);

    render();
    EXPECT_EQ (engine.activeVoiceCount(), 2);
}

TEST_F (EngineFixture, AThirtyThirdNoteStealsTheQuietestVoice)
{
    for (int i = 0; i < VoicePool::kSize; ++i)
        engine.noteOn (1, 30 + i, i == 17 ? 0.1f : 0.9f);
    render();

    engine.noteOn (1, 100, 0.8f);
    EXPECT_EQ (voicePlaying (100), 17);
    EXPECT_EQ (voicePlaying (30 + 17), -1);
    // Stolen in place, without a fade: the envelope restarts from where it was.
    EXPECT_GT (voice (17).amplitudeLevel(), 0.0f);
    EXPECT_EQ (engine.activeVoiceCount(), 32);
}

TEST_F (EngineFixture, ReleasingVoicesAreStolenBeforeQuieterSoundingOnes)
{
    for (int i = 0; i < VoicePool::kSize; ++i)
        engine.noteOn (1, 30 + i, i == 3 ? 0.05f : 1.0f);
    render();
    engine.noteOff (1, 30 + 20);
    engine.noteOff (1, 30 + 25);
    render();
    ASSERT_EQ (voice (20).state(), Voice::Release);

    engine.noteOn (1, 110, 1.0f);
    EXPECT_EQ (voicePlaying (110), 20);
    EXPECT_EQ (voicePlaying (33), 3); // the quiet but held voice survives
}

TEST_F (EngineFixture, MonoRetriggersTheSoundingVoiceAndGlidesFromTheFirstNote)
{
    engine.setParameter (ParamID::voice_mode, 1.0f);
    engine.setParameter (ParamID::glide_time, 0.2f);

    engine.noteOn (1, 48, 1.0f);
    render (4);
    const float levelBefore = voice (0).amplitudeLevel();

    engine.noteOn (1, 55, 1.0f);
    EXPECT_EQ (engine.voicePool().activeCount(), 1);
    EXPECT_EQ (voice (0).note(), 55);
    EXPECT_EQ (voice (0).state(), Voice::Attack);
    EXPECT_EQ (voice (0).amplitudeLevel(), levelBefore); // attack restarts from the current level
    EXPECT_FLOAT_EQ (voice (0).glide().fromHz, midiNoteToFrequency (48.0f));
    EXPECT_EQ (voice (0).glide().progress, 0.0f);

    // Releasing the second key releases the voice; the first note does not come back.
    engine.noteOff (1, 55);
    EXPECT_EQ (voice (0).state(), Voice::Release);
    render();
    EXPECT_NE (voice (0).note(), 48);
}

TEST_F (EngineFixture, MonoKillsEveryOtherVoice)
{
    engine.noteOn (1, 40, 1.0f);
    engine.noteOn (1, 44, 1.0f);
    engine.noteOn (1, 47, 1.0f);
    render();

    engine.setParameter (ParamID::voice_mode, 1.0f);
    engine.noteOn (1, 52, 1.0f);
    EXPECT_EQ (engine.voicePool().activeCount(), 1);
    EXPECT_EQ (voice (0).note(), 52);
    EXPECT_EQ (voice (0).glide().progress, 1.0f); // glide is off
}

TEST_F (EngineFixture, PolyGlideStartsFromTheFirstAudibleVoiceInPoolOrder)
{
    engine.setParameter (ParamID::glide_time, 0.1f);
    engine.noteOn (1, 50, 1.0f);
    engine.noteOn (1, 62, 1.0f);
    render();

    engine.noteOn (1, 70, 1.0f);
    EXPECT_FLOAT_EQ (voice (2).glide().fromHz, midiNoteToFrequency (50.0f));

    // With glide off, nothing glides.
    engine.setParameter (ParamID::glide_time, 0.0f);
    engine.noteOn (1, 72, 1.0f);
    EXPECT_EQ (voice (3).glide().fromHz, 0.0f);
    EXPECT_EQ (voice (3).glide().progress, 1.0f);
}

TEST_F (EngineFixture, TheFirstNoteHasNothingToGlideFrom)
{
    engine.setParameter (ParamID::glide_time, 0.5f);
    engine.noteOn (1, 60, 1.0f);
    EXPECT_EQ (voice (0).glide().progress, 1.0f);
}

TEST_F (EngineFixture, SustainPedalHoldsReleasedNotesUntilItGoesUp)
{
    engine.noteOn (1, 60, 1.0f);
    engine.noteOn (1, 64, 1.0f);
    engine.controller (1, 64, 1.0f);
    engine.noteOff (1, 60);
    engine.noteOff (1, 64);
    EXPECT_TRUE (voice (0).isHeld());
    EXPECT_TRUE (voice (1).isHeld());

    // Playing 64 again before the pedal goes up clears its mark: it keeps sounding.
    engine.noteOn (1, 64, 1.0f);
    EXPECT_EQ (voice (2).note(), 64);

    engine.controller (1, 64, 0.0f);
    EXPECT_EQ (voice (0).state(), Voice::Release);
    EXPECT_TRUE (voice (1).isHeld());
    EXPECT_TRUE (voice (2).isHeld());
}

// Panic messages end every note whatever channel it came on, pedal-held and
// arpeggiated ones included; all-sound-off silences at once, all-notes-off
// lets the notes release.
TEST_F (EngineFixture, AllNotesOffAndAllSoundOffEndEveryNote)
{
    for (const int panic : { 123, 120 })
    {
        engine.noteOn (1, 60, 1.0f);
        engine.noteOn (5, 64, 1.0f);
        engine.controller (1, 64, 1.0f);
        engine.noteOff (1, 60); // held by the pedal
        render();
        engine.controller (9, panic, 0.0f);
        for (int i = 0; i < 2; ++i)
            EXPECT_FALSE (voice (i).isHeld()) << "panic " << panic << ", voice " << i;
        if (panic == 120)
            EXPECT_TRUE (voice (0).isIdle() && voice (1).isIdle());
        engine.controller (1, 64, 0.0f);
        render (200);
        EXPECT_EQ (engine.activeVoiceCount(), 0) << "panic " << panic;
    }

    engine.setParameter (ParamID::arp_enabled, 1.0f);
    engine.noteOn (1, 60, 1.0f);
    engine.noteOn (1, 67, 1.0f);
    render (20);
    engine.controller (1, 123, 0.0f);
    render (200);
    EXPECT_EQ (engine.activeVoiceCount(), 0) << "the arpeggiator lost its held notes";
}

TEST_F (EngineFixture, NotesOutsideTheMidiRangeBypassThePedalAndNeverCrash)
{
    engine.controller (1, 64, 1.0f);
    engine.noteOn (1, 130, 1.0f);
    engine.noteOff (1, 130);
    EXPECT_EQ (voice (0).state(), Voice::Release);

    engine.noteOn (1, -5, 1.0f);
    engine.noteOff (1, -5);
    engine.polyAftertouch (1, 999, 1.0f);
    render();
    EXPECT_TRUE (std::isfinite (left[0]));
}

TEST_F (EngineFixture, ExpressionValuesAreClampedToTheirRanges)
{
    engine.controller (1, 1, 3.0f);
    engine.channelPressure (1, -1.0f);
    engine.pitchBend (1, -7.0f);
    auto sources = engine.globalSources();
    EXPECT_EQ (sources.modWheel, 1.0f);
    EXPECT_EQ (sources.channelPressure, 0.0f);
    EXPECT_EQ (sources.pitchBend, -1.0f);

    engine.pitchBend (1, std::nanf (""));
    EXPECT_EQ (engine.globalSources().pitchBend, 0.0f);
    engine.controller (1, 200, 1.0f); // unknown controllers are ignored
}

TEST_F (EngineFixture, MpeRoutesPerNoteMessagesToTheVoiceOfTheirChannel)
{
    engine.noteOn (5, 60, 1.0f);
    engine.noteOn (6, 64, 1.0f);

    // MPE off: channel 5 is global.
    engine.pitchBend (5, 0.5f);
    EXPECT_EQ (engine.globalSources().pitchBend, 0.5f);
    EXPECT_EQ (voice (0).expression.mpePitch, 0.0f);

    engine.setMpeEnabled (true);
    engine.pitchBend (5, -0.25f);
    engine.channelPressure (6, 0.75f);
    engine.controller (6, 74, 0.3f);
    EXPECT_EQ (voice (0).expression.mpePitch, -0.25f);
    EXPECT_EQ (voice (1).expression.mpePressure, 0.75f);
    EXPECT_FLOAT_EQ (voice (1).expression.mpeSlide, 0.3f);
    EXPECT_EQ (engine.globalSources().pitchBend, 0.5f);

    // Channel 1 stays global; a channel no voice plays is dropped.
    engine.pitchBend (1, 0.125f);
    engine.pitchBend (9, 0.9f);
    EXPECT_EQ (engine.globalSources().pitchBend, 0.125f);

    // A global controller 74 is ignored.
    engine.controller (1, 74, 1.0f);
    EXPECT_FLOAT_EQ (voice (1).expression.mpeSlide, 0.3f);
}

TEST_F (EngineFixture, PolyPressureGoesToTheHeldVoiceOfTheNoteOnAnyChannel)
{
    engine.noteOn (2, 60, 1.0f);
    engine.noteOn (2, 60, 1.0f);
    engine.noteOff (2, 60); // releases voice 0
    engine.polyAftertouch (7, 60, 0.4f);
    EXPECT_EQ (voice (0).expression.polyPressure, 0.0f);
    EXPECT_FLOAT_EQ (voice (1).expression.polyPressure, 0.4f);
}

TEST_F (EngineFixture, ReleasedVoicesReturnToThePoolWhenTheirEnvelopeEnds)
{
    engine.setParameter (ParamID::amp_decay, 0.01f);
    engine.setParameter (ParamID::amp_release, 0.01f);
    engine.noteOn (1, 60, 1.0f);
    render (10);
    EXPECT_EQ (voice (0).state(), Voice::Sustain);
    engine.noteOff (1, 60);
    render (3);
    EXPECT_TRUE (voice (0).isIdle());
    EXPECT_EQ (engine.activeVoiceCount(), 0);
}

TEST_F (EngineFixture, RenderIsGuardedAgainstOversizedAndOddCalls)
{
    // Three times the prepared size, into buffers with a sentinel past the end.
    const int length = kBlock * 3 + 7;
    std::vector<float> first (length + 1, 7.0f), second (length + 1, 7.0f), third (length + 1, 7.0f);
    float* channels[] = { first.data(), second.data(), third.data() };
    engine.noteOn (1, 60, 1.0f);
    engine.render (channels, 3, length);

    EXPECT_GT (test::rms (first.data(), length), 0.001);
    for (int i = 0; i < length; ++i)
        ASSERT_TRUE (std::isfinite (first[static_cast<std::size_t> (i)]) && std::isfinite (second[static_cast<std::size_t> (i)]));
    for (int i = 0; i < length; ++i)
        ASSERT_EQ (third[static_cast<std::size_t> (i)], 0.0f) << "channels past the stereo pair are cleared";
    for (const auto* channel : { &first, &second, &third })
        EXPECT_EQ (channel->back(), 7.0f) << "nothing written past numSamples";

    float* withNull[] = { first.data(), nullptr };
    engine.render (withNull, 2, kBlock);
    engine.render (channels, 1, kBlock);
    engine.render (nullptr, 2, kBlock);
    engine.render (channels, 2, 0);
    engine.render (channels, 2, -5);
    EXPECT_EQ (first.back(), 7.0f);
}

TEST (SynthEngineLifecycle, RendersBeforePrepareWithItsDefaults)
{
    SynthEngine engine;
    EXPECT_EQ (engine.sampleRate(), 44100.0);
    EXPECT_EQ (engine.maximumBlockSize(), 512);
    std::vector<float> left (2000, 1.0f), right (2000, 1.0f);
    float* channels[] = { left.data(), right.data() };
    engine.noteOn (1, 60, 1.0f);
    engine.render (channels, 2, 2000);
    EXPECT_GT (test::rms (left), 0.001);
    EXPECT_TRUE (std::all_of (left.begin(), left.end(), [] (float x) { return std::isfinite (x); }));

    engine.prepare (0.0, -1); // unusable values keep the previous ones
    EXPECT_EQ (engine.sampleRate(), 44100.0);
    EXPECT_EQ (engine.maximumBlockSize(), 512);
}

TEST_F (EngineFixture, PrepareKeepsSoundingVoices)
{
    engine.noteOn (1, 60, 1.0f);
    render();
    engine.prepare (96000.0, 64);
    EXPECT_EQ (engine.voicePool().activeCount(), 1);
}

TEST_F (EngineFixture, RenderingAndMidiDoNotAllocate)
{
    render();
    test::ScopedAllocationCounter allocations;
    for (int round = 0; round < 3; ++round)
    {
        for (int note = 20; note < 80; ++note)
            engine.noteOn (1 + note % 16, note, 0.5f);
        engine.controller (1, 64, 1.0f);
        for (int note = 20; note < 80; ++note)
            engine.noteOff (1 + note % 16, note);
        engine.controller (1, 64, 0.0f);
        render (4);
    }
    EXPECT_EQ (allocations.count(), 0u);
}

struct TailCase
{
    float feedback, timeLeft, timeRight, mix, delayBypass, reverbBypass, reverbMix, reverbSize, release;
    double expected;
};

class TailLength : public testing::TestWithParam<TailCase> {};

TEST_P (TailLength, IsTheLongestOfReleaseDelayAndReverbUpToFifteenSeconds)
{
    const auto& c = GetParam();
    SynthEngine engine;
    engine.setParameters ({ { ParamID::delay_feedback, c.feedback }, { ParamID::delay_time_l, c.timeLeft },
                            { ParamID::delay_time_r, c.timeRight }, { ParamID::delay_mix, c.mix },
                            { ParamID::delay_bypass, c.delayBypass }, { ParamID::reverb_bypass, c.reverbBypass },
                            { ParamID::reverb_mix, c.reverbMix }, { ParamID::reverb_size, c.reverbSize },
                            { ParamID::amp_release, c.release } });
    EXPECT_NEAR (engine.tailLengthSeconds(), c.expected, 1e-3);
}

INSTANTIATE_TEST_SUITE_P (Cases, TailLength, testing::Values (
    TailCase { 0.5f, 0.3f, 0.4f, 0.3f, 0, 1, 0.2f, 0.5f, 0.5f, 3.986 },
    TailCase { 0.5f, 0.3f, 0.4f, 0.3f, 0, 1, 0.2f, 0.5f, 6.0f, 6.0 },
    TailCase { 0.5f, 0.3f, 0.4f, 0.0f, 0, 1, 0.2f, 0.5f, 0.5f, 0.5 },
    TailCase { 0.5f, 0.3f, 0.4f, 0.3f, 1, 0, 0.2f, 1.0f, 0.5f, 6.0 },
    TailCase { 0.0f, 0.3f, 0.4f, 0.3f, 0, 0, 0.0f, 1.0f, 0.5f, 0.5 },
    TailCase { 0.95f, 2.0f, 2.0f, 1.0f, 0, 0, 1.0f, 1.0f, 10.0f, 15.0 }));

TEST_F (EngineFixture, SnapshotHoldsTheGivenValuesRoutingsAndTheMpeFlag)
{
    ParameterValues values {};
    for (int row = 0; row < kNumParameters; ++row)
        values[static_cast<std::size_t> (row)] = parameterCatalogue()[row].defaultValue;
    values[static_cast<std::size_t> (index (ParamID::filt_cutoff))] = 1000.0f;
    engine.setParameter (ParamID::filt_cutoff, 300.0f); // what the engine took last is not what is saved
    engine.modMatrix().addRouting (ModSourceID::lfo2, index (ParamID::filt_cutoff), -0.5f, ModScope::per_voice, true);
    engine.setMpeEnabled (true);

    const auto words = engine.snapshot (values);
    ASSERT_EQ (words.size(), 146u + 5u);
    EXPECT_EQ (words[0], 143u);
    float cutoff;
    std::memcpy (&cutoff, &words[1 + index (ParamID::filt_cutoff)], sizeof (cutoff));
    EXPECT_EQ (cutoff, 1000.0f);
    EXPECT_EQ (words[144], 1u);
    EXPECT_EQ (words[145], static_cast<std::uint32_t> (ModSourceID::lfo2));
    EXPECT_EQ (words[146], static_cast<std::uint32_t> (index (ParamID::filt_cutoff)));
    float depth;
    std::memcpy (&depth, &words[147], sizeof (depth));
    EXPECT_EQ (depth, -0.5f);
    EXPECT_EQ (words[148], 1u);
    EXPECT_EQ (words[149], 1u);
    EXPECT_EQ (words.back(), 1u);
}

TEST_F (EngineFixture, TracesStartAtTheValueRiseAtOnceAndFallInAQuarterSecond)
{
    engine.setParameter (ParamID::filt_cutoff, 1000.0f);
    render();
    EXPECT_EQ (engine.modulationRange (ParamID::filt_cutoff).low, 1000.0f); // not 0
    EXPECT_EQ (engine.modulationRange (ParamID::filt_cutoff).high, 1000.0f);

    // One time constant (0.25 s) after the value drops, the high trace has
    // covered 1 - 1/e of the way, whatever the block size.
    engine.setParameter (ParamID::filt_cutoff, 500.0f);
    render (25);
    const auto range = engine.modulationRange (ParamID::filt_cutoff);
    EXPECT_EQ (range.low, 500.0f);
    EXPECT_NEAR (range.high, 500.0f + 500.0f * std::exp (-1.0f), 1.0f);
}

// A square LFO switching a gain or a mix by its whole range: the level moves
// in a ramp, never in a step a listener hears as a click.
class GatedGain : public testing::TestWithParam<ParamID> {};

TEST_P (GatedGain, MovesInARampNotAStep)
{
    const auto largestStep = [] (bool gated)
    {
        SynthEngine engine;
        engine.prepare (kRate, 512);
        engine.setParameter (ParamID::osc1_unison, 1.0f);
        engine.setParameter (ParamID::filt_type, 0.0f);
        engine.setParameter (ParamID::autofilter_bypass, 1.0f);
        for (const auto mix : { ParamID::chorus_mix, ParamID::delay_mix, ParamID::reverb_mix })
            engine.setParameter (mix, 0.5f);
        engine.setParameter (ParamID::delay_time_l, 0.013f);
        engine.setParameter (ParamID::delay_time_r, 0.017f);
        if (gated)
        {
            engine.setParameter (ParamID::lfo1_rate, 4.0f);
            engine.setParameter (ParamID::lfo1_depth, 1.0f);
            engine.setParameter (ParamID::lfo1_shape, 4.0f); // square
            engine.modMatrix().addRouting (ModSourceID::lfo1, index (GetParam()), 1.0f, ModScope::global, false);
        }
        engine.noteOn (1, 45, 1.0f);

        std::vector<float> left (512), right (512);
        float* channels[] = { left.data(), right.data() };
        float previous = 0.0f, step = 0.0f;
        for (int block = 0; block < 94; ++block) // a second: four LFO cycles
        {
            engine.render (channels, 2, 512);
            for (const float x : left)
            {
                step = std::max (step, std::abs (x - previous));
                previous = x;
            }
        }
        return step;
    };
    const float steady = largestStep (false);
    EXPECT_LT (largestStep (true), steady * 1.5f + 0.005f) << "steady sound's largest step " << steady;
}

INSTANTIATE_TEST_SUITE_P (GainsAndMixes, GatedGain,
                          testing::Values (ParamID::master_vol, ParamID::osc1_level, ParamID::chorus_mix, ParamID::delay_mix,
                                           ParamID::reverb_mix));

TEST_F (EngineFixture, TracesShowTheSwingOfGlobalModulation)
{
    engine.setParameter (ParamID::lfo1_rate, 5.0f);
    engine.setParameter (ParamID::lfo1_depth, 1.0f);
    engine.setParameter (ParamID::filt_cutoff, 2000.0f);
    engine.modMatrix().addRouting (ModSourceID::lfo1, index (ParamID::filt_cutoff), 0.5f, ModScope::global, false);
    float lowest = 1e9f, highest = 0.0f;
    for (int block = 0; block < 100; ++block) // one second: five LFO cycles
    {
        render();
        const auto range = engine.modulationRange (ParamID::filt_cutoff);
        EXPECT_LE (range.low, range.high);
        lowest = std::min (lowest, range.low);
        highest = std::max (highest, range.high);
    }
    EXPECT_LT (lowest, 1100.0f);
    EXPECT_GT (highest, 2900.0f);
    EXPECT_EQ (engine.parameterValue (ParamID::filt_cutoff), 2000.0f);
}

namespace
{
// A sound that keeps some part of the engine busy between notes.
struct ResetSound
{
    const char* what;
    std::vector<SynthEngine::ParameterValue> values;
    std::vector<ModRouting> routings;
};

// Notes, pedal and controllers that leave voices held and releasing, the
// pedal down and every effect ringing.
void playAndLeaveRinging (SynthEngine& engine)
{
    std::vector<float> left (kBlock), right (kBlock);
    float* channels[] = { left.data(), right.data() };
    for (const int note : { 36, 43, 52, 60, 67, 71, 76 })
        engine.noteOn (1 + note % 3, note, 0.9f);
    engine.controller (1, 1, 0.7f);
    engine.pitchBend (1, 0.8f);
    engine.channelPressure (1, 0.5f);
    engine.polyAftertouch (1, 60, 0.9f);
    for (int block = 0; block < 30; ++block)
        engine.render (channels, 2, kBlock);
    engine.controller (1, 64, 1.0f);
    for (const int note : { 36, 52, 67 })
        engine.noteOff (1 + note % 3, note);
    for (int block = 0; block < 10; ++block)
        engine.render (channels, 2, kBlock);
}

// A phrase and its release: both channels of every sample, in order.
std::vector<float> playPhrase (SynthEngine& engine)
{
    std::vector<float> left (kBlock), right (kBlock), heard;
    float* channels[] = { left.data(), right.data() };
    for (int block = 0; block < 40; ++block)
    {
        if (block == 0)
            for (const int note : { 48, 55, 64 })
                engine.noteOn (1, note, 0.7f);
        if (block == 20)
            for (const int note : { 48, 55, 64 })
                engine.noteOff (1, note);
        engine.render (channels, 2, kBlock);
        heard.insert (heard.end(), left.begin(), left.end());
        heard.insert (heard.end(), right.begin(), right.end());
    }
    return heard;
}

std::ptrdiff_t firstDifference (const std::vector<float>& a, const std::vector<float>& b)
{
    const auto [x, y] = std::mismatch (a.begin(), a.end(), b.begin(), b.end());
    return x == a.end() && y == b.end() ? -1 : x - a.begin();
}
} // namespace

// After any playing, a reset leaves the engine sounding exactly as a new one
// prepared alike, sample for sample, and allocates nothing: voices, the
// pedal, controllers, the arpeggiator's random steps, the global LFOs and
// sample and hold, strings, filters and every effect's tail start afresh.
TEST (SynthEngineReset, SoundsAsANewEngineWhateverPlayedBefore)
{
    using P = ParamID;
    const ResetSound sounds[] = {
        { "every effect on, with long tails",
          { { P::delay_bypass, 0.0f }, { P::delay_mix, 0.6f }, { P::delay_feedback, 0.9f }, { P::delay_time_l, 0.05f },
            { P::delay_time_r, 0.07f }, { P::reverb_bypass, 0.0f }, { P::reverb_mix, 0.6f }, { P::reverb_size, 0.95f },
            { P::chorus_bypass, 0.0f }, { P::chorus_mix, 0.5f }, { P::eq_bypass, 0.0f }, { P::eq_low_gain, 9.0f },
            { P::eq_high_gain, -6.0f }, { P::mbsat_bypass, 0.0f }, { P::mbsat_mix, 0.8f }, { P::mbsat_low_drive, 0.7f },
            { P::autofilter_bypass, 0.0f }, { P::autofilter_rate, 3.0f }, { P::dist_bypass, 0.0f }, { P::dist_drive, 0.6f } },
          {} },
        { "a random arpeggio", { { P::arp_enabled, 1.0f }, { P::arp_pattern, 3.0f }, { P::arp_rate, 4.0f }, { P::arp_octaves, 3.0f } }, {} },
        { "a plucked string, a comb filter, noise, sub and glide",
          { { P::osc1_mode, 2.0f }, { P::osc2_level, 0.6f }, { P::filt_type, 6.0f }, { P::noise_level, 0.4f }, { P::sub_level, 0.5f },
            { P::pick_attack, 0.8f }, { P::glide_time, 0.2f } },
          {} },
        { "free-running and per-voice modulation",
          { { P::lfo1_depth, 1.0f }, { P::lfo1_rate, 7.0f }, { P::lfo2_depth, 1.0f }, { P::lfo2_rate, 3.0f }, { P::lfo2_shape, 5.0f },
            { P::lfo2_mode, 1.0f } },
          { { ModSourceID::lfo1, index (P::filt_cutoff), 0.8f, ModScope::global, false },
            { ModSourceID::sample_and_hold, index (P::osc1_wt_pos), 0.9f, ModScope::global, false },
            { ModSourceID::lfo2, index (P::osc1_pan), 0.7f, ModScope::per_voice, false },
            { ModSourceID::mod_wheel, index (P::osc1_detune), 0.5f, ModScope::global, false } } },
    };
    for (const auto& sound : sounds)
    {
        SCOPED_TRACE (sound.what);
        auto fresh = std::make_unique<SynthEngine>(), used = std::make_unique<SynthEngine>();
        for (auto* engine : { fresh.get(), used.get() })
        {
            engine->prepare (kRate, kBlock);
            engine->setParameters (sound.values);
            engine->modMatrix().replaceRoutings (sound.routings);
        }
        playAndLeaveRinging (*used);
        {
            test::ScopedAllocationCounter allocations;
            used->reset();
            EXPECT_EQ (allocations.count(), 0u);
        }
        EXPECT_EQ (firstDifference (playPhrase (*used), playPhrase (*fresh)), -1) << "the first sample that differs";
    }
}
