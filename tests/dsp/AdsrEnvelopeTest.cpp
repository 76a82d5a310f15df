#include "dsp/AdsrEnvelope.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

using plumora::AdsrEnvelope;

namespace
{
int ticksUntil (AdsrEnvelope& envelope, AdsrEnvelope::Stage stage, int limit = 10'000'000)
{
    int ticks = 0;
    while (envelope.getStage() != stage && ticks < limit)
    {
        envelope.tick();
        ++ticks;
    }
    return ticks;
}

AdsrEnvelope preparedEnvelope (double sampleRate, float a, float d, float s, float r)
{
    AdsrEnvelope envelope;
    envelope.prepare (sampleRate);
    envelope.setParameters (a, d, s, r);
    return envelope;
}
} // namespace

TEST (AdsrEnvelope, AttackIsLinearAndTakesItsTimeAtCommonRates)
{
    for (const double rate : { 44100.0, 48000.0 })
    {
        auto envelope = preparedEnvelope (rate, 0.01f, 0.3f, 0.7f, 0.5f);
        envelope.noteOn();
        const auto expected = rate * 0.01;

        envelope.tick();
        EXPECT_NEAR (envelope.getValue(), 1.0 / expected, 1e-6);
        const int ticks = 1 + ticksUntil (envelope, AdsrEnvelope::Decay);
        EXPECT_NEAR (ticks, expected, 2.0) << "at " << rate << " Hz";
        EXPECT_FLOAT_EQ (envelope.getValue(), 1.0f);
    }
}

TEST (AdsrEnvelope, TimesBelowTheMinimumBehaveLikeOneMillisecond)
{
    for (const float attack : { 0.001f, 0.0f, -3.0f, std::nanf ("") })
    {
        auto envelope = preparedEnvelope (48000.0, attack, 0.3f, 0.7f, 0.5f);
        envelope.noteOn();
        EXPECT_NEAR (ticksUntil (envelope, AdsrEnvelope::Decay), 48, 1) << "attack " << attack;
    }
}

TEST (AdsrEnvelope, DecaySettlesOnTheSustainLevelAndFollowsItsChanges)
{
    auto envelope = preparedEnvelope (48000.0, 0.001f, 0.1f, 0.5f, 0.5f);
    envelope.noteOn();
    ticksUntil (envelope, AdsrEnvelope::Decay);

    // 99 % of the distance (-40 dB) is covered in the decay time.
    for (int i = 0; i < 4800; ++i)
        envelope.tick();
    EXPECT_NEAR (envelope.getValue(), 0.5f + 0.5f * 0.01f, 0.0005f);

    ticksUntil (envelope, AdsrEnvelope::Sustain);
    EXPECT_FLOAT_EQ (envelope.getValue(), 0.5f);

    envelope.setParameters (0.001f, 0.1f, 0.25f, 0.5f);
    EXPECT_FLOAT_EQ (envelope.tick(), 0.25f);
}

TEST (AdsrEnvelope, SustainZeroStaysAliveUntilNoteOff)
{
    auto envelope = preparedEnvelope (44100.0, 0.001f, 0.01f, 0.0f, 0.01f);
    envelope.noteOn();
    ticksUntil (envelope, AdsrEnvelope::Sustain);
    envelope.advance (44100);
    EXPECT_EQ (envelope.getStage(), AdsrEnvelope::Sustain);
    EXPECT_EQ (envelope.getValue(), 0.0f);

    envelope.noteOff();
    envelope.tick();
    EXPECT_TRUE (envelope.isIdle());
}

TEST (AdsrEnvelope, ReleaseFallsFortyDecibelsInItsTimeAndEndsIdle)
{
    auto envelope = preparedEnvelope (48000.0, 0.001f, 0.001f, 1.0f, 0.5f);
    envelope.noteOn();
    ticksUntil (envelope, AdsrEnvelope::Sustain);
    envelope.noteOff();

    envelope.advance (24000);
    EXPECT_NEAR (envelope.getValue(), 0.01f, 0.0005f);

    const int remaining = ticksUntil (envelope, AdsrEnvelope::Idle);
    EXPECT_NEAR (24000 + remaining, 48000, 100);
    EXPECT_EQ (envelope.getValue(), 0.0f);
    EXPECT_EQ (envelope.tick(), 0.0f);
}

TEST (AdsrEnvelope, RetriggerAndReleaseStartFromTheCurrentValue)
{
    auto envelope = preparedEnvelope (48000.0, 0.1f, 0.3f, 0.7f, 0.5f);
    envelope.noteOn();
    while (envelope.getValue() < 0.4f)
        envelope.tick();
    const float atRelease = envelope.getValue();

    envelope.noteOff();
    EXPECT_EQ (envelope.getStage(), AdsrEnvelope::Release);
    EXPECT_LT (envelope.tick(), atRelease);
    EXPECT_GT (envelope.getValue(), atRelease * 0.99f);

    while (envelope.getValue() > 0.2f)
        envelope.tick();
    const float atRetrigger = envelope.getValue();
    envelope.noteOn();
    EXPECT_NEAR (envelope.tick(), atRetrigger + 1.0f / 4800.0f, 1e-6f);
}

TEST (AdsrEnvelope, NoteOffOnAnIdleEnvelopeKeepsItIdle)
{
    AdsrEnvelope envelope;
    envelope.noteOff();
    EXPECT_TRUE (envelope.isIdle());
    EXPECT_EQ (envelope.tick(), 0.0f);
}

// Stage lengths at the common rates: the attack reaches 1, and the decay and
// release cover 99 % of their distance, in the set time to within a sample.
// Parameters: stage, sample rate, seconds.
class AdsrStageTiming : public testing::TestWithParam<std::tuple<AdsrEnvelope::Stage, double, float>>
{
};

TEST_P (AdsrStageTiming, TakesItsSetTime)
{
    const auto [stage, sampleRate, seconds] = GetParam();
    const double expected = sampleRate * seconds;
    int ticks = 0;

    if (stage == AdsrEnvelope::Attack)
    {
        auto envelope = preparedEnvelope (sampleRate, seconds, 0.3f, 0.5f, 0.5f);
        envelope.noteOn();
        ticks = ticksUntil (envelope, AdsrEnvelope::Decay);
        EXPECT_EQ (envelope.getValue(), 1.0f);
    }
    else if (stage == AdsrEnvelope::Decay)
    {
        auto envelope = preparedEnvelope (sampleRate, 0.001f, seconds, 0.0f, 0.5f);
        envelope.noteOn();
        ticksUntil (envelope, AdsrEnvelope::Decay);
        while (envelope.getValue() > 0.01f)
        {
            envelope.tick();
            ++ticks;
        }
    }
    else
    {
        auto envelope = preparedEnvelope (sampleRate, 0.001f, 0.001f, 1.0f, seconds);
        envelope.noteOn();
        ticksUntil (envelope, AdsrEnvelope::Sustain);
        envelope.noteOff();
        while (envelope.getValue() > 0.01f)
        {
            envelope.tick();
            ++ticks;
        }
        // Idle at -80 dB: about twice the release time.
        EXPECT_NEAR (ticks + ticksUntil (envelope, AdsrEnvelope::Idle), 2.0 * expected, 2.0);
    }

    EXPECT_NEAR (ticks, expected, 1.0);
}

INSTANTIATE_TEST_SUITE_P (Stages, AdsrStageTiming,
                          testing::Combine (testing::Values (AdsrEnvelope::Attack, AdsrEnvelope::Decay, AdsrEnvelope::Release),
                                            testing::Values (44100.0, 48000.0),
                                            testing::Values (0.001f, 0.05f, 0.3f, 2.0f, 10.0f)));

TEST (AdsrEnvelope, RetriggerDuringDecayOrSustainRisesFromTheCurrentLevel)
{
    auto envelope = preparedEnvelope (48000.0, 0.01f, 0.05f, 0.3f, 0.5f);
    envelope.noteOn();
    ticksUntil (envelope, AdsrEnvelope::Decay);
    envelope.advance (480);
    const float inDecay = envelope.getValue();
    ASSERT_GT (inDecay, 0.3f);
    ASSERT_LT (inDecay, 1.0f);

    envelope.noteOn();
    EXPECT_NEAR (envelope.tick(), inDecay + 1.0f / 480.0f, 1e-6f);
    // The rest of the rise takes the remaining distance at the attack's slope.
    EXPECT_NEAR (1 + ticksUntil (envelope, AdsrEnvelope::Decay), (1.0f - inDecay) * 480.0f, 1.0);

    ticksUntil (envelope, AdsrEnvelope::Sustain);
    envelope.noteOn();
    EXPECT_NEAR (envelope.tick(), 0.3f + 1.0f / 480.0f, 1e-6f);
}

TEST (AdsrEnvelope, NewTimesTakeEffectOnTheNextSample)
{
    auto envelope = preparedEnvelope (48000.0, 1.0f, 0.3f, 0.7f, 0.5f);
    envelope.noteOn();
    envelope.advance (24000);
    EXPECT_NEAR (envelope.getValue(), 0.5f, 1e-5f);

    // The second half at the new, ten times steeper slope.
    envelope.setParameters (0.1f, 0.3f, 0.7f, 0.5f);
    EXPECT_NEAR (envelope.tick(), 0.5f + 1.0f / 4800.0f, 1e-6f);
    EXPECT_NEAR (1 + ticksUntil (envelope, AdsrEnvelope::Decay), 2400, 1);
}

TEST (AdsrEnvelope, SustainOutsideTheRangeIsClamped)
{
    for (const auto& [requested, expected] : { std::pair { 1.5f, 1.0f }, std::pair { -0.5f, 0.0f },
                                               std::pair { std::nanf (""), 0.0f } })
    {
        auto envelope = preparedEnvelope (44100.0, 0.001f, 0.001f, requested, 0.5f);
        envelope.noteOn();
        ticksUntil (envelope, AdsrEnvelope::Sustain, 100000);
        EXPECT_EQ (envelope.getStage(), AdsrEnvelope::Sustain) << requested;
        EXPECT_EQ (envelope.getValue(), expected) << requested;
    }
}

TEST (AdsrEnvelope, NonsenseSampleRatesKeepThePreviousOne)
{
    for (const double rate : { 0.0, -48000.0, std::nan (""), 1.0e300 })
    {
        auto envelope = preparedEnvelope (48000.0, 0.01f, 0.3f, 0.7f, 0.5f);
        envelope.prepare (rate);
        envelope.noteOn();
        EXPECT_EQ (ticksUntil (envelope, AdsrEnvelope::Decay), 480) << rate;
    }
}

// The block forms must give exactly what sample-by-sample ticking gives,
// through every stage change, a sustain moved while held, and idle.
TEST (AdsrEnvelope, BlockRenderAndAdvanceMatchTicking)
{
    auto ticked = preparedEnvelope (48000.0, 0.004f, 0.01f, 0.6f, 0.01f);
    auto rendered = ticked;
    auto advanced = ticked;
    ticked.noteOn();
    rendered.noteOn();
    advanced.noteOn();

    std::vector<float> block (333);
    for (int b = 0; b < 12; ++b)
    {
        if (b == 5)
            for (auto* e : { &ticked, &rendered, &advanced })
                e->setParameters (0.004f, 0.01f, 0.3f, 0.01f);
        if (b == 7)
            for (auto* e : { &ticked, &rendered, &advanced })
                e->noteOff();

        rendered.render (block.data(), static_cast<int> (block.size()));
        const float last = advanced.advance (static_cast<int> (block.size()));
        for (std::size_t s = 0; s < block.size(); ++s)
            ASSERT_EQ (block[s], ticked.tick()) << "block " << b << ", sample " << s;
        ASSERT_EQ (last, block.back()) << "block " << b;
        ASSERT_EQ (rendered.getStage(), ticked.getStage());
        ASSERT_EQ (advanced.getStage(), ticked.getStage());
    }
    EXPECT_TRUE (rendered.isIdle());
}
