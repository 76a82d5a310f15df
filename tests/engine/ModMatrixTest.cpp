#include "engine/ModMatrix.h"
#include "engine/SynthEngine.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plumora;

namespace
{
constexpr double kRate = 48000.0;
constexpr int kBlock = 480;

struct MatrixFixture : testing::Test
{
    RenderEpoch epoch;
    ModMatrix matrix { epoch };
    ParameterSlots slots;
    ModMatrix::GlobalValues globals { 0.0f, 0.0f, 0.0f, 0.0f };

    MatrixFixture() { matrix.prepare (kRate); }

    void set (ParamID id, float value) { slots.setTarget (id, value); }

    // One block of the global stage; returns the block value of id.
    float globalBlock (ParamID id)
    {
        slots.beginBlock();
        matrix.processGlobal (slots, globals, kBlock);
        return slots.blockValue (id);
    }
};
} // namespace

TEST_F (MatrixFixture, SpanRuleScalesWideParametersByTheirSetting)
{
    // A square LFO at rate 0.01 Hz stays at +1 for the first blocks.
    set (ParamID::lfo1_shape, 4.0f);
    set (ParamID::lfo1_rate, 0.01f);
    set (ParamID::lfo1_depth, 1.0f);
    set (ParamID::filt_cutoff, 5000.0f);
    matrix.addRouting (ModSourceID::lfo1, index (ParamID::filt_cutoff), 0.5f, ModScope::global, false);
    EXPECT_FLOAT_EQ (globalBlock (ParamID::filt_cutoff), 7500.0f); // span = max(0.02 x 19980, 5000)

    // A low setting still moves by 2 % of the range.
    set (ParamID::filt_cutoff, 100.0f);
    EXPECT_FLOAT_EQ (globalBlock (ParamID::filt_cutoff), 100.0f + 0.5f * 0.02f * 19980.0f);
    EXPECT_EQ (slots.target (ParamID::filt_cutoff), 100.0f) << "targets are never modulated";
}

TEST_F (MatrixFixture, TuneMovesByItsFullRangeAndEverythingIsClamped)
{
    globals.modWheel = 1.0f;
    matrix.addRouting (ModSourceID::mod_wheel, index (ParamID::osc1_tune), 1.0f, ModScope::global, false);
    EXPECT_EQ (globalBlock (ParamID::osc1_tune), 100.0f); // +200 cents, clamped

    // Semi (range 24) with setting 0 swings by only 0.48; with 7 by 7.
    set (ParamID::lfo1_shape, 4.0f);
    set (ParamID::lfo1_rate, 0.01f);
    set (ParamID::lfo1_depth, 1.0f);
    matrix.addRouting (ModSourceID::lfo1, index (ParamID::osc1_semi), 1.0f, ModScope::global, false);
    EXPECT_FLOAT_EQ (globalBlock (ParamID::osc1_semi), 0.48f);
    set (ParamID::osc1_semi, 7.0f);
    EXPECT_FLOAT_EQ (globalBlock (ParamID::osc1_semi), 12.0f);
}

TEST_F (MatrixFixture, SourcesOnlyActInTheirOwnStage)
{
    VoiceModSources voice;
    voice.velocity = 0.5f;
    set (ParamID::filt_cutoff, 1000.0f);
    set (ParamID::macro1, 1.0f);
    matrix.addRouting (ModSourceID::velocity, index (ParamID::filt_cutoff), 1.0f, ModScope::per_voice, false);
    matrix.addRouting (ModSourceID::velocity, index (ParamID::filt_reso), 1.0f, ModScope::global, false);
    matrix.addRouting (ModSourceID::macro1, index (ParamID::filt_drive), 1.0f, ModScope::per_voice, false);

    EXPECT_EQ (globalBlock (ParamID::filt_reso), 0.0f) << "velocity has no global value";
    VoiceParameters copy;
    slots.copyBlockValues (copy);
    matrix.applyVoice (copy, slots, voice);
    EXPECT_FLOAT_EQ (copy[index (ParamID::filt_cutoff)], 1500.0f);
    EXPECT_EQ (copy[index (ParamID::filt_drive)], 0.0f) << "macros have no per-voice value";
    EXPECT_EQ (slots.blockValue (ParamID::filt_cutoff), 1000.0f) << "the engine's slot stays put";

    // per_note_capture behaves like per_voice.
    matrix.replaceRoutings ({ { ModSourceID::velocity, index (ParamID::filt_cutoff), 1.0f, ModScope::per_note_capture, false } });
    globalBlock (ParamID::filt_cutoff);
    slots.copyBlockValues (copy);
    matrix.applyVoice (copy, slots, voice);
    EXPECT_FLOAT_EQ (copy[index (ParamID::filt_cutoff)], 1500.0f);
}

TEST_F (MatrixFixture, PerVoiceLfoRoutingsNeedThePerVoiceMode)
{
    VoiceModSources voice;
    voice.lfos[1] = 1.0f;
    set (ParamID::lfo2_depth, 0.5f);
    matrix.addRouting (ModSourceID::lfo2, index (ParamID::amp_sustain), 1.0f, ModScope::per_voice, false);
    globalBlock (ParamID::amp_sustain);

    VoiceParameters copy;
    slots.copyBlockValues (copy);
    matrix.applyVoice (copy, slots, voice);
    EXPECT_FLOAT_EQ (copy[index (ParamID::amp_sustain)], 0.7f) << "LFO 2 is global: no per-voice value";

    set (ParamID::lfo2_mode, 1.0f);
    globalBlock (ParamID::amp_sustain);
    slots.copyBlockValues (copy);
    matrix.applyVoice (copy, slots, voice);
    EXPECT_FLOAT_EQ (copy[index (ParamID::amp_sustain)], 1.0f); // 0.7 + 0.5 x 1, clamped
}

TEST_F (MatrixFixture, CyclesAreOrderedLastInIndexOrder)
{
    matrix.addRouting (ModSourceID::lfo1, index (ParamID::lfo2_rate), 0.5f, ModScope::global, false);
    EXPECT_FALSE (matrix.cyclePresent());
    EXPECT_EQ (matrix.evaluationOrder()[0], ModSourceID::lfo1);

    matrix.addRouting (ModSourceID::lfo2, index (ParamID::lfo1_rate), 0.5f, ModScope::global, false);
    EXPECT_TRUE (matrix.cyclePresent());
    const auto& order = matrix.evaluationOrder();
    EXPECT_EQ (order[0], ModSourceID::lfo3);
    EXPECT_EQ (order[16], ModSourceID::repetition_bloom);
    EXPECT_EQ (order[17], ModSourceID::lfo1);
    EXPECT_EQ (order[18], ModSourceID::lfo2);

    matrix.removeRouting (0);
    EXPECT_FALSE (matrix.cyclePresent());
}

TEST_F (MatrixFixture, ASourceModulatingAnotherRunsFirstInTheSameBlock)
{
    // LFO 2 (square, +1) raises LFO 1's depth before LFO 1 is evaluated.
    for (const auto lfo : { 0, 1 })
    {
        set (static_cast<ParamID> (index (ParamID::lfo1_shape) + 3 * lfo), 4.0f);
        set (static_cast<ParamID> (index (ParamID::lfo1_rate) + 3 * lfo), 0.01f);
    }
    set (ParamID::lfo2_depth, 1.0f);
    set (ParamID::filt_cutoff, 10000.0f);
    matrix.addRouting (ModSourceID::lfo1, index (ParamID::filt_cutoff), 0.5f, ModScope::global, false);
    matrix.addRouting (ModSourceID::lfo2, index (ParamID::lfo1_depth), 1.0f, ModScope::global, false);
    EXPECT_EQ (matrix.evaluationOrder()[0], ModSourceID::lfo2);
    EXPECT_FLOAT_EQ (globalBlock (ParamID::filt_cutoff), 15000.0f); // LFO 1 depth 0 -> 1 this block
}

TEST_F (MatrixFixture, SampleAndHoldStepsAtFourHertzAndSlews)
{
    // 48 kHz, 480-sample blocks: a new target every 25 blocks; at most 0.1 per block.
    float previous = matrix.sampleAndHoldOutput();
    int moves = 0;
    for (int block = 1; block <= 100; ++block)
    {
        globalBlock (ParamID::master_vol);
        const float now = matrix.sampleAndHoldOutput();
        EXPECT_LE (std::abs (now - previous), 0.1f + 1e-6f);
        if (block <= 24)
        {
            EXPECT_EQ (now, 0.0f) << "no target drawn before the clock wraps";
        }
        if (now != previous)
            ++moves;
        previous = now;
    }
    EXPECT_GT (moves, 5);
}

TEST_F (MatrixFixture, DepthsAreClampedAndBadIndicesIgnored)
{
    EXPECT_EQ (matrix.addRouting (ModSourceID::macro1, 0, 1.5f, ModScope::global, false), 0);
    EXPECT_EQ (matrix.routings()[0].depth, 1.0f);
    matrix.setRoutingDepth (0, std::nanf (""));
    EXPECT_EQ (matrix.routings()[0].depth, 0.0f);
    matrix.setRoutingDepth (5, 0.3f);
    matrix.removeRouting (-1);
    matrix.removeRouting (1);
    EXPECT_EQ (matrix.routings().size(), 1u);
}

struct ChordCase
{
    std::vector<int> pitchClasses;
    float expected;
};

class ChordComplexity : public testing::TestWithParam<ChordCase> {};

TEST_P (ChordComplexity, WeighsIntervalsAndDensity)
{
    unsigned mask = 0;
    for (const int pc : GetParam().pitchClasses)
        mask |= 1u << pc;
    EXPECT_NEAR (ModMatrix::computeChordComplexity (mask), GetParam().expected, 1e-5f);
}

INSTANTIATE_TEST_SUITE_P (Cases, ChordComplexity, testing::Values (
    ChordCase { {}, 0.0f }, ChordCase { { 5 }, 0.0f }, ChordCase { { 0, 4 }, 0.2f },
    ChordCase { { 0, 4, 7 }, 0.03f + 0.6f / 3.0f }, ChordCase { { 0, 1 }, 1.0f }, ChordCase { { 0, 6 }, 0.9f },
    ChordCase { { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11 }, 0.3f + 34.2f / 66.0f }));

TEST (ModSources, IdsAndLabelsRoundTrip)
{
    for (int i = 0; i < kNumModSources; ++i)
    {
        const auto source = static_cast<ModSourceID> (i);
        EXPECT_EQ (modSourceFromId (modSourceId (source)), source);
    }
    EXPECT_EQ (modSourceFromId ("LFO1"), ModSourceID::unknown);
    EXPECT_EQ (modSourceFromId (nullptr), ModSourceID::unknown);
    EXPECT_STREQ (modSourceLabel (ModSourceID::note_bloom), "Bloom");
    EXPECT_STREQ (modSourceLabel (static_cast<ModSourceID> (42)), "?");
}

TEST (ModulationStress, EverySourceOnEveryParameterStaysFinite)
{
    SynthEngine engine;
    engine.prepare (kRate, 256);
    std::vector<ModRouting> routings;
    for (int source = -1; source <= kNumModSources + 1; ++source)
        for (int target = -1; target <= kNumParameters; ++target)
            routings.push_back ({ static_cast<ModSourceID> (source), target, (source + target) % 2 ? 1.0f : -1.0f,
                                  static_cast<ModScope> ((source + target) % 3), false });
    engine.modMatrix().replaceRoutings (routings);
    engine.setMpeEnabled (true);
    engine.controller (1, 1, 1.0f);
    engine.pitchBend (1, -1.0f);

    std::vector<float> left (256), right (256);
    float* channels[] = { left.data(), right.data() };
    for (int block = 0; block < 200; ++block)
    {
        if (block % 10 == 0)
            engine.noteOn (1 + block % 5, 36 + block % 48, 0.9f);
        engine.render (channels, 2, 256);
        for (int s = 0; s < 256; ++s)
            ASSERT_TRUE (std::isfinite (left[static_cast<std::size_t> (s)]) && std::abs (left[static_cast<std::size_t> (s)]) < 16.0f) << block;
    }
}
