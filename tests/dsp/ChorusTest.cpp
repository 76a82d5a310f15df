#include "dsp/Chorus.h"
#include "dsp/SignalProbe.h"
#include "dsp/StereoRender.h"
#include "support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using plumora::Chorus;
using namespace plumora::test;

namespace
{
Chorus makeChorus (double sampleRate, int mode, float rate, float depth, float mix = 1.0f)
{
    Chorus chorus;
    chorus.prepare (sampleRate);
    chorus.settings = { mode, rate, depth, mix, false };
    return chorus;
}

// One echo of an input click: where it came out and how delayed it was.
struct Echo
{
    double outputTime; // samples from the start of the render
    double delay;      // samples
    float height;
};

// Clicks every `spacing` samples from `first` on, through the chorus (wet
// only): every local maximum above `threshold` in the window after a click
// is an echo. The position is refined by a parabola through the top three
// samples.
std::vector<Echo> clickEchoes (const std::vector<float>& output, int spacing, double fromDelay, double toDelay,
                               float threshold, int first = 0)
{
    std::vector<Echo> echoes;
    for (size_t click = static_cast<size_t> (first); click + static_cast<size_t> (spacing) <= output.size();
         click += static_cast<size_t> (spacing))
        for (auto i = click + static_cast<size_t> (std::max (1.0, fromDelay)); i < click + static_cast<size_t> (toDelay); ++i)
        {
            const float y = output[i];
            if (y > threshold && y >= output[i - 1] && y > output[i + 1])
            {
                const double curvature = output[i - 1] - 2.0 * y + output[i + 1];
                const double offset = curvature < 0.0 ? 0.5 * (output[i - 1] - output[i + 1]) / curvature : 0.0;
                const double time = static_cast<double> (i) + offset;
                echoes.push_back ({ time, time - static_cast<double> (click), y });
            }
        }
    return echoes;
}

std::vector<float> clickTrain (int numSamples, int spacing, int first = 0)
{
    std::vector<float> x (static_cast<size_t> (numSamples), 0.0f);
    for (int i = first; i < numSamples; i += spacing)
        x[static_cast<size_t> (i)] = 1.0f;
    return x;
}

double sinCycles (double cycles) { return std::sin (kTwoPi * cycles); }
} // namespace

// Classic: two taps per side at 7 ms +- depth * 5 ms, on one LFO in quarter
// cycle steps (left 0 and 1/4, right 1/2 and 3/4). Every click comes out
// twice per side, each echo delayed by its tap's LFO curve at the moment it
// leaves the line.
struct ClassicCase
{
    double sampleRate;
    float rate, depth;
};

class ChorusClassic : public testing::TestWithParam<ClassicCase>
{
};

TEST_P (ChorusClassic, EchoDelaysFollowTheTapsLfoCurves)
{
    const auto [sampleRate, rate, depth] = GetParam();
    // Several cycles, clicked at phases that do not repeat from cycle to cycle.
    const int total = static_cast<int> (sampleRate * std::max (1.2 / rate, 2.0));
    const int spacing = static_cast<int> (0.0237 * sampleRate);
    auto left = clickTrain (total, spacing), right = left;
    auto chorus = makeChorus (sampleRate, Chorus::Classic, rate, depth);
    renderInBlocks (chorus, left, right);

    const double centre = 0.007 * sampleRate, swing = depth * 0.005 * sampleRate;
    const double tolerance = 2.0; // samples: two echoes closer than that merge
    for (int side = 0; side < 2; ++side)
    {
        const auto echoes = clickEchoes (side == 0 ? left : right, spacing, 1.0, 0.0125 * sampleRate + 3, 0.2f);
        ASSERT_GT (echoes.size(), static_cast<size_t> (1.5 * total / spacing)) << side;
        double shortest = 1e9, longest = 0.0;
        for (const auto& echo : echoes)
        {
            // The delay at output sample n uses the LFO phase after n steps.
            const double cycles = rate * echo.outputTime / sampleRate + 0.5 * side;
            const double tapA = centre + swing * sinCycles (cycles);
            const double tapB = centre + swing * sinCycles (cycles + 0.25);
            const double error = std::min (std::abs (echo.delay - tapA), std::abs (echo.delay - tapB));
            ASSERT_LT (error, tolerance) << "side " << side << " at " << echo.outputTime << ": " << echo.delay
                                         << " vs " << tapA << " / " << tapB;
            shortest = std::min (shortest, echo.delay);
            longest = std::max (longest, echo.delay);
        }
        // Over a full cycle the echoes cover the whole swing.
        EXPECT_NEAR (shortest, centre - swing, 0.02 * swing + tolerance) << side;
        EXPECT_NEAR (longest, centre + swing, 0.02 * swing + tolerance) << side;
    }
}

INSTANTIATE_TEST_SUITE_P (RatesDepthsAndSampleRates, ChorusClassic,
                          testing::Values (ClassicCase { 48000.0, 1.0f, 0.5f }, ClassicCase { 48000.0, 1.0f, 1.0f },
                                           ClassicCase { 44100.0, 2.5f, 0.25f }, ClassicCase { 22050.0, 5.0f, 1.0f },
                                           ClassicCase { 96000.0, 0.5f, 0.8f }, ClassicCase { 192000.0, 0.1f, 1.0f }));

TEST (Chorus, ClassicWithoutDepthIsAFixedSevenMillisecondDelay)
{
    // 7 ms at 44.1 kHz is 308.7 samples: a sine comes out shifted by exactly
    // that, on both sides (both taps of a side read the same point).
    const double rate = 44100.0, delay = 308.7;
    auto chorus = makeChorus (rate, Chorus::Classic, 3.0f, 0.0f);
    auto left = makeSine (500.0, rate, 8192), right = left;
    renderInBlocks (chorus, left, right);
    for (size_t i = 400; i < left.size(); ++i)
    {
        const float expected = 0.5f * static_cast<float> (std::sin (kTwoPi * 500.0 * (i - delay) / rate));
        ASSERT_NEAR (left[i], expected, 1e-4f) << i;
        ASSERT_EQ (left[i], right[i]) << i;
    }
}

// Ensemble: three voices at 7, 13 and 21 ms, each swinging +-1.5 ms at its
// own slow rate (0.5, 0.31, 0.19 Hz, starting at angles 0, pi/3 and pi/7;
// the third follows a cosine), panned 0.7/0.3, 0.5/0.5 and 0.3/0.7 (over 3).
// The user's rate and depth do not reach it.
TEST (Chorus, EnsembleVoicesSitAtTheirDelaysAndPans)
{
    const double sampleRate = 48000.0;
    const int total = static_cast<int> (sampleRate * 6.0);
    // The first click after the 10 ms fade-in from Classic.
    const int spacing = static_cast<int> (0.03 * sampleRate);
    const auto clicks = clickTrain (total, spacing, spacing);

    auto ensemble = [&] (float rate, float depth)
    {
        auto chorus = makeChorus (sampleRate, Chorus::Ensemble, rate, depth);
        auto left = clicks, right = clicks;
        renderInBlocks (chorus, left, right);
        return std::pair { left, right };
    };
    const auto [left, right] = ensemble (0.1f, 0.0f);
    const auto [leftFast, rightFast] = ensemble (5.0f, 1.0f);
    EXPECT_EQ (left, leftFast);
    EXPECT_EQ (right, rightFast);

    const double centres[] = { 0.007, 0.013, 0.021 };
    const double angularRates[] = { kTwoPi * 0.5, 1.9477875, 1.1938052 };
    const double startAngles[] = { 0.0, kTwoPi / 6.0, kTwoPi / 14.0 };
    const double panLeft[] = { 0.7, 0.5, 0.3 };
    const double swing = 0.0015 * sampleRate;
    for (int v = 0; v < 3; ++v)
    {
        const double centre = centres[v] * sampleRate;
        const auto echoesL = clickEchoes (left, spacing, centre - swing - 3, centre + swing + 3, 0.02f, spacing);
        const auto echoesR = clickEchoes (right, spacing, centre - swing - 3, centre + swing + 3, 0.02f, spacing);
        ASSERT_EQ (echoesL.size(), echoesR.size()) << v;
        ASSERT_EQ (echoesL.size(), static_cast<size_t> (total / spacing - 1)) << v;
        double shortest = 1e9, longest = 0.0;
        for (size_t e = 0; e < echoesL.size(); ++e)
        {
            const auto& echo = echoesL[e];
            const double angle = startAngles[v] + angularRates[v] * echo.outputTime / sampleRate;
            const double modulation = v == 2 ? std::cos (angle) : std::sin (angle);
            ASSERT_NEAR (echo.delay, centre + swing * modulation, 1.0) << "voice " << v << " at " << echo.outputTime;
            ASSERT_NEAR (echoesR[e].delay, echo.delay, 0.01) << v;
            // Click peaks of a cubic read vary with the fraction: compare the sides.
            ASSERT_NEAR (echo.height / echoesR[e].height, panLeft[v] / (1.0 - panLeft[v]), 1e-3) << v;
            shortest = std::min (shortest, echo.delay);
            longest = std::max (longest, echo.delay);
        }
        EXPECT_NEAR (longest - shortest, 2.0 * swing, 0.05 * swing) << v;
    }
}

// Mode changes crossfade over 10 ms. On a steady (DC) input every read is
// that level, so the output shows the blend directly: Classic passes 1,
// Ensemble 0.5 (its pan gains sum to 1.5, over 3).
class ChorusCrossfade : public testing::TestWithParam<double>
{
};

TEST_P (ChorusCrossfade, ModeChangeRampsOverTenMilliseconds)
{
    const double rate = GetParam();
    const int fade = static_cast<int> (0.01 * rate);
    auto chorus = makeChorus (rate, Chorus::Classic, 1.0f, 0.5f);
    const int settle = Chorus::kLineLength; // every read sees the steady level
    std::vector<float> left (static_cast<size_t> (settle + 4 * fade), 1.0f), right = left;
    chorus.process (left.data(), right.data(), settle);
    EXPECT_NEAR (left[settle - 1], 1.0f, 1e-6f);

    // Into Ensemble; after half the fade, back to Classic: that fade starts
    // from the blend reached and again takes the full 10 ms.
    float* l = left.data() + settle;
    float* r = right.data() + settle;
    const int half = fade / 2;
    chorus.settings.mode = Chorus::Ensemble;
    chorus.process (l, r, half);
    chorus.settings.mode = Chorus::Classic;
    chorus.process (l + half, r + half, 3 * fade);

    for (int k = 0; k < half; ++k)
        ASSERT_NEAR (l[k], 1.0f - 0.5f * (k + 1.0f) / fade, 1e-5f) << k;
    const float reached = 0.5f * half / fade;
    for (int k = 0; k < fade; ++k)
        ASSERT_NEAR (l[half + k], 1.0f - reached * (1.0f - (k + 1.0f) / fade), 1e-5f) << k;
    for (int k = half + fade; k < 3 * fade; ++k)
        ASSERT_NEAR (l[k], 1.0f, 1e-5f) << k;
    EXPECT_EQ (chorus.getBlend(), 0.0f);

    // A full change settles at the Ensemble level.
    chorus.settings.mode = Chorus::Ensemble;
    std::vector<float> more (static_cast<size_t> (2 * fade), 1.0f), moreRight = more;
    chorus.process (more.data(), moreRight.data(), 2 * fade);
    EXPECT_NEAR (more[static_cast<size_t> (fade - 2)], 0.5f + 0.5f / fade, 1e-5f);
    EXPECT_NEAR (more.back(), 0.5f, 1e-5f);
    EXPECT_EQ (chorus.getBlend(), 1.0f);
}

INSTANTIATE_TEST_SUITE_P (SampleRates, ChorusCrossfade, testing::Values (22050.0, 44100.0, 48000.0, 96000.0, 192000.0));

TEST (Chorus, MixBlendsDryAndChorusSampleBySample)
{
    const double rate = 48000.0;
    const auto inputL = makeNoise (24000, 7), inputR = makeNoise (24000, 8);
    for (const int mode : { 0, 1 })
    {
        auto wetChorus = makeChorus (rate, mode, 2.0f, 0.7f, 1.0f);
        auto wetL = inputL, wetR = inputR;
        renderInBlocks (wetChorus, wetL, wetR);
        for (const float mix : { 0.0f, 0.3f, 0.8f })
        {
            auto chorus = makeChorus (rate, mode, 2.0f, 0.7f, mix);
            auto left = inputL, right = inputR;
            renderInBlocks (chorus, left, right);
            for (size_t i = 0; i < inputL.size(); ++i)
            {
                ASSERT_NEAR (left[i], (1.0f - mix) * inputL[i] + mix * wetL[i], 1e-6f) << mode << " " << mix;
                ASSERT_NEAR (right[i], (1.0f - mix) * inputR[i] + mix * wetR[i], 1e-6f) << mode << " " << mix;
            }
        }
    }
}

TEST (Chorus, BypassLeavesTheBlockAndFreezesLinesLfosAndFade)
{
    const double rate = 48000.0;
    const auto inputL = makeNoise (8192, 3), inputR = makeNoise (8192, 4);
    auto reference = makeChorus (rate, Chorus::Classic, 2.0f, 0.6f, 0.5f);
    auto chorus = reference;

    // A mode change mid-way: the crossfade is running when the bypass hits.
    auto expectedL = inputL, expectedR = inputR;
    reference.process (expectedL.data(), expectedR.data(), 4000);
    reference.settings.mode = Chorus::Ensemble;
    reference.process (expectedL.data() + 4000, expectedR.data() + 4000, 4192);

    auto left = inputL, right = inputR;
    chorus.process (left.data(), right.data(), 4000);
    chorus.settings.mode = Chorus::Ensemble;
    chorus.process (left.data() + 4000, right.data() + 4000, 200);
    chorus.settings.bypass = true;
    auto skipped = makeSine (300.0, rate, 1000), skippedRight = skipped;
    chorus.process (skipped.data(), skippedRight.data(), 1000);
    EXPECT_EQ (skipped, makeSine (300.0, rate, 1000));
    chorus.settings.bypass = false;
    chorus.process (left.data() + 4200, right.data() + 4200, 3992);
    EXPECT_EQ (left, expectedL);
    EXPECT_EQ (right, expectedR);
}

TEST (Chorus, NonsenseSettingsAndSampleRatesStayFiniteAndBounded)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const double rate : { 22050.0, 44100.0, 96000.0, 192000.0, 384000.0, 0.0, -1.0 })
        for (const int mode : { -1, 0, 1, 7 })
            for (const float setting : { -1.0f, 9.0f, nan, inf, -inf })
            {
                Chorus chorus;
                chorus.prepare (rate);
                chorus.settings = { mode, setting, setting, setting, false };
                auto left = makeNoise (20000, 1, 1.0f), right = makeSine (1000.0, 44100.0, 20000, 1.0f);
                renderInBlocks (chorus, left, right);
                EXPECT_TRUE (allFinite (left) && allFinite (right)) << rate << " " << mode << " " << setting;
                // Cubic reads overshoot a little; the wet never exceeds the input much.
                EXPECT_LE (std::max (peakOf (left), peakOf (right)), 1.3f) << rate << " " << mode << " " << setting;
            }
}

TEST (Chorus, NonFiniteInputIsSilencedAndLeavesTheLines)
{
    const double rate = 48000.0;
    auto chorus = makeChorus (rate, Chorus::Classic, 1.0f, 0.5f, 0.5f);
    auto reference = chorus;
    auto left = makeSine (300.0, rate, 9600), right = left;
    auto cleanL = left, cleanR = right;
    left[10] = std::numeric_limits<float>::quiet_NaN();
    right[20] = -std::numeric_limits<float>::infinity();
    cleanL[10] = 0.0f;
    cleanR[20] = 0.0f;
    renderInBlocks (chorus, left, right);
    renderInBlocks (reference, cleanL, cleanR);
    EXPECT_EQ (left, cleanL);
    EXPECT_EQ (right, cleanR);
}

TEST (Chorus, SilentTailEndsInExactZerosWithoutDenormals)
{
    for (const int mode : { 0, 1 })
    {
        auto chorus = makeChorus (192000.0, mode, 0.3f, 1.0f, 1.0f);
        auto left = makeNoise (19200, 5, 1.0f), right = makeNoise (19200, 6, 1.0f);
        renderInBlocks (chorus, left, right);
        std::vector<float> tailLeft (192000, 0.0f), tailRight = tailLeft;
        renderInBlocks (chorus, tailLeft, tailRight);
        for (const auto* tail : { &tailLeft, &tailRight })
        {
            EXPECT_FALSE (anySubnormal (*tail));
            EXPECT_EQ (peakOf (*tail, static_cast<size_t> (Chorus::kLineLength)), 0.0f);
        }
    }
}

TEST (Chorus, ProcessingAllocatesNothing)
{
    auto chorus = makeChorus (48000.0, Chorus::Classic, 1.0f, 0.5f, 0.5f);
    auto left = makeSine (440.0, 48000.0, 512), right = left;
    ScopedAllocationCounter allocations;
    chorus.process (left.data(), right.data(), 512);
    chorus.settings.mode = Chorus::Ensemble;
    chorus.process (left.data(), right.data(), 512);
    EXPECT_EQ (allocations.count(), 0u);
}
