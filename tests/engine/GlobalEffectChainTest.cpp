#include "engine/GlobalEffectChain.h"
#include "support/Spectrum.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plumora;

namespace
{
constexpr double kRate = 48000.0;
constexpr int kBlock = 480;

struct ChainFixture : testing::Test
{
    GlobalEffectChain chain;
    ParameterSlots slots;
    double tempo = 120.0;

    ChainFixture()
    {
        chain.prepare (kRate);
        // Everything off; each test switches on what it measures.
        for (const auto id : { ParamID::autofilter_bypass, ParamID::chorus_bypass, ParamID::mbsat_bypass,
                               ParamID::delay_bypass, ParamID::reverb_bypass, ParamID::eq_bypass })
            set (id, 1.0f);
    }

    void set (ParamID id, float value) { slots.setTarget (id, value); }

    // Runs an impulse (or silence) through the chain; returns the left channel.
    std::vector<float> run (int samples, bool impulse = true)
    {
        slots.beginBlock();
        std::vector<float> left (static_cast<std::size_t> (samples), 0.0f), right (left);
        if (impulse)
            left[0] = right[0] = 1.0f;
        for (int offset = 0; offset < samples; offset += kBlock)
            chain.process (left.data() + offset, right.data() + offset, std::min (kBlock, samples - offset), slots, tempo);
        return left;
    }

    static int loudestAfter (const std::vector<float>& x, int from)
    {
        return static_cast<int> (std::max_element (x.begin() + from, x.end(), [] (float a, float b) { return std::abs (a) < std::abs (b); }) - x.begin());
    }
};
} // namespace

TEST_F (ChainFixture, SyncedDelayFollowsTheTempoAndIsClamped)
{
    set (ParamID::delay_bypass, 0.0f);
    set (ParamID::delay_sync, 1.0f);
    set (ParamID::delay_division, 3.0f); // 1/8 at 120 BPM: 0.25 s
    set (ParamID::delay_feedback, 0.0f);
    EXPECT_EQ (loudestAfter (run (24000), 10), 12000);

    EXPECT_FLOAT_EQ (GlobalEffectChain::syncedDelaySeconds (1, 20.0), 2.0f) << "4.5 s is clamped";
    EXPECT_FLOAT_EQ (GlobalEffectChain::syncedDelaySeconds (9, 120.0), 0.0625f);
    EXPECT_FLOAT_EQ (GlobalEffectChain::syncedDelaySeconds (42, 120.0), 0.25f);
    EXPECT_FLOAT_EQ (GlobalEffectChain::syncedDelaySeconds (0, 1.0e6), 0.01f);
}

TEST_F (ChainFixture, UnsyncedDelayUsesEachSidesOwnTime)
{
    set (ParamID::delay_bypass, 0.0f);
    set (ParamID::delay_time_l, 0.1f);
    set (ParamID::delay_time_r, 0.2f);
    set (ParamID::delay_feedback, 0.0f);
    slots.beginBlock();
    std::vector<float> left (12000, 0.0f), right (12000, 0.0f);
    left[0] = right[0] = 1.0f;
    for (int offset = 0; offset < 12000; offset += kBlock)
        chain.process (left.data() + offset, right.data() + offset, kBlock, slots, tempo);
    EXPECT_EQ (loudestAfter (left, 10), 4800);
    EXPECT_EQ (loudestAfter (right, 10), 9600);
}

TEST_F (ChainFixture, EqSwitchesInFromATenthOfADecibel)
{
    set (ParamID::eq_bypass, 0.0f);
    for (const auto id : { ParamID::eq_low_gain, ParamID::eq_mid_gain, ParamID::eq_high_gain })
        set (id, -0.05f);
    const auto flat = run (4800);
    EXPECT_EQ (flat[0], 1.0f);
    EXPECT_EQ (test::rms (flat.data() + 1, 4799), 0.0) << "bypassed: the impulse passes untouched";

    set (ParamID::eq_mid_gain, 0.1f);
    EXPECT_NE (run (4800)[0], 1.0f);
}

TEST_F (ChainFixture, ChorusNeedsAtLeastOnePercentMix)
{
    set (ParamID::chorus_bypass, 0.0f);
    set (ParamID::chorus_mix, 0.009f);
    const auto off = run (4800);
    EXPECT_EQ (test::rms (off.data() + 1, 4799), 0.0);
    set (ParamID::chorus_mix, 0.01f);
    const auto on = run (4800);
    EXPECT_GT (test::rms (on.data() + 1, 4799), 0.0);
}

TEST_F (ChainFixture, ABypassedReverbFreezesItsTail)
{
    set (ParamID::reverb_bypass, 0.0f);
    set (ParamID::reverb_mix, 1.0f);
    set (ParamID::reverb_size, 0.9f);
    run (4800);
    const auto before = run (kBlock, false);
    const double levelBefore = test::rms (before);
    ASSERT_GT (levelBefore, 1e-4);

    set (ParamID::reverb_bypass, 1.0f);
    const auto fade = run (kBlock, false);
    EXPECT_EQ (fade.back(), 0.0f) << "one block fades the tail out, ending dry (silent input)";
    EXPECT_EQ (test::rms (run (48000, false)), 0.0) << "then nothing passes while bypassed";

    set (ParamID::reverb_bypass, 0.0f);
    const double levelAfter = test::rms (run (kBlock, false));
    // Left running, a second would take it below a fifth.
    EXPECT_GT (levelAfter, levelBefore * 0.4) << "the tail resumes where it stopped, a second later";
}

TEST_F (ChainFixture, EverythingOnStaysFiniteWithExtremeSettings)
{
    // Every effect parameter at its maximum (bypasses off), feedback 0.95, for
    // ten seconds of noise. The gains stack (three EQ bands at +12 dB, driven
    // bands, a full reverb) but nothing runs away.
    for (int row = 0; row < kNumParameters; ++row)
    {
        const auto& definition = parameterCatalogue()[row];
        set (static_cast<ParamID> (row), parameterSpec (static_cast<ParamID> (row)).kind == ParameterKind::Bypass ? 0.0f : definition.max);
    }
    slots.beginBlock();
    std::uint32_t random = 1;
    std::vector<float> left (kBlock), right (kBlock);
    for (int block = 0; block < 1000; ++block)
    {
        for (int s = 0; s < kBlock; ++s)
        {
            random = random * 1664525u + 1013904223u;
            left[static_cast<std::size_t> (s)] = right[static_cast<std::size_t> (s)] = static_cast<float> (random) / 4294967296.0f - 0.5f;
        }
        chain.process (left.data(), right.data(), kBlock, slots, tempo);
        for (int s = 0; s < kBlock; ++s)
            ASSERT_TRUE (std::isfinite (left[static_cast<std::size_t> (s)]) && std::abs (left[static_cast<std::size_t> (s)]) < 1000.0f) << block;
    }
}

TEST_F (ChainFixture, SilentEffectsSleepAndTheFirstSoundWakesThem)
{
    for (const auto id : { ParamID::autofilter_bypass, ParamID::chorus_bypass, ParamID::mbsat_bypass, ParamID::delay_bypass,
                           ParamID::reverb_bypass, ParamID::eq_bypass })
        set (id, 0.0f);
    set (ParamID::autofilter_mix, 1.0f);
    set (ParamID::chorus_mode, 1.0f);
    set (ParamID::mbsat_mix, 1.0f);
    set (ParamID::mbsat_mid_drive, 0.5f);
    set (ParamID::delay_time_l, 0.3f);
    set (ParamID::delay_time_r, 0.3f);
    set (ParamID::eq_low_gain, 3.0f);

    run (kBlock);
    for (int stage = 0; stage < 6; ++stage)
        EXPECT_FALSE (chain.isAsleep (stage)) << "effect " << stage << " just heard an impulse";

    // Long after every tail has died away below -120 dB, all six sleep.
    const auto silence = run (20 * 48000, false);
    for (int stage = 0; stage < 6; ++stage)
        EXPECT_TRUE (chain.isAsleep (stage)) << "effect " << stage;
    EXPECT_LE (std::abs (silence.back()), SilenceGate::kSilenceLevel);

    // A quiet tone wakes the whole chain within its first block.
    slots.beginBlock();
    std::vector<float> left (kBlock), right (kBlock);
    for (int s = 0; s < kBlock; ++s)
        left[static_cast<std::size_t> (s)] = right[static_cast<std::size_t> (s)] = 0.01f * std::sin (0.05f * static_cast<float> (s));
    chain.process (left.data(), right.data(), kBlock, slots, tempo);
    for (int stage = 0; stage < 6; ++stage)
        EXPECT_FALSE (chain.isAsleep (stage)) << "effect " << stage;
    EXPECT_GT (test::rms (left), 1e-4);
}

TEST_F (ChainFixture, TheDelayStaysAwakeBetweenItsLongestEchoes)
{
    // Echoes 1.9 s apart leave the output silent in between; the line still
    // holds them, so the delay must not sleep.
    set (ParamID::delay_bypass, 0.0f);
    set (ParamID::delay_time_l, 1.9f);
    set (ParamID::delay_time_r, 1.9f);
    set (ParamID::delay_feedback, 0.5f);
    set (ParamID::delay_mix, 1.0f);
    const auto out = run (static_cast<int> (4.2 * kRate));
    const int secondEcho = static_cast<int> (3.8 * kRate);
    EXPECT_GT (std::abs (out[static_cast<std::size_t> (loudestAfter (out, secondEcho - 100))]), 0.1f);
    EXPECT_NEAR (loudestAfter (out, secondEcho - 100), secondEcho, 2);
}
