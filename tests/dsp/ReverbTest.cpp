#include "dsp/Reverb.h"
#include "dsp/SignalProbe.h"
#include "dsp/StereoRender.h"
#include "support/AllocationCounter.h"
#include "support/Spectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using plumora::Reverb;
using namespace plumora::test;

namespace
{
Reverb makeReverb (double sampleRate, float size, float damp, float mix = 1.0f, float preDelayMs = 0.0f)
{
    Reverb reverb;
    reverb.settings = { size, damp, mix, preDelayMs, false };
    reverb.prepare (sampleRate);
    return reverb;
}

struct Stereo
{
    std::vector<float> left, right;
};

Stereo impulseResponse (Reverb reverb, int length)
{
    Stereo out { makeImpulse (length), std::vector<float> (static_cast<size_t> (length), 0.0f) };
    renderInBlocks (reverb, out.left, out.right);
    return out;
}

// Reverberation time from the Schroeder backward-integrated energy of both
// sides: the -5 to -35 dB span, extrapolated to 60 dB.
double reverbTimeSeconds (const Stereo& response, double sampleRate)
{
    const size_t n = response.left.size();
    std::vector<double> remaining (n + 1, 0.0);
    for (size_t i = n; i-- > 0;)
        remaining[i] = remaining[i + 1] + double (response.left[i]) * response.left[i]
                       + double (response.right[i]) * response.right[i];
    auto crossing = [&] (double db)
    {
        const double level = remaining[0] * std::pow (10.0, db / 10.0);
        size_t i = 0;
        while (i < n && remaining[i] > level)
            ++i;
        return static_cast<double> (i) / sampleRate;
    };
    return 2.0 * (crossing (-35.0) - crossing (-5.0));
}

// Level in dB of the band [low, high) in a 4096-sample window at `seconds`.
double bandLevelDb (const std::vector<float>& x, double sampleRate, double seconds, double low, double high)
{
    const auto start = static_cast<size_t> (seconds * sampleRate);
    const std::vector<float> window (x.begin() + static_cast<std::ptrdiff_t> (start),
                                     x.begin() + static_cast<std::ptrdiff_t> (start + 4096));
    return 10.0 * std::log10 (bandEnergy (amplitudeSpectrum (window), sampleRate, low, high) + 1e-300);
}
} // namespace

// The first reflection leaves the shortest comb (1423 samples at 44.1 kHz,
// scaled with the rate) after the pre-delay; before it the output is silent.
struct PreDelayCase
{
    double sampleRate;
    float preDelayMs;
    int expectedPreDelay; // samples
};

class ReverbPreDelay : public testing::TestWithParam<PreDelayCase>
{
};

TEST_P (ReverbPreDelay, FirstReflectionArrivesAfterThePreDelay)
{
    const auto [rate, preDelayMs, expected] = GetParam();
    auto reverb = makeReverb (rate, 0.5f, 0.5f, 1.0f, preDelayMs);
    EXPECT_EQ (reverb.getPreDelaySamples(), expected);
    const int shortestComb = static_cast<int> (1423 * rate / 44100.0);

    // The input is mono (the mean of both sides): a click on either side
    // gives the same tail.
    for (int side = 0; side < 2; ++side)
    {
        const int length = expected + shortestComb + 2048;
        std::vector<float> left (static_cast<size_t> (length), 0.0f), right = left;
        (side == 0 ? left : right)[0] = 2.0f;
        auto copy = reverb;
        renderInBlocks (copy, left, right);
        size_t first = 0;
        while (first < left.size() && std::abs (left[first]) < 1e-12f && std::abs (right[first]) < 1e-12f)
            ++first;
        EXPECT_EQ (first, static_cast<size_t> (expected + shortestComb)) << "side " << side;
        EXPECT_GT (peakOf (left), 0.05f);
        EXPECT_GT (peakOf (right), 0.05f);
        EXPECT_NE (left, right); // different all-passes per side
    }
}

INSTANTIATE_TEST_SUITE_P (PreDelaysAndRates, ReverbPreDelay,
                          testing::Values (PreDelayCase { 44100.0, 0.0f, 0 }, PreDelayCase { 44100.0, 10.0f, 441 },
                                           PreDelayCase { 48000.0, 100.0f, 4800 }, // the whole line
                                           PreDelayCase { 48000.0, 33.3f, 1598 },  // rounded
                                           PreDelayCase { 96000.0, 50.0f, 4800 },
                                           PreDelayCase { 22050.0, 100.0f, 2205 },
                                           PreDelayCase { 192000.0, 100.0f, 19200 },
                                           PreDelayCase { 48000.0, 250.0f, 4800 }, // clamped to 100 ms
                                           PreDelayCase { 48000.0, -5.0f, 0 },
                                           PreDelayCase { 48000.0, std::numeric_limits<float>::quiet_NaN(), 0 }));

TEST (Reverb, PreDelayFollowsTheSettingBlockByBlock)
{
    auto reverb = makeReverb (48000.0, 0.5f, 0.5f);
    std::vector<float> left (512, 0.0f), right = left;
    reverb.process (left.data(), right.data(), 512);
    reverb.settings.preDelayMs = 20.0f;
    reverb.updatePreDelay();
    EXPECT_EQ (reverb.getPreDelaySamples(), 960);
    reverb.settings.preDelayMs = 5.0f;
    reverb.process (left.data(), right.data(), 512);
    EXPECT_EQ (reverb.getPreDelaySamples(), 240);
}

// Comb feedback 0.7 + 0.28 size; without damping every frequency decays at
// the combs' rate, RT60 = 3 * length / (rate * -log10 g), here for the mean
// comb length (1522 samples at 44.1 kHz): the time is the same at any rate.
struct SizeCase
{
    float size;
    double sampleRate;
};

class ReverbSize : public testing::TestWithParam<SizeCase>
{
};

TEST_P (ReverbSize, ReverbTimeGrowsWithSize)
{
    const auto [size, rate] = GetParam();
    const double feedback = 0.7 + 0.28 * std::min (size, 1.0f);
    const double expected = 3.0 * 1522.0 / 44100.0 / -std::log10 (feedback);
    const auto response = impulseResponse (makeReverb (rate, size, 0.0f), static_cast<int> (rate * (expected + 1.0)));
    const double measured = reverbTimeSeconds (response, rate);
    EXPECT_NEAR (measured, expected, 0.1 * expected) << "size " << size << " at " << rate;
}

INSTANTIATE_TEST_SUITE_P (SizesAndRates, ReverbSize,
                          testing::Values (SizeCase { 0.0f, 44100.0 }, SizeCase { 0.25f, 44100.0 },
                                           SizeCase { 0.5f, 44100.0 }, SizeCase { 0.75f, 48000.0 },
                                           SizeCase { 1.0f, 44100.0 }, SizeCase { 0.5f, 22050.0 },
                                           SizeCase { 0.5f, 96000.0 }, SizeCase { 0.25f, 192000.0 },
                                           SizeCase { 7.0f, 44100.0 })); // clamped to 1

TEST (Reverb, DampingDarkensTheTail)
{
    // The low-pass in each comb loop takes more off the highs on every pass:
    // from 0.1 s to 0.3 s the 5-7 kHz band loses more than the 300-700 Hz
    // band, the more so the stronger the damping. Undamped, both lose the same.
    const double rate = 44100.0;
    const double passes = 0.2 * rate / 1522.0; // through the mean comb
    double previousGap = -1.0e9;
    for (const float damp : { 0.0f, 0.25f, 0.5f, 0.75f })
    {
        const auto response = impulseResponse (makeReverb (rate, 1.0f, damp), static_cast<int> (0.5 * rate));
        const double lowLoss = bandLevelDb (response.left, rate, 0.1, 300.0, 700.0)
                               - bandLevelDb (response.left, rate, 0.3, 300.0, 700.0);
        const double highLoss = bandLevelDb (response.left, rate, 0.1, 5000.0, 7000.0)
                                - bandLevelDb (response.left, rate, 0.3, 5000.0, 7000.0);
        // Per pass the loop filter loses 20 log10 ((1 - d) / |1 - d e^-jw|);
        // a band's energy soon follows its least damped edge.
        auto lossPerPass = [&] (double hz)
        {
            const double w = kTwoPi * hz / rate;
            return -20.0 * std::log10 ((1.0 - damp) / std::sqrt (1.0 - 2.0 * damp * std::cos (w) + damp * damp));
        };
        const double expectedGap = passes * (lossPerPass (5000.0) - lossPerPass (300.0));
        const double gap = highLoss - lowLoss;
        EXPECT_NEAR (gap, expectedGap, 2.0 + 0.1 * expectedGap) << "damp " << damp;
        EXPECT_GT (gap, previousGap + 3.0) << "damp " << damp;
        previousGap = gap;
    }
}

TEST (Reverb, FullDampingLetsTheTailDieInsteadOfFreezing)
{
    // A loop filter that no longer moves would hold its last value for ever
    // and feed it back as a constant; the tail must end regardless.
    const double rate = 44100.0;
    auto reverb = makeReverb (rate, 0.5f, 0.5f);
    auto left = makeNoise (8820, 1, 1.0f), right = makeNoise (8820, 2, 1.0f);
    renderInBlocks (reverb, left, right);
    const double ringing = rms (left);

    reverb.settings.damp = 1.0f;
    std::vector<float> tailLeft (static_cast<size_t> (8 * rate), 0.0f), tailRight = tailLeft;
    renderInBlocks (reverb, tailLeft, tailRight);
    EXPECT_LT (peakOf (tailLeft, tailLeft.size() - 4410), 1e-6 * ringing);
    EXPECT_LT (peakOf (tailRight, tailRight.size() - 4410), 1e-6 * ringing);
}

TEST (Reverb, MixMovesFromDryToReverb)
{
    const double rate = 44100.0;
    const auto inputL = makeNoise (20000, 1), inputR = makeNoise (20000, 2);
    auto wetReverb = makeReverb (rate, 0.7f, 0.3f, 1.0f, 12.0f);
    auto wetL = inputL, wetR = inputR;
    renderInBlocks (wetReverb, wetL, wetR);
    for (const float mix : { 0.0f, 0.2f, 0.6f })
    {
        auto reverb = makeReverb (rate, 0.7f, 0.3f, mix, 12.0f);
        auto left = inputL, right = inputR;
        renderInBlocks (reverb, left, right);
        for (size_t i = 0; i < left.size(); ++i)
        {
            ASSERT_NEAR (left[i], inputL[i] + (wetL[i] - inputL[i]) * mix, 2e-6f) << mix;
            ASSERT_NEAR (right[i], inputR[i] + (wetR[i] - inputR[i]) * mix, 2e-6f) << mix;
        }
    }
}

TEST (Reverb, BypassedReverbKeepsItsTailFrozen)
{
    const double rate = 48000.0;
    const auto inputL = makeNoise (24000, 3), inputR = makeNoise (24000, 4);
    auto reference = makeReverb (rate, 0.8f, 0.4f, 0.5f, 20.0f);
    auto reverb = reference;
    auto expectedL = inputL, expectedR = inputR;
    renderInBlocks (reference, expectedL, expectedR);

    auto left = inputL, right = inputR;
    reverb.process (left.data(), right.data(), 9000);
    reverb.settings.bypass = true;
    auto skipped = makeSine (300.0, rate, 48000), skippedRight = skipped;
    renderInBlocks (reverb, skipped, skippedRight);
    EXPECT_EQ (skipped, makeSine (300.0, rate, 48000));
    reverb.settings.bypass = false;
    reverb.process (left.data() + 9000, right.data() + 9000, 24000 - 9000);
    EXPECT_EQ (left, expectedL);
    EXPECT_EQ (right, expectedR);
}

// The largest size on a long, loud input at every rate: finite and within
// the reverb's worst-case gain (combs 1 / (1 - 0.98), each all-pass 4.03,
// about 815); then a silent tail that ends on the anti-denormal floor.
class ReverbLongRender : public testing::TestWithParam<double>
{
};

TEST_P (ReverbLongRender, LargestSizeStaysBoundedAndItsTailEndsWithoutDenormals)
{
    const double rate = GetParam();
    auto reverb = makeReverb (rate, 1.0f, 0.0f, 1.0f, 100.0f);
    float peak = 0.0f;
    for (int s = 0; s < 20; ++s)
    {
        auto left = makeNoise (static_cast<int> (rate), static_cast<unsigned> (50 + s), 1.0f);
        auto right = makeSine (110.0, rate, static_cast<int> (rate), 1.0f);
        renderInBlocks (reverb, left, right);
        ASSERT_TRUE (allFinite (left) && allFinite (right)) << s;
        peak = std::max ({ peak, peakOf (left), peakOf (right) });
    }
    EXPECT_LT (peak, 815.0f);

    // RT60 about 12 s: 90 s take it from the loudest down to the floor.
    std::vector<float> left (static_cast<size_t> (rate), 0.0f), right = left;
    for (int s = 0; s < 90; ++s)
    {
        std::fill (left.begin(), left.end(), 0.0f);
        std::fill (right.begin(), right.end(), 0.0f);
        renderInBlocks (reverb, left, right);
        ASSERT_FALSE (anySubnormal (left) || anySubnormal (right)) << s;
    }
    EXPECT_LT (std::max (peakOf (left), peakOf (right)), 1.0e-20f);
}

INSTANTIATE_TEST_SUITE_P (SampleRates, ReverbLongRender, testing::Values (22050.0, 44100.0, 96000.0, 192000.0));

TEST (Reverb, NonsenseSettingsAndSampleRatesStayFiniteAndBounded)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const double rate : { 22050.0, 192000.0, 1000.0, 0.0, -44100.0, 1.0e15 })
        for (const float setting : { -1.0f, 1.0f, 7.0f, nan, inf, -inf })
        {
            Reverb reverb;
            reverb.prepare (rate);
            reverb.settings = { setting, setting, setting, setting, false };
            auto left = makeNoise (30000, 1, 1.0f), right = makeSine (1000.0, 44100.0, 30000, 1.0f);
            renderInBlocks (reverb, left, right);
            EXPECT_TRUE (allFinite (left) && allFinite (right)) << rate << " " << setting;
            EXPECT_LT (std::max (peakOf (left), peakOf (right)), 815.0f) << rate << " " << setting;
        }
}

TEST (Reverb, NonFiniteOrOverflowingInputNeverReachesTheOutput)
{
    const double rate = 48000.0;
    auto reverb = makeReverb (rate, 1.0f, 0.2f, 0.5f);
    auto left = makeSine (300.0, rate, 48000), right = left;
    left[10] = std::numeric_limits<float>::quiet_NaN();
    right[20] = -std::numeric_limits<float>::infinity();
    left[30] = right[30] = 3.0e38f;
    renderInBlocks (reverb, left, right);
    EXPECT_TRUE (allFinite (left) && allFinite (right));

    // Afterwards it reverberates as a fresh one does.
    reverb.reset();
    auto fresh = makeReverb (rate, 1.0f, 0.2f, 0.5f);
    const auto expected = impulseResponse (fresh, 4800);
    const auto measured = impulseResponse (reverb, 4800);
    EXPECT_EQ (measured.left, expected.left);
    EXPECT_EQ (measured.right, expected.right);
}

TEST (Reverb, ProcessingAllocatesNothing)
{
    auto reverb = makeReverb (48000.0, 0.5f, 0.5f, 0.3f, 30.0f);
    auto left = makeSine (440.0, 48000.0, 512), right = left;
    ScopedAllocationCounter allocations;
    reverb.process (left.data(), right.data(), 512);
    reverb.settings.preDelayMs = 80.0f;
    reverb.updatePreDelay();
    reverb.process (left.data(), right.data(), 512);
    EXPECT_EQ (allocations.count(), 0u);
}
