#include "dsp/KarplusStrongString.h"
#include "support/AllocationCounter.h"
#include "support/Spectrum.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plumora;

namespace
{
constexpr double kRate = 48000.0;

struct StringFixture : testing::Test
{
    KarplusStrongString string;
    std::uint32_t randomState = 0xC0DEC0DE;
    KsParameters parameters;

    StringFixture() { string.prepare (kRate); }

    std::vector<float> pluck (float frequency, float seconds, float velocity = 1.0f)
    {
        string.excite (randomState, frequency, velocity, parameters);
        std::vector<float> out (static_cast<std::size_t> (seconds * kRate));
        for (std::size_t offset = 0; offset < out.size(); offset += 512)
            string.render (out.data() + offset, static_cast<int> (std::min<std::size_t> (512, out.size() - offset)), parameters);
        return out;
    }

    // Seconds for the level to fall by 20 dB, from RMS of 10 ms windows.
    static double twentyDecibelTime (const std::vector<float>& x)
    {
        const int window = static_cast<int> (kRate * 0.01);
        const double start = test::rms (x.data() + window, window);
        for (std::size_t at = 2 * window; at + window <= x.size(); at += window)
            if (test::rms (x.data() + at, window) < start * 0.1)
                return static_cast<double> (at) / kRate;
        return -1.0;
    }
};
} // namespace

TEST_F (StringFixture, RingsAtThePluckedPitch)
{
    parameters.damping = 1.0f;
    for (const float frequency : { 82.4f, 220.0f, 440.0f, 987.8f, 3000.0f })
        EXPECT_NEAR (test::periodicFrequency (pluck (frequency, 0.5f), kRate, 25.0, 5000.0), frequency, frequency * 0.003) << frequency;
}

TEST_F (StringFixture, FrequenciesOutsideTheStringRangeAreClamped)
{
    pluck (20.0f, 0.01f);
    EXPECT_EQ (string.frequency(), 28.0f);
    pluck (20000.0f, 0.01f);
    EXPECT_EQ (string.frequency(), 12000.0f);
    EXPECT_EQ (string.delayWhole(), 3);
    EXPECT_FLOAT_EQ (string.delayFraction(), 0.5f);
    EXPECT_EQ (string.lineLength(), static_cast<int> (std::ceil (kRate / 28.0)) + 4);

    for (const float odd : { std::nanf (""), -100.0f, 1.0e9f })
        for (const float x : pluck (odd, 0.05f))
            ASSERT_TRUE (std::isfinite (x) && std::abs (x) <= 1.5f);
}

TEST_F (StringFixture, SilentBeforeThePluckAndAtVelocityZero)
{
    std::vector<float> out (256, 1.0f);
    string.render (out.data(), 256, parameters);
    EXPECT_EQ (test::rms (out), 0.0);

    EXPECT_EQ (test::rms (pluck (220.0f, 0.1f, 0.0f)), 0.0);
    EXPECT_TRUE (string.isActive());

    pluck (220.0f, 0.1f);
    string.reset();
    string.render (out.data(), 256, parameters);
    EXPECT_EQ (test::rms (out), 0.0);
}

TEST_F (StringFixture, BurstPeaksAtTheVelocity)
{
    const auto out = pluck (110.0f, 0.01f, 0.6f);
    float peak = 0.0f;
    for (const float x : out)
        peak = std::max (peak, std::abs (x));
    EXPECT_NEAR (peak, 0.6f, 0.03f);
}

TEST_F (StringFixture, PickingTheMiddleUpCancelsEvenHarmonicsAndDownFavoursThem)
{
    parameters.pickPosition = 0.5f;
    parameters.brightness = 1.0f;
    parameters.damping = 1.0f;

    const auto evenToOdd = [this] (int direction)
    {
        parameters.pickDirection = direction;
        double even = 0.0, odd = 0.0;
        for (int trial = 0; trial < 8; ++trial)
        {
            const auto spectrum = test::amplitudeSpectrum (pluck (200.0f, 0.35f));
            for (int h = 1; h <= 6; ++h)
                (h % 2 == 0 ? even : odd) += test::amplitudeAt (spectrum, kRate, 200.0 * h);
        }
        return even / odd;
    };

    // The comb acts on one period of burst only (its first P samples pass
    // unchanged), so the even harmonics drop by about 7 dB rather than vanish.
    const double up = evenToOdd (0), down = evenToOdd (1);
    EXPECT_LT (up, 0.6);
    EXPECT_GT (down, 1.5);
    EXPECT_GT (down / up, 3.0);
}

TEST_F (StringFixture, DampingSetsTheLossPerPeriod)
{
    // At 40 Hz the averaging filter hardly touches the fundamental, so the
    // late decay is the loop gain: 0.999 per period at damping 1, 0.96 at 0.
    const auto decayDecibelsPerSecond = [this] (float damping, double from, double to)
    {
        parameters.damping = damping;
        const auto out = pluck (40.0f, static_cast<float> (to) + 1.0f);
        const auto fundamentalAt = [&out] (double seconds)
        {
            const auto start = out.begin() + static_cast<long> (seconds * kRate);
            const std::vector<float> window (start, start + 32768);
            return test::amplitudeAt (test::amplitudeSpectrum (window), kRate, 40.0);
        };
        return test::decibels (fundamentalAt (to) / fundamentalAt (from)) / (to - from);
    };

    EXPECT_NEAR (decayDecibelsPerSecond (1.0f, 3.0, 9.0), 40.0 * 20.0 * std::log10 (0.999), 0.15);
    EXPECT_NEAR (decayDecibelsPerSecond (0.0f, 0.5, 1.5), 40.0 * 20.0 * std::log10 (0.96), 1.5);
}

TEST_F (StringFixture, StretchEvensOutDecayTimesAcrossThePitchRange)
{
    // Without stretch every note loses the same share per period, so high
    // notes die far sooner; full stretch scales the loss with 40 Hz / f.
    const auto lowToHighDecayRatio = [this] (float stretch)
    {
        parameters.stretch = stretch;
        parameters.damping = 0.3f;
        const double high = twentyDecibelTime (pluck (800.0f, 3.0f));
        const double low = twentyDecibelTime (pluck (80.0f, 3.0f));
        EXPECT_GT (high, 0.0);
        EXPECT_GT (low, 0.0);
        return low / high;
    };

    const double unstretched = lowToHighDecayRatio (0.0f);
    const double stretched = lowToHighDecayRatio (1.0f);
    EXPECT_GT (unstretched, 4.0);
    EXPECT_LT (stretched, unstretched / 3.0);
}

TEST_F (StringFixture, PluckingAllocatesNothing)
{
    std::vector<float> out (512);
    test::ScopedAllocationCounter allocations;
    for (int note = 0; note < 20; ++note)
    {
        string.excite (randomState, 30.0f + 100.0f * note, 0.8f, parameters);
        string.render (out.data(), 512, parameters);
    }
    EXPECT_EQ (allocations.count(), 0u);
}
