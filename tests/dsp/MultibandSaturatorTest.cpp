#include "dsp/MultibandSaturator.h"
#include "dsp/SignalProbe.h"
#include "support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

using plumora::MultibandSaturator;
using namespace plumora::test;

namespace
{
MultibandSaturator makeSaturator (double sampleRate, float lowCrossover = 200.0f, float highCrossover = 4000.0f)
{
    MultibandSaturator saturator;
    saturator.prepare (sampleRate);
    saturator.setLowCrossover (lowCrossover);
    saturator.setHighCrossover (highCrossover);
    saturator.settings.mix = 1.0f;
    return saturator;
}

// Gain of the left channel for a sine of `frequency`.
double saturatorGainDb (MultibandSaturator saturator, double frequency, double sampleRate, float amplitude = 0.25f)
{
    const int n = static_cast<int> (sampleRate / 2);
    auto left = makeSine (frequency, sampleRate, n, amplitude);
    auto right = left;
    saturator.process (left.data(), right.data(), n);
    return toDecibels (amplitudeAt (left, frequency, sampleRate, left.size() / 2) / amplitude);
}
} // namespace

class SaturatorCrossovers : public testing::TestWithParam<std::pair<float, float>>
{
};

TEST_P (SaturatorCrossovers, BandsSumFlatWhenNoBandIsDriven)
{
    const auto [lowCrossover, highCrossover] = GetParam();
    for (const double rate : { 44100.0, 96000.0, 192000.0 })
    {
        // Undriven, the saturator is linear: its impulse response tells all.
        auto saturator = makeSaturator (rate, lowCrossover, highCrossover);
        auto left = makeImpulse (1 << 16), right = left;
        saturator.process (left.data(), right.data(), 1 << 16);
        for (double frequency = 20.0; frequency < 0.45 * rate; frequency *= 1.1)
            EXPECT_NEAR (toDecibels (responseAt (left, frequency, rate)), 0.0, 0.01)
                << frequency << " Hz, crossovers " << lowCrossover << "/" << highCrossover << " at " << rate;
    }
}

INSTANTIATE_TEST_SUITE_P (Pairs, SaturatorCrossovers,
                          testing::Values (std::pair { 200.0f, 4000.0f }, std::pair { 50.0f, 16000.0f },
                                           std::pair { 500.0f, 2000.0f }, std::pair { 1000.0f, 1000.0f }));

TEST (MultibandSaturator, EachBandIsSplitAtItsCrossovers)
{
    // A quiet sine deep inside one band: only driving that band changes its
    // level (light drive lifts small signals by about 6.6 dB).
    const double rate = 48000.0;
    const double insideBand[] = { 30.0, 900.0, 15000.0 };
    for (int driven = 0; driven < 3; ++driven)
    {
        auto saturator = makeSaturator (rate, 200.0f, 4000.0f);
        float* drives[] = { &saturator.settings.lowDrive, &saturator.settings.midDrive, &saturator.settings.highDrive };
        *drives[driven] = 0.05f;
        for (int probe = 0; probe < 3; ++probe)
        {
            const double gain = saturatorGainDb (saturator, insideBand[probe], rate, 0.01f);
            if (probe == driven)
                EXPECT_NEAR (gain, 6.6, 0.3) << "band " << driven;
            else
                EXPECT_NEAR (gain, 0.0, 0.15) << "band " << driven << " probe " << probe;
        }
    }
}

TEST (MultibandSaturator, SmallSignalBoostAndKneeShapeABand)
{
    // A steady low-band signal (DC passes only the low band): drive 0.5 lifts
    // 0.05 by 2.5 to 0.125 before the tanh.
    const double rate = 48000.0;
    auto saturator = makeSaturator (rate);
    saturator.settings.lowDrive = 0.5f;
    auto steadyOutput = [&] (float level)
    {
        auto copy = saturator;
        std::vector<float> left (48000, level), right (48000, level);
        copy.process (left.data(), right.data(), 48000);
        return left.back();
    };
    EXPECT_NEAR (steadyOutput (0.05f), std::tanh (8.5f * 0.125f) / std::tanh (8.5f), 1e-3f);
    // Above 0.5 the knee compresses: 0.9 becomes 0.5 + 0.4 / 2.5.
    EXPECT_NEAR (steadyOutput (0.9f), std::tanh (8.5f * 0.66f) / std::tanh (8.5f), 1e-3f);
    // Full scale stays full scale.
    EXPECT_LE (steadyOutput (1.0f), 1.0f + 1e-4f);
}

// A band signal rising slowly through every level: the output rises with it,
// without a step anywhere (quiet levels are lifted, loud ones compressed).
TEST (MultibandSaturator, TheCurveIsContinuousAndRisingAtEveryDrive)
{
    const double rate = 48000.0;
    const int n = 96000;
    for (const float drive : { 0.1f, 0.3f, 0.6f, 1.0f })
    {
        auto saturator = makeSaturator (rate);
        saturator.settings.lowDrive = drive;
        std::vector<float> left (static_cast<std::size_t> (n)), right;
        for (int i = 0; i < n; ++i)
            left[static_cast<std::size_t> (i)] = 1.2f * static_cast<float> (i) / n; // slow enough that only the low band carries it
        right = left;
        saturator.process (left.data(), right.data(), n);

        float largestStep = 0.0f, largestFall = 0.0f;
        for (int i = 4800; i < n; ++i) // past the filters' start
        {
            const float step = left[static_cast<std::size_t> (i)] - left[static_cast<std::size_t> (i - 1)];
            largestStep = std::max (largestStep, std::abs (step));
            largestFall = std::max (largestFall, -step);
        }
        EXPECT_LT (largestStep, 1.0e-3f) << "drive " << drive; // the ramp itself rises 1.25e-5 a sample
        EXPECT_LT (largestFall, 1.0e-5f) << "drive " << drive;
        EXPECT_GT (left.back(), 0.9f) << "drive " << drive;
    }
}

TEST (MultibandSaturator, BandMixAndOverallMixBlendWithTheDrySignal)
{
    const double rate = 48000.0;
    auto saturator = makeSaturator (rate);
    saturator.settings.lowDrive = 1.0f;
    auto steadyOutput = [&] (const MultibandSaturator& s, float level)
    {
        auto copy = s;
        std::vector<float> left (48000, level), right (48000, level);
        copy.process (left.data(), right.data(), 48000);
        return left.back();
    };
    const float shaped = steadyOutput (saturator, 0.3f);

    auto halfBand = saturator;
    halfBand.settings.lowMix = 0.5f;
    EXPECT_NEAR (steadyOutput (halfBand, 0.3f), 0.5f * (shaped + 0.3f), 1e-3f);

    auto halfOverall = saturator;
    halfOverall.settings.mix = 0.5f;
    EXPECT_NEAR (steadyOutput (halfOverall, 0.3f), 0.5f * (shaped + 0.3f), 1e-3f);
}

TEST (MultibandSaturator, BypassLeavesBothChannelsBitForBit)
{
    auto saturator = makeSaturator (48000.0);
    saturator.settings = { 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, true };
    const auto input = makeSine (300.0, 48000.0, 2048, 0.5f);
    auto left = input, right = input;
    saturator.process (left.data(), right.data(), 2048);
    EXPECT_EQ (left, input);
    EXPECT_EQ (right, input);
}

TEST (MultibandSaturator, CrossoversBeyondNyquistAndNonsenseSettingsStayBounded)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const double rate : { 22050.0, 32000.0, 44100.0, 192000.0 })
        for (const float crossover : { 16000.0f, 30000.0f, 1.0f, -5.0f, nan, inf })
            for (const float setting : { 0.0f, 1.0f, 9.0f, nan, -inf })
            {
                auto saturator = makeSaturator (rate, crossover, crossover);
                saturator.settings = { setting, setting, setting, setting, setting, setting, 1.0f, false };
                auto left = makeSine (5000.0, rate, 8192, 1.0f);
                auto right = makeSine (60.0, rate, 8192, 1.0f);
                saturator.process (left.data(), right.data(), 8192);
                EXPECT_TRUE (allFinite (left) && allFinite (right)) << rate << " " << crossover << " " << setting;
                EXPECT_LT (std::max (peakOf (left), peakOf (right)), 4.0f) << rate << " " << crossover << " " << setting;
            }
}

TEST (MultibandSaturator, SilentTailEndsInExactZerosAndRecoversFromNonFiniteInput)
{
    auto saturator = makeSaturator (192000.0, 50.0f, 16000.0f);
    saturator.settings.midDrive = 0.7f;
    auto left = makeSine (100.0, 192000.0, 19200, 1.0f);
    auto right = left;
    right[40] = std::numeric_limits<float>::quiet_NaN();
    saturator.process (left.data(), right.data(), 19200);

    std::vector<float> tailLeft (192000 * 5, 0.0f), tailRight = tailLeft;
    for (size_t start = 0; start < tailLeft.size(); start += 512)
        saturator.process (tailLeft.data() + start, tailRight.data() + start, 512);
    for (const auto* tail : { &tailLeft, &tailRight })
    {
        EXPECT_TRUE (allFinite (*tail));
        EXPECT_FALSE (anySubnormal (*tail));
        EXPECT_EQ (peakOf (*tail, tail->size() - 512), 0.0f);
    }
}

TEST (MultibandSaturator, ProcessingAllocatesNothing)
{
    auto saturator = makeSaturator (48000.0);
    saturator.settings.highDrive = 0.5f;
    auto left = makeSine (440.0, 48000.0, 512), right = left;
    plumora::test::ScopedAllocationCounter allocations;
    saturator.setLowCrossover (300.0f);
    saturator.process (left.data(), right.data(), 512);
    EXPECT_EQ (allocations.count(), 0u);
}
