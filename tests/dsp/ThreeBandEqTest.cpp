#include "dsp/SignalProbe.h"
#include "dsp/ThreeBandEq.h"
#include "support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using plumora::ThreeBandEq;
using namespace plumora::test;

namespace
{
ThreeBandEq makeEq (double sampleRate, float low, float mid, float high)
{
    ThreeBandEq eq;
    eq.settings = { low, mid, high, false };
    eq.prepare (sampleRate);
    return eq;
}

// Gain of the left channel for a sine; the right channel must match it.
double eqGainDb (ThreeBandEq eq, double frequency, double sampleRate)
{
    const int n = static_cast<int> (sampleRate);
    auto left = makeSine (frequency, sampleRate, n, 0.1f);
    auto right = left;
    eq.process (left.data(), right.data(), n);
    EXPECT_EQ (left, right);
    return toDecibels (amplitudeAt (left, frequency, sampleRate, left.size() / 2) / 0.1);
}

// Steady gain for a constant (0 Hz) or alternating (Nyquist) input.
double edgeGain (ThreeBandEq eq, bool nyquist)
{
    std::vector<float> left (48000), right (48000);
    for (size_t i = 0; i < left.size(); ++i)
        left[i] = right[i] = nyquist && (i % 2 == 1) ? -0.1f : 0.1f;
    eq.process (left.data(), right.data(), 48000);
    return std::abs (left.back()) / 0.1;
}
} // namespace

// One band at a time: gain measured with a sine at chosen frequencies.
struct BandCase
{
    float low, mid, high; // dB settings
    double frequency;
    double expectedDb;
    double tolerance;
};

class EqBands : public testing::TestWithParam<BandCase>
{
};

TEST_P (EqBands, GainAtTheBandFrequencies)
{
    const auto& c = GetParam();
    for (const double rate : { 44100.0, 48000.0, 96000.0 })
        EXPECT_NEAR (eqGainDb (makeEq (rate, c.low, c.mid, c.high), c.frequency, rate), c.expectedDb, c.tolerance)
            << c.frequency << " Hz at " << rate;
}

INSTANTIATE_TEST_SUITE_P (
    Gains, EqBands,
    testing::Values (BandCase { 12.0f, 0.0f, 0.0f, 20.0, 12.0, 0.3 },    // low shelf, well below 200 Hz
                     BandCase { 12.0f, 0.0f, 0.0f, 200.0, 6.0, 0.1 },    // half the gain at the corner
                     BandCase { -12.0f, 0.0f, 0.0f, 200.0, -6.0, 0.1 },
                     BandCase { 12.0f, 0.0f, 0.0f, 5000.0, 0.0, 0.1 },
                     BandCase { 0.0f, 12.0f, 0.0f, 1000.0, 12.0, 0.05 }, // peak centre
                     BandCase { 0.0f, -12.0f, 0.0f, 1000.0, -12.0, 0.05 },
                     BandCase { 0.0f, 6.0f, 0.0f, 1000.0, 6.0, 0.05 },
                     BandCase { 0.0f, 12.0f, 0.0f, 60.0, 0.0, 0.3 },
                     BandCase { 0.0f, 0.0f, 12.0f, 4000.0, 6.0, 0.1 },   // high shelf corner
                     BandCase { 0.0f, 0.0f, -12.0f, 4000.0, -6.0, 0.1 },
                     BandCase { 0.0f, 0.0f, 12.0f, 100.0, 0.0, 0.1 },
                     BandCase { 0.0f, 0.0f, 0.0f, 1000.0, 0.0, 0.01 }));

TEST (ThreeBandEq, LowShelfGainAtDcAndNoneAtNyquist)
{
    const auto eq = makeEq (48000.0, 12.0f, 0.0f, 0.0f);
    EXPECT_NEAR (edgeGain (eq, false), std::pow (10.0, 12.0 / 20.0), 1e-3);
    EXPECT_NEAR (edgeGain (eq, true), 1.0, 1e-3);

    const auto high = makeEq (48000.0, 0.0f, 0.0f, 12.0f);
    EXPECT_NEAR (edgeGain (high, true), std::pow (10.0, 12.0 / 20.0), 1e-3);
    EXPECT_NEAR (edgeGain (high, false), 1.0, 1e-3);
}

TEST (ThreeBandEq, GainChangesTakeEffectAtUpdateCoefficients)
{
    auto eq = makeEq (48000.0, 0.0f, 0.0f, 0.0f);
    eq.settings.midGain = 12.0f;
    EXPECT_NEAR (eqGainDb (eq, 1000.0, 48000.0), 0.0, 0.01);
    eq.updateCoefficients();
    EXPECT_NEAR (eqGainDb (eq, 1000.0, 48000.0), 12.0, 0.05);
}

TEST (ThreeBandEq, BypassLeavesBothChannelsBitForBit)
{
    auto eq = makeEq (48000.0, 12.0f, -12.0f, 12.0f);
    eq.settings.bypass = true;
    const auto input = makeSine (300.0, 48000.0, 2048, 0.5f);
    auto left = input, right = input;
    eq.process (left.data(), right.data(), 2048);
    EXPECT_EQ (left, input);
    EXPECT_EQ (right, input);
}

TEST (ThreeBandEq, EveryRateAndNonsenseGainStaysFiniteAndBounded)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const double rate : { 22050.0, 44100.0, 96000.0, 192000.0, -1.0, 0.0 })
        for (const float gain : { -12.0f, 12.0f, 40.0f, -inf, inf, nan })
        {
            auto eq = makeEq (rate, gain, gain, gain);
            std::vector<float> left (8192), right (8192);
            for (size_t i = 0; i < left.size(); ++i)
                left[i] = right[i] = (i / 7) % 2 ? 1.0f : -1.0f; // a loud, bright square
            eq.process (left.data(), right.data(), 8192);
            EXPECT_TRUE (allFinite (left)) << rate << " " << gain;
            EXPECT_LT (peakOf (left), 12.0f) << rate << " " << gain;
        }
}

TEST (ThreeBandEq, SilentTailEndsInExactZerosAndRecoversFromNonFiniteInput)
{
    auto eq = makeEq (192000.0, 12.0f, -12.0f, 12.0f);
    auto left = makeSine (100.0, 192000.0, 19200, 1.0f);
    auto right = left;
    right[50] = std::numeric_limits<float>::infinity();
    eq.process (left.data(), right.data(), 19200);

    std::vector<float> tailLeft (192000 * 5, 0.0f), tailRight = tailLeft;
    for (size_t start = 0; start < tailLeft.size(); start += 512)
        eq.process (tailLeft.data() + start, tailRight.data() + start, 512);
    for (const auto* tail : { &tailLeft, &tailRight })
    {
        EXPECT_TRUE (allFinite (*tail));
        EXPECT_FALSE (anySubnormal (*tail));
        EXPECT_EQ (peakOf (*tail, tail->size() - 512), 0.0f);
    }
}

TEST (ThreeBandEq, ProcessingAllocatesNothing)
{
    auto eq = makeEq (48000.0, 3.0f, -3.0f, 3.0f);
    auto left = makeSine (440.0, 48000.0, 512), right = left;
    plumora::test::ScopedAllocationCounter allocations;
    eq.updateCoefficients();
    eq.process (left.data(), right.data(), 512);
    EXPECT_EQ (allocations.count(), 0u);
}
