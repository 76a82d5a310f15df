#include "dsp/AutoFilter.h"
#include "dsp/SignalProbe.h"
#include "dsp/StereoRender.h"
#include "support/AllocationCounter.h"
#include "support/Spectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using plumora::AutoFilter;
using namespace plumora::test;

namespace
{
AutoFilter makeFilter (double sampleRate, float position, float resonance, float rate = 0.0f, float depth = 0.5f)
{
    AutoFilter filter;
    filter.settings = { position, rate, depth, 1.0f, resonance, false };
    filter.prepare (sampleRate);
    return filter;
}

std::vector<float> impulseResponse (AutoFilter filter, int length)
{
    auto left = makeImpulse (length), right = left;
    renderInBlocks (filter, left, right);
    EXPECT_EQ (left, right);
    return left;
}

double qGainDb (float resonance) { return toDecibels (0.707 * std::pow (11.315417, resonance)); }
} // namespace

// With the LFO off, the position alone sets a static low-pass at
// 100 * 100^position Hz; with no resonance it is a Butterworth (-3 dB there).
struct StaticCase
{
    float position;
    double sampleRate;
};

class AutoFilterStatic : public testing::TestWithParam<StaticCase>
{
};

TEST_P (AutoFilterStatic, PositionSetsTheCutoff)
{
    const auto [position, rate] = GetParam();
    const double cutoff = 100.0 * std::pow (100.0, position);
    const auto response = impulseResponse (makeFilter (rate, position, 0.0f), 1 << 16);

    EXPECT_NEAR (toDecibels (responseAt (response, cutoff, rate)), -3.01, 0.05) << cutoff << " Hz at " << rate;
    EXPECT_NEAR (toDecibels (responseAt (response, cutoff / 8.0, rate)), 0.0, 0.05);
    if (cutoff * 8.0 < 0.1 * rate)
    {
        EXPECT_NEAR (toDecibels (responseAt (response, cutoff * 8.0, rate)), -36.1, 0.5); // 12 dB per octave
    }
}

INSTANTIATE_TEST_SUITE_P (PositionsAndRates, AutoFilterStatic,
                          testing::Values (StaticCase { 0.0f, 44100.0 }, StaticCase { 0.25f, 44100.0 },
                                           StaticCase { 0.5f, 44100.0 }, StaticCase { 0.75f, 48000.0 },
                                           StaticCase { 1.0f, 48000.0 }, StaticCase { 0.5f, 22050.0 },
                                           StaticCase { 1.0f, 22050.0 }, StaticCase { 0.0f, 192000.0 },
                                           StaticCase { 0.5f, 96000.0 }, StaticCase { 1.0f, 192000.0 }));

TEST (AutoFilter, ResonanceLiftsTheCutoffToQ)
{
    // Q runs from 0.707 to 8 on an exponential scale; the low-pass gain at
    // its cutoff equals Q.
    for (const float resonance : { 0.0f, 0.3f, 0.5f, 1.0f })
    {
        const auto response = impulseResponse (makeFilter (48000.0, 0.5f, resonance), 1 << 16);
        EXPECT_NEAR (toDecibels (responseAt (response, 1000.0, 48000.0)), qGainDb (resonance), 0.05) << resonance;
        EXPECT_NEAR (toDecibels (responseAt (response, 125.0, 48000.0)), 0.0, 0.2) << resonance;
    }
    EXPECT_NEAR (qGainDb (1.0f), 18.06, 0.01);
}

// The LFO swings the position by +-depth around its setting (clamped to the
// 0..1 range): at the top of the sine the cutoff sits at the upper end, at
// its bottom at the lower end. Measured with a sine at the expected cutoff,
// where the Butterworth response reads -3 dB.
struct SweepCase
{
    float position, depth, rate;
    double peakSeconds, peakHz;     // LFO at +1 (or any time with the LFO off)
    double troughSeconds, troughHz; // LFO at -1
};

class AutoFilterSweep : public testing::TestWithParam<SweepCase>
{
};

TEST_P (AutoFilterSweep, LfoMovesTheCutoffBetweenItsEnds)
{
    const auto c = GetParam();
    const double rate = 48000.0;
    for (const auto& [seconds, hz] : { std::pair { c.peakSeconds, c.peakHz }, std::pair { c.troughSeconds, c.troughHz } })
    {
        auto filter = makeFilter (rate, c.position, 0.0f, c.rate, c.depth);
        const int total = static_cast<int> ((seconds + 0.05) * rate);
        auto left = makeSine (hz, rate, total, 0.25f), right = left;
        renderInBlocks (filter, left, right);
        // 80 ms around the turning point, where the cutoff barely moves.
        const auto centre = static_cast<size_t> (seconds * rate);
        const auto halfWindow = static_cast<size_t> (0.04 * rate);
        const double gain = amplitudeAt (left, hz, rate, centre - halfWindow, centre + halfWindow) / 0.25;
        EXPECT_NEAR (toDecibels (gain), -3.01, 0.15) << hz << " Hz at " << seconds << " s";
        EXPECT_EQ (left, right);
    }
}

INSTANTIATE_TEST_SUITE_P (
    Sweeps, AutoFilterSweep,
    testing::Values (SweepCase { 0.5f, 0.25f, 0.25f, 1.0, 3162.28, 3.0, 316.228 },
                     SweepCase { 0.3f, 0.5f, 0.25f, 1.0, 3981.07, 3.0, 100.0 },   // bottom clamped
                     SweepCase { 0.8f, 0.4f, 0.5f, 0.5, 10000.0, 1.5, 630.957 },  // top clamped
                     SweepCase { 0.5f, 0.0f, 0.25f, 1.0, 1000.0, 3.0, 1000.0 },   // no depth
                     SweepCase { 0.5f, 1.0f, 0.0009f, 1.0, 1000.0, 2.0, 1000.0 } // LFO off
                     ));

TEST (AutoFilter, SweepCompletesRateCyclesPerSecond)
{
    // The level of a 1 kHz sine follows the cutoff; its envelope repeats at
    // the LFO rate, whatever the block size.
    const double rate = 44100.0;
    for (const int blockSize : { 7, 64, 512 })
    {
        auto filter = makeFilter (rate, 0.5f, 0.0f, 2.0f, 0.5f);
        const int total = static_cast<int> (2.0 * rate);
        auto left = makeSine (1000.0, rate, total, 0.5f), right = left;
        renderInBlocks (filter, left, right, blockSize);

        std::vector<float> envelope;
        const int window = 441; // 10 ms
        for (int start = 0; start + window <= total; start += window)
            envelope.push_back (static_cast<float> (rms (left.data() + start, window)));
        // 2 Hz envelope sampled at 100 Hz, DC removed: its strongest component.
        double mean = 0.0;
        for (const float e : envelope)
            mean += e / static_cast<double> (envelope.size());
        for (auto& e : envelope)
            e -= static_cast<float> (mean);
        double best = 0.0, bestHz = 0.0;
        for (double hz = 0.5; hz <= 10.0; hz += 0.05)
            if (const double a = amplitudeAt (envelope, hz, 100.0); a > best)
            {
                best = a;
                bestHz = hz;
            }
        EXPECT_NEAR (bestHz, 2.0, 0.1) << blockSize;
        // At the top the sine passes, at the bottom (100 Hz) it is 40 dB down.
        EXPECT_GT (peakOf (left), 0.45f);
    }
}

TEST (AutoFilter, MixBlendsDryAndFilteredSampleBySample)
{
    const double rate = 48000.0;
    const auto input = makeNoise (24000, 7);
    auto wetFilter = makeFilter (rate, 0.4f, 0.6f, 3.0f, 0.5f);
    auto wet = input, wetRight = input;
    renderInBlocks (wetFilter, wet, wetRight);
    for (const float mix : { 0.0f, 0.25f, 0.7f })
    {
        auto filter = makeFilter (rate, 0.4f, 0.6f, 3.0f, 0.5f);
        filter.settings.mix = mix;
        auto left = input, right = input;
        renderInBlocks (filter, left, right);
        for (size_t i = 0; i < input.size(); ++i)
            ASSERT_NEAR (left[i], (1.0f - mix) * input[i] + mix * wet[i], 1e-6f) << mix << " at " << i;
    }
}

TEST (AutoFilter, BypassLeavesTheBlockAndFreezesTheSweep)
{
    const double rate = 48000.0;
    const auto input = makeNoise (4096, 3);
    auto reference = makeFilter (rate, 0.5f, 0.5f, 4.0f, 0.8f);
    auto filter = reference;

    auto expectedL = input, expectedR = input;
    renderInBlocks (reference, expectedL, expectedR);

    auto left = input, right = input;
    filter.process (left.data(), right.data(), 2048);
    filter.settings.bypass = true;
    auto skipped = makeSine (200.0, rate, 1000);
    auto skippedCopy = skipped;
    filter.process (skipped.data(), skippedCopy.data(), 1000);
    EXPECT_EQ (skipped, makeSine (200.0, rate, 1000));
    filter.settings.bypass = false;
    filter.process (left.data() + 2048, right.data() + 2048, 2048);
    EXPECT_EQ (left, expectedL);
    EXPECT_EQ (right, expectedR);
}

TEST (AutoFilter, NonsenseSettingsAndSampleRatesStayFiniteAndBounded)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const double rate : { 22050.0, 44100.0, 96000.0, 192000.0, 0.0, -48000.0, 1.0e12 })
        for (const float setting : { -1.0f, 5.0f, 1.0e6f, nan, inf, -inf })
        {
            AutoFilter filter;
            filter.prepare (rate);
            filter.settings = { setting, setting, setting, setting, setting, false };
            auto left = makeNoise (16384, 11, 1.0f);
            auto right = makeSine (3000.0, 44100.0, 16384, 1.0f);
            renderInBlocks (filter, left, right);
            EXPECT_TRUE (allFinite (left) && allFinite (right)) << rate << " " << setting;
            // Q peaks at 8; a steady sine right on the cutoff can reach it.
            EXPECT_LE (std::max (peakOf (left), peakOf (right)), 8.5f) << rate << " " << setting;
        }
}

TEST (AutoFilter, NonFiniteInputIsSilencedAndTheFilterCarriesOn)
{
    const double rate = 48000.0;
    auto reference = makeFilter (rate, 0.5f, 0.3f);
    auto filter = reference;
    auto cleanLeft = makeSine (200.0, rate, 4800), cleanRight = cleanLeft;
    renderInBlocks (reference, cleanLeft, cleanRight, 480);

    auto left = makeSine (200.0, rate, 4800), right = left;
    left[100] = std::numeric_limits<float>::quiet_NaN();
    right[200] = std::numeric_limits<float>::infinity();
    left[300] = 3.0e38f;
    right[300] = -3.0e38f;
    renderInBlocks (filter, left, right, 480);
    EXPECT_TRUE (allFinite (left) && allFinite (right));
    // Once the disturbance has died away the output matches a clean run.
    for (size_t i = 2400; i < left.size(); ++i)
    {
        ASSERT_NEAR (left[i], cleanLeft[i], 1e-3f) << i;
        ASSERT_NEAR (right[i], cleanRight[i], 1e-3f) << i;
    }
}

TEST (AutoFilter, SilentTailEndsInExactZerosWithoutDenormals)
{
    const double rate = 192000.0;
    auto filter = makeFilter (rate, 0.0f, 1.0f, 0.3f, 0.2f);
    auto left = makeNoise (19200, 5, 1.0f), right = makeNoise (19200, 6, 1.0f);
    renderInBlocks (filter, left, right);

    std::vector<float> tailLeft (static_cast<size_t> (rate * 3), 0.0f), tailRight = tailLeft;
    renderInBlocks (filter, tailLeft, tailRight);
    for (const auto* tail : { &tailLeft, &tailRight })
    {
        EXPECT_FALSE (anySubnormal (*tail));
        EXPECT_EQ (peakOf (*tail, tail->size() - 512), 0.0f);
    }
}

TEST (AutoFilter, ProcessingAllocatesNothing)
{
    auto filter = makeFilter (48000.0, 0.5f, 0.5f, 5.0f, 0.5f);
    auto left = makeSine (440.0, 48000.0, 512), right = left;
    ScopedAllocationCounter allocations;
    filter.process (left.data(), right.data(), 512);
    EXPECT_EQ (allocations.count(), 0u);
}
