// Notes rendered through the engine and measured: pitch, offsets, glide,
// key tracking, velocity, bloom and the slot modes.

#include "engine/SynthEngine.h"
#include "support/Spectrum.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plumora;

namespace
{
constexpr double kRate = 48000.0;
constexpr int kBlock = 480;

// An engine set up for a plain, measurable sound.
struct VoiceRig
{
    SynthEngine engine;

    VoiceRig()
    {
        engine.prepare (kRate, kBlock);
        // A plain, steady sound: one slot, one copy, no drift, no filter, no colour.
        set (ParamID::osc1_unison, 1.0f);
        set (ParamID::osc1_drift_amt, 0.0f);
        set (ParamID::osc_warmth, 0.0f);
        set (ParamID::filt_type, 0.0f);
        set (ParamID::amp_attack, 0.001f);
        set (ParamID::amp_sustain, 1.0f);
        set (ParamID::amp_release, 0.01f); // each note is gone before the next
        set (ParamID::master_vol, 1.0f);
        set (ParamID::note_bloom_rate, 30.0f);
        for (const auto bypass : { ParamID::chorus_bypass, ParamID::delay_bypass, ParamID::reverb_bypass })
            set (bypass, 1.0f); // the voice alone, without the global effects
    }

    void set (ParamID id, float value) { engine.setParameter (id, value); }

    std::vector<float> render (double seconds)
    {
        std::vector<float> left, right (kBlock), block (kBlock);
        float* channels[] = { block.data(), right.data() };
        for (int b = 0; b < static_cast<int> (seconds * kRate / kBlock); ++b)
        {
            engine.render (channels, 2, kBlock);
            left.insert (left.end(), block.begin(), block.end());
        }
        return left;
    }

    std::vector<float> play (int note, double seconds, float velocity = 1.0f)
    {
        engine.noteOn (1, note, velocity);
        auto out = render (seconds);
        engine.noteOff (1, note);
        render (0.2);
        return out;
    }

    const Voice& voice (int i) const { return engine.voicePool()[i]; }
};

struct VoiceFixture : testing::Test, VoiceRig {};

double pitchOf (const std::vector<float>& x) { return test::periodicFrequency (x, kRate, 30.0, 4000.0); }
} // namespace

TEST_F (VoiceFixture, EverySlotModeSoundsAtThePlayedPitch)
{
    struct Mode { const char* name; float mode, fm; };
    for (const auto& m : { Mode { "Wavetable", 0, 0 }, Mode { "SuperSaw", 1, 0 }, Mode { "Karplus-Strong", 2, 0 }, Mode { "Phase FM", 0, 1 } })
    {
        set (ParamID::osc1_mode, m.mode);
        set (ParamID::osc1_ss_mix, 0.0f);
        set (ParamID::fm_mode, m.fm);
        for (const int note : { 45, 57, 69, 81 })
        {
            const auto out = play (note, 0.5);
            const double expected = midiNoteToFrequency (static_cast<float> (note));
            EXPECT_NEAR (pitchOf (out), expected, expected * 0.004) << m.name << " note " << note;
        }
    }
}

TEST_F (VoiceFixture, OctaveSemitoneAndTuneOffsetsMoveTheSlot)
{
    struct Offset { ParamID id; float value; double ratio; };
    for (const auto& o : { Offset { ParamID::osc1_octave, 1.0f, 2.0 }, Offset { ParamID::osc1_octave, -2.0f, 0.25 },
                           Offset { ParamID::osc1_semi, 7.0f, std::exp2 (7.0 / 12.0) }, Offset { ParamID::osc1_semi, 6.5f, std::exp2 (7.0 / 12.0) },
                           Offset { ParamID::osc1_tune, 50.0f, std::exp2 (50.0 / 1200.0) } })
    {
        set (o.id, o.value);
        EXPECT_NEAR (pitchOf (play (57, 0.5)), 220.0 * o.ratio, 220.0 * o.ratio * 0.003) << index (o.id) << " = " << o.value;
        set (o.id, 0.0f);
    }
}

TEST_F (VoiceFixture, GlideReachesItsTargetInEqualOctaveSteps)
{
    // 0.1 s at 48 kHz with 480-sample blocks: ten blocks.
    set (ParamID::voice_mode, 1.0f);
    set (ParamID::glide_time, 0.1f);
    engine.noteOn (1, 57, 1.0f);
    render (0.05);
    engine.noteOn (1, 69, 1.0f);

    std::vector<double> octavesPerBlock;
    for (int block = 1; block <= 12; ++block)
    {
        render (kBlock / kRate);
        octavesPerBlock.push_back (std::log2 (voice (0).currentFrequency() / 220.0));
    }
    for (int block = 0; block < 10; ++block)
        EXPECT_NEAR (octavesPerBlock[static_cast<std::size_t> (block)], 0.1 * (block + 1), 1e-4) << block;
    EXPECT_NEAR (octavesPerBlock[11], 1.0, 1e-6);
}

TEST_F (VoiceFixture, GlideSwitchedOnMidNoteDoesNotGlide)
{
    engine.noteOn (1, 60, 1.0f);
    render (0.05);
    set (ParamID::glide_time, 1.0f);
    render (0.05);
    EXPECT_FLOAT_EQ (voice (0).currentFrequency(), midiNoteToFrequency (60.0f));
}

TEST_F (VoiceFixture, FilterFollowsTheKeySoTheTimbreStays)
{
    // LP24 at 1 kHz around middle C. Two octaves up, the cutoff moves up two
    // octaves with the note: the third harmonic loses the same amount.
    const auto thirdHarmonicLoss = [this] (int note)
    {
        const double f = midiNoteToFrequency (static_cast<float> (note));
        set (ParamID::filt_type, 0.0f);
        const auto dry = test::amplitudeSpectrum (play (note, 0.7));
        set (ParamID::filt_type, 2.0f);
        set (ParamID::filt_cutoff, 1000.0f);
        const auto wet = test::amplitudeSpectrum (play (note, 0.7));
        return test::decibels (test::amplitudeAt (wet, kRate, 3 * f) / test::amplitudeAt (dry, kRate, 3 * f));
    };

    set (ParamID::osc1_mode, 1.0f); // a saw with every harmonic
    set (ParamID::osc1_ss_mix, 0.0f);
    const double low = thirdHarmonicLoss (48), high = thirdHarmonicLoss (72);
    EXPECT_NEAR (low, high, 1.5);
    EXPECT_LT (low, -1.0);
}

TEST_F (VoiceFixture, FilterTypeOffBypassesLikeTheBypassSwitch)
{
    // Same engine state, same random draws: the outputs match sample for sample.
    VoiceRig bypassed, off;
    bypassed.set (ParamID::filt_type, 2.0f);
    bypassed.set (ParamID::filt_cutoff, 200.0f);
    bypassed.set (ParamID::filt_bypass, 1.0f);
    off.set (ParamID::filt_cutoff, 200.0f);
    EXPECT_EQ (bypassed.play (60, 0.2), off.play (60, 0.2));
}

TEST_F (VoiceFixture, VelocityScalesTheLevelLinearly)
{
    VoiceRig soft;
    const double loud = test::rms (play (60, 0.3, 1.0f));
    const double quiet = test::rms (soft.play (60, 0.3, 0.5f));
    EXPECT_NEAR (loud / quiet, 2.0, 0.02);
}

TEST_F (VoiceFixture, NoteBloomAndRepetitionBloomGrow)
{
    set (ParamID::note_bloom_rate, 8.0f);
    engine.noteOn (1, 64, 1.0f);
    render (4.0);
    EXPECT_NEAR (voice (0).noteBloom(), 0.5f, 0.001f);
    render (4.5);
    EXPECT_EQ (voice (0).noteBloom(), 1.0f);

    // Pitch class 4 (E) played twice so far... then four times in all.
    engine.noteOn (1, 76, 1.0f);
    EXPECT_FLOAT_EQ (voice (1).modSources().repetitionBloom, 0.25f);
    engine.noteOn (1, 52, 1.0f);
    engine.noteOn (1, 40, 1.0f);
    EXPECT_FLOAT_EQ (voice (3).modSources().repetitionBloom, 0.5f);
    engine.noteOn (1, 61, 1.0f);
    EXPECT_EQ (voice (4).modSources().repetitionBloom, 0.0f);
}

TEST_F (VoiceFixture, FmModulatorWorksEvenWhenItsOwnLevelIsZero)
{
    set (ParamID::fm_mode, 1.0f);
    set (ParamID::osc2_level, 0.0f);
    const auto plain = test::amplitudeSpectrum (play (57, 0.5));
    set (ParamID::fm_depth, 0.5f);
    const auto modulated = test::amplitudeSpectrum (play (57, 0.5));

    // Slot 1's table is dark (analog stack, first frame); modulation adds
    // upper partials.
    const double plainHighs = test::bandEnergy (plain, kRate, 2000.0, 10000.0);
    const double modulatedHighs = test::bandEnergy (modulated, kRate, 2000.0, 10000.0);
    EXPECT_GT (test::decibels (std::sqrt (modulatedHighs / plainHighs)), 10.0);
}

TEST_F (VoiceFixture, KilledVoicesStopAtOnceAndReleasedOnesEndIdle)
{
    set (ParamID::amp_release, 0.05f);
    engine.noteOn (1, 60, 1.0f);
    render (0.1);
    engine.noteOff (1, 60);
    EXPECT_EQ (voice (0).state(), Voice::Release);
    render (0.3);
    EXPECT_TRUE (voice (0).isIdle());

    set (ParamID::voice_mode, 1.0f);
    engine.noteOn (1, 60, 1.0f);
    engine.noteOn (1, 64, 1.0f); // mono: one voice only
    EXPECT_EQ (engine.voicePool().activeCount(), 1);
}
