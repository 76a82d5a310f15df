#include "dsp/SignalProbe.h"
#include "dsp/StereoDelay.h"
#include "dsp/StereoRender.h"
#include "support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using plumora::StereoDelay;
using namespace plumora::test;

namespace
{
StereoDelay makeDelay (double sampleRate, float timeLeft, float timeRight, float feedback, float mix = 1.0f)
{
    StereoDelay delay;
    delay.prepare (sampleRate);
    delay.settings = { timeLeft, timeRight, feedback, mix, false };
    return delay;
}

// Where the energy of output[from, to) sits: with linear interpolation an
// echo is two non-negative samples, so this is its exact fractional time.
double centroid (const std::vector<float>& output, size_t from, size_t to)
{
    double sum = 0.0, weighted = 0.0;
    for (size_t i = from; i < std::min (to, output.size()); ++i)
    {
        sum += output[i];
        weighted += output[i] * static_cast<double> (i);
    }
    return weighted / sum;
}

double sumOf (const std::vector<float>& output, size_t from, size_t to)
{
    double sum = 0.0;
    for (size_t i = from; i < std::min (to, output.size()); ++i)
        sum += output[i];
    return sum;
}
} // namespace

// A click on one side comes back after that side's time, to the sample
// (fractions by linear interpolation); times are clamped to 1 sample .. 2 s.
struct EchoTimeCase
{
    double sampleRate;
    float timeLeft, timeRight;
    double expectedLeft, expectedRight; // samples
};

class StereoDelayEchoTimes : public testing::TestWithParam<EchoTimeCase>
{
};

TEST_P (StereoDelayEchoTimes, EachSideEchoesAfterItsOwnTime)
{
    const auto c = GetParam();
    const int total = static_cast<int> (std::max (c.expectedLeft, c.expectedRight)) + 1024;
    for (int side = 0; side < 2; ++side)
    {
        auto delay = makeDelay (c.sampleRate, c.timeLeft, c.timeRight, 0.0f);
        std::vector<float> left (static_cast<size_t> (total), 0.0f), right = left;
        (side == 0 ? left : right)[0] = 1.0f;
        renderInBlocks (delay, left, right);

        const auto& echoSide = side == 0 ? left : right;
        const auto& otherSide = side == 0 ? right : left;
        const double expected = side == 0 ? c.expectedLeft : c.expectedRight;
        EXPECT_NEAR (centroid (echoSide, 0, echoSide.size()), expected, 1e-3) << "side " << side;
        EXPECT_NEAR (sumOf (echoSide, 0, echoSide.size()), 1.0, 1e-5) << "side " << side;
        EXPECT_LT (peakOf (otherSide), 1e-20f) << "side " << side; // no feedback, nothing crosses
    }
}

INSTANTIATE_TEST_SUITE_P (
    TimesAndRates, StereoDelayEchoTimes,
    testing::Values (EchoTimeCase { 44100.0, 0.3f, 0.4f, 13230.0, 17640.0 },
                     EchoTimeCase { 48000.0, 0.01f, 2.0f, 480.0, 96000.0 },
                     EchoTimeCase { 48000.0, 0.123456f, 0.25f, 48000.0 * 0.123456f, 12000.0 }, // fractional
                     EchoTimeCase { 22050.0, 2.0f, 1.0f, 44100.0, 22050.0 },
                     EchoTimeCase { 96000.0, 2.0f, 2.0f, 192000.0, 192000.0 },
                     EchoTimeCase { 192000.0, 2.0f, 1.5f, 384000.0, 288000.0 }, // full 2 s above 96 kHz
                     EchoTimeCase { 44100.0, 5.0f, 1.0e9f, 88200.0, 88200.0 },   // clamped to 2 s
                     EchoTimeCase { 44100.0, 0.0f, -3.0f, 1.0, 1.0 }));          // at least one sample

TEST (StereoDelay, LinesHoldTheLongestTimeAtEveryRate)
{
    for (const double rate : { 22050.0, 44100.0, 96000.0, 192000.0, 384000.0 })
    {
        StereoDelay delay;
        delay.prepare (rate);
        EXPECT_GE (delay.getLineLength(), std::max (192000, static_cast<int> (2.0 * rate) + 2)) << rate;
    }
}

// The feedback crosses sides: a click on the left comes back left after
// the left time, then right after the right time more, and so on; echo n
// (from 0) has the level feedback^n. Feedback is clamped to 0 .. 0.95.
struct FeedbackCase
{
    float feedback, effective;
};

class StereoDelayFeedback : public testing::TestWithParam<FeedbackCase>
{
};

TEST_P (StereoDelayFeedback, EchoesPingPongAndDecayByTheFeedback)
{
    const auto [feedback, effective] = GetParam();
    const double rate = 48000.0;
    // Times exact in binary, so every echo lands on one sample.
    const int timeLeft = 6000, timeRight = 3000; // 0.125 s and 0.0625 s
    auto delay = makeDelay (rate, 0.125f, 0.0625f, feedback);
    const int echoes = 12;
    std::vector<float> left (static_cast<size_t> (6 * (timeLeft + timeRight) + 1000), 0.0f), right = left;
    left[0] = 1.0f;
    renderInBlocks (delay, left, right);

    size_t at = 0;
    for (int n = 0; n < echoes; ++n)
    {
        at += static_cast<size_t> (n % 2 == 0 ? timeLeft : timeRight);
        const auto& side = n % 2 == 0 ? left : right;
        const auto& other = n % 2 == 0 ? right : left;
        const double expected = std::pow (effective, n);
        EXPECT_NEAR (side[at], expected, 1e-6 * std::max (1.0, 1e5 * expected)) << "echo " << n;
        EXPECT_LT (std::abs (other[at]), 1e-20f) << "echo " << n;
    }
    // Nothing but the echoes (and the tiny anti-denormal floor).
    float between = 0.0f;
    size_t next = static_cast<size_t> (timeLeft);
    for (size_t i = 0; i < left.size(); ++i)
    {
        if (i == next)
        {
            next += static_cast<size_t> (timeLeft + timeRight);
            continue;
        }
        between = std::max (between, std::abs (left[i]));
    }
    EXPECT_LT (between, 1e-20f);
}

INSTANTIATE_TEST_SUITE_P (Feedbacks, StereoDelayFeedback,
                          testing::Values (FeedbackCase { 0.0f, 0.0f }, FeedbackCase { 0.4f, 0.4f },
                                           FeedbackCase { 0.95f, 0.95f }, FeedbackCase { 1.5f, 0.95f },
                                           FeedbackCase { -0.5f, 0.0f }));

TEST (StereoDelay, MixMovesFromDryToDelayed)
{
    const double rate = 44100.0;
    const auto inputL = makeNoise (30000, 1), inputR = makeNoise (30000, 2);
    auto wetDelay = makeDelay (rate, 0.05f, 0.11f, 0.6f, 1.0f);
    auto wetL = inputL, wetR = inputR;
    renderInBlocks (wetDelay, wetL, wetR);
    for (const float mix : { 0.0f, 0.3f, 0.75f })
    {
        auto delay = makeDelay (rate, 0.05f, 0.11f, 0.6f, mix);
        auto left = inputL, right = inputR;
        renderInBlocks (delay, left, right);
        if (mix == 0.0f)
        {
            EXPECT_EQ (left, inputL);
            EXPECT_EQ (right, inputR);
        }
        for (size_t i = 0; i < left.size(); ++i)
        {
            ASSERT_NEAR (left[i], inputL[i] + (wetL[i] - inputL[i]) * mix, 1e-6f) << mix;
            ASSERT_NEAR (right[i], inputR[i] + (wetR[i] - inputR[i]) * mix, 1e-6f) << mix;
        }
    }
}

TEST (StereoDelay, ATimeChangeMovesOnlyItsOwnSide)
{
    const double rate = 48000.0;
    auto delay = makeDelay (rate, 0.1f, 0.2f, 0.0f);
    std::vector<float> left (48000, 0.0f), right = left;
    delay.process (left.data(), right.data(), 512);
    delay.settings.timeLeft = 0.05f;
    left[512] = right[512] = 1.0f;
    delay.process (left.data() + 512, right.data() + 512, 48000 - 512);
    EXPECT_FLOAT_EQ (left[512 + 2400], 1.0f);
    EXPECT_FLOAT_EQ (right[512 + 9600], 1.0f);
}

TEST (StereoDelay, BypassLeavesTheBlockAndFreezesTheLines)
{
    const double rate = 48000.0;
    const auto inputL = makeNoise (16384, 3), inputR = makeNoise (16384, 4);
    auto reference = makeDelay (rate, 0.02f, 0.03f, 0.8f, 0.5f);
    auto delay = reference;
    auto expectedL = inputL, expectedR = inputR;
    renderInBlocks (reference, expectedL, expectedR);

    auto left = inputL, right = inputR;
    delay.process (left.data(), right.data(), 5000);
    delay.settings.bypass = true;
    auto skipped = makeSine (300.0, rate, 3000), skippedRight = skipped;
    delay.process (skipped.data(), skippedRight.data(), 3000);
    EXPECT_EQ (skipped, makeSine (300.0, rate, 3000));
    delay.settings.bypass = false;
    delay.process (left.data() + 5000, right.data() + 5000, 16384 - 5000);
    EXPECT_EQ (left, expectedL);
    EXPECT_EQ (right, expectedR);
}

// Full feedback on a long, loud input: the loop gain stays below 1, so the
// output stays within the sum of all echo levels (1 / (1 - 0.95) = 20 times
// the input peak) and finite, at every rate.
class StereoDelayLongRender : public testing::TestWithParam<double>
{
};

TEST_P (StereoDelayLongRender, FullFeedbackStaysBoundedAndItsTailEndsWithoutDenormals)
{
    const double rate = GetParam();
    auto delay = makeDelay (rate, 0.004f, 0.003f, 0.95f, 1.0f);
    const int seconds = 30;
    float peak = 0.0f;
    for (int s = 0; s < seconds; ++s)
    {
        auto left = makeNoise (static_cast<int> (rate), static_cast<unsigned> (100 + s), 1.0f);
        auto right = makeSine (97.0, rate, static_cast<int> (rate), 1.0f);
        renderInBlocks (delay, left, right);
        ASSERT_TRUE (allFinite (left) && allFinite (right)) << s;
        peak = std::max ({ peak, peakOf (left), peakOf (right) });
    }
    EXPECT_LE (peak, 20.0f);
    EXPECT_GT (peak, 1.0f); // the echoes do pile up

    // 0.95 per repeat of 3 or 4 ms: from +26 dB to -440 dB in about 3.6 s,
    // where only the anti-denormal floor is left.
    std::vector<float> left (static_cast<size_t> (6 * rate), 0.0f), right = left;
    renderInBlocks (delay, left, right);
    EXPECT_FALSE (anySubnormal (left) || anySubnormal (right));
    EXPECT_LT (std::max (peakOf (left, left.size() - 512), peakOf (right, right.size() - 512)), 1.0e-20f);
}

INSTANTIATE_TEST_SUITE_P (SampleRates, StereoDelayLongRender, testing::Values (22050.0, 44100.0, 96000.0, 192000.0));

TEST (StereoDelay, NonsenseSettingsAndSampleRatesStayFiniteAndBounded)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const double rate : { 22050.0, 192000.0, 0.0, -44100.0, static_cast<double> (nan) })
        for (const float setting : { -1.0f, 0.5f, 7.0f, nan, inf, -inf })
        {
            StereoDelay delay;
            delay.prepare (rate);
            delay.settings = { setting, setting, setting, setting, false };
            auto left = makeNoise (30000, 1, 1.0f), right = makeSine (1000.0, 44100.0, 30000, 1.0f);
            renderInBlocks (delay, left, right);
            EXPECT_TRUE (allFinite (left) && allFinite (right)) << rate << " " << setting;
            EXPECT_LE (std::max (peakOf (left), peakOf (right)), 20.0f) << rate << " " << setting;
        }
}

TEST (StereoDelay, NonFiniteOrOverflowingInputNeverReachesTheOutput)
{
    const double rate = 48000.0;
    auto delay = makeDelay (rate, 0.01f, 0.01f, 0.95f, 0.5f);
    auto left = makeSine (300.0, rate, 48000), right = left;
    left[10] = std::numeric_limits<float>::quiet_NaN();
    right[20] = std::numeric_limits<float>::infinity();
    left[30] = right[30] = 3.0e38f; // overflows once the echoes pile up
    renderInBlocks (delay, left, right);
    EXPECT_TRUE (allFinite (left) && allFinite (right));

    // After it, the delay works as before.
    std::vector<float> clickL (4800, 0.0f), clickR = clickL;
    delay.reset();
    clickL[0] = 1.0f;
    renderInBlocks (delay, clickL, clickR);
    EXPECT_NEAR (clickL[480], 0.5f, 1e-6f);
    EXPECT_NEAR (clickR[960], 0.5f * 0.95f, 1e-6f);
}

// A reset clears only what was written since the last clear. Whether the
// lines were barely written, written to their end or wrapped, the delay then
// plays as a new one does: its longest echoes read the far end of the lines.
TEST (StereoDelay, ResetLeavesTheLinesAsNewHoweverFarTheyWereWritten)
{
    const double rate = 48000.0;
    const auto played = [rate] (StereoDelay& delay)
    {
        std::vector<float> left (static_cast<size_t> (2.5 * rate), 0.0f), right = left;
        left[0] = 1.0f;
        right[7] = -0.5f;
        renderInBlocks (delay, left, right);
        left.insert (left.end(), right.begin(), right.end());
        return left;
    };
    auto fresh = makeDelay (rate, 2.0f, 1.9f, 0.9f, 0.7f);
    const auto expected = played (fresh);

    const int lineLength = fresh.getLineLength();
    for (const int written : { 0, 1, 5000, lineLength - 1, lineLength, lineLength + 12345 })
    {
        auto delay = makeDelay (rate, 2.0f, 1.9f, 0.9f, 0.7f);
        auto left = makeNoise (written, 5), right = makeNoise (written, 6);
        renderInBlocks (delay, left, right);
        delay.reset();
        EXPECT_EQ (played (delay), expected) << written << " samples written";
    }
}

TEST (StereoDelay, ProcessingAllocatesNothing)
{
    auto delay = makeDelay (48000.0, 0.3f, 0.4f, 0.5f, 0.5f);
    auto left = makeSine (440.0, 48000.0, 512), right = left;
    ScopedAllocationCounter allocations;
    delay.process (left.data(), right.data(), 512);
    delay.settings.timeLeft = 1.7f;
    delay.process (left.data(), right.data(), 512);
    EXPECT_EQ (allocations.count(), 0u);
}
