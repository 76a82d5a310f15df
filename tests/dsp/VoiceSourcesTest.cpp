// The small per-voice sources and stages: sub oscillator, noise, pick
// transient, warmth and bloom saturation.

#include "dsp/NoiseSource.h"
#include "dsp/Saturators.h"
#include "dsp/SubOscillator.h"
#include "support/Spectrum.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plumora;

namespace
{
constexpr double kRate = 48000.0;

std::vector<float> sine (double frequency, double amplitude, int length)
{
    std::vector<float> x (static_cast<std::size_t> (length));
    for (int i = 0; i < length; ++i)
        x[static_cast<std::size_t> (i)] = static_cast<float> (amplitude * std::sin (2.0 * M_PI * frequency * i / kRate));
    return x;
}
} // namespace

TEST (SubOscillator, SineBelowHalfShapeSquareFromHalfAtTheGivenPitch)
{
    for (const float shape : { 0.49f, 0.5f })
    {
        SubOscillator sub;
        std::vector<float> left (16384, 0.0f), right (16384, 0.0f);
        sub.addTo (left.data(), right.data(), 16384, 220.0, kRate, shape, 0.5f);
        EXPECT_NEAR (test::dominantFrequency (left, kRate), 220.0, 0.5);
        EXPECT_EQ (left, right);

        const bool onlyPlusMinusHalf = std::all_of (left.begin(), left.end(), [] (float x) { return std::abs (x) == 0.5f; });
        EXPECT_EQ (onlyPlusMinusHalf, shape >= 0.5f);
    }
}

TEST (SubOscillator, AddsToWhatIsThereAndSurvivesBadFrequencies)
{
    SubOscillator sub;
    std::vector<float> left (64, 1.0f), right (64, 1.0f);
    sub.addTo (left.data(), right.data(), 64, 100.0, kRate, 0.0f, 0.0f);
    EXPECT_EQ (left[10], 1.0f);
    for (const double f : { -5.0, 1.0e12, std::nan ("") })
    {
        sub.addTo (left.data(), right.data(), 64, f, kRate, 0.0f, 1.0f);
        for (const float x : left)
            ASSERT_TRUE (std::isfinite (x));
    }
}

struct NoiseCase
{
    int mode;
    double lowBandRatioAtLeast, highBandRatioAtLeast; // energy below 300 Hz vs 3-6 kHz, either way round
};

TEST (NoiseSource, TheThreeModesColourTheNoise)
{
    // Cutoff 1 kHz: low-pass keeps the lows, high-pass the highs, band-pass
    // loses both ends compared with the middle.
    const auto spectrumOf = [] (int mode)
    {
        NoiseSource noise;
        std::vector<float> out (1 << 17);
        noise.render (out.data(), static_cast<int> (out.size()), 1000.0f, kRate, mode);
        return test::amplitudeSpectrum (out);
    };

    const auto low = spectrumOf (NoiseSource::LowPass);
    const auto high = spectrumOf (NoiseSource::HighPass);
    const auto band = spectrumOf (NoiseSource::BandPass);
    const auto ratio = [] (const std::vector<double>& s, double a0, double a1, double b0, double b1)
    {
        return test::decibels (std::sqrt (test::bandDensity (s, kRate, a0, a1) / test::bandDensity (s, kRate, b0, b1)));
    };

    EXPECT_GT (ratio (low, 50, 300, 8000, 12000), 15.0);
    EXPECT_GT (ratio (high, 8000, 12000, 50, 300), 10.0);
    EXPECT_GT (ratio (band, 700, 1400, 50, 150), 6.0);
    EXPECT_GT (ratio (band, 700, 1400, 10000, 20000), 6.0);
}

TEST (NoiseSource, NearlyWhiteAtTheTopCutoff)
{
    NoiseSource noise;
    std::vector<float> out (1 << 16);
    noise.render (out.data(), static_cast<int> (out.size()), 20000.0f, 44100.0, NoiseSource::LowPass);
    const auto spectrum = test::amplitudeSpectrum (out);
    const double lows = test::bandDensity (spectrum, 44100.0, 100, 2100);
    const double highs = test::bandDensity (spectrum, 44100.0, 15000, 17000);
    EXPECT_LT (std::abs (test::decibels (std::sqrt (lows / highs))), 6.0);
}

TEST (PickTransient, RisesOverAMillisecondThenDecaysWithItsTimeConstant)
{
    PickTransient pick;
    pick.start (kRate);
    ASSERT_TRUE (pick.advance (24, kRate, 0.0f, 0.2f));
    EXPECT_NEAR (pick.level(), 1.0f / 3.0f, 1e-6f); // 24 of the 48-sample ramp: 24 / (48 + 24)
    pick.advance (24, kRate, 0.0f, 0.2f);
    EXPECT_EQ (pick.level(), 1.0f);

    // pick_attack 0.2: time constant 100 ms = 4800 samples.
    for (int block = 0; block < 10; ++block)
        pick.advance (480, kRate, 0.0f, 0.2f);
    EXPECT_NEAR (pick.level(), std::exp (-1.0f), 1e-4f);

    // pick_attack 0.001: the time constant is clamped to 1 ms.
    PickTransient shortPick;
    shortPick.start (kRate);
    shortPick.advance (48, kRate, 0.0f, 0.001f);
    shortPick.advance (48, kRate, 0.0f, 0.001f);
    EXPECT_NEAR (shortPick.level(), std::exp (-1.0f), 1e-4f);

    // Nothing to add: no noise, no pick.
    PickTransient idle;
    idle.start (kRate);
    EXPECT_FALSE (idle.advance (64, kRate, 0.0f, 0.0f));
}

TEST (PickTransient, GainsTheNoiseByLevelPlusPick)
{
    NoiseSource noise, reference;
    PickTransient pick;
    pick.start (kRate);
    std::vector<float> scratch (480), left (480, 0.0f), right (480, 0.0f), plain (480);
    addNoiseAndPick (noise, pick, scratch.data(), left.data(), right.data(), 480, kRate, 0.1f, 5000.0f, 0, 0.2f);
    reference.render (plain.data(), 480, 5000.0f, kRate, 0);
    for (int s = 0; s < 480; ++s)
        ASSERT_NEAR (left[static_cast<std::size_t> (s)], plain[static_cast<std::size_t> (s)] * 0.3f, 1e-6f);
    EXPECT_EQ (left, right);
}

TEST (WarmthSaturator, SkippedBelowThresholdAndFullScaleKeptAtMaximum)
{
    auto left = sine (100.0, 0.8, 48000), right = left;
    const auto original = left;
    WarmthSaturator::process (left.data(), right.data(), 48000, 0.00009f);
    EXPECT_EQ (left, original);

    std::vector<float> edges { -1.0f, 1.0f, 0.0f, 0.5f }, other = edges;
    WarmthSaturator::process (edges.data(), other.data(), 4, 1.0f);
    EXPECT_FLOAT_EQ (edges[0], -1.0f);
    EXPECT_FLOAT_EQ (edges[1], 1.0f);
    EXPECT_EQ (edges[2], 0.0f);
    EXPECT_NEAR (edges[3], std::tanh (2.0) / std::tanh (4.0), 2e-5);

    // Odd-symmetric: odd harmonics appear, even ones do not.
    WarmthSaturator::process (left.data(), right.data(), 48000, 1.0f);
    const auto spectrum = test::amplitudeSpectrum (left);
    EXPECT_GT (test::amplitudeAt (spectrum, kRate, 300.0), 0.01);
    EXPECT_LT (test::amplitudeAt (spectrum, kRate, 200.0), 1e-4);
}

TEST (BloomSaturator, AddsEvenHarmonicsAsTheNoteBloomsWithoutDc)
{
    const auto secondHarmonicAt = [] (float bloom)
    {
        BloomSaturator stage;
        stage.prepare (kRate);
        auto left = sine (200.0, 0.7, 48000), right = left;
        stage.process (left.data(), right.data(), 48000, bloom);
        const std::vector<float> settled (left.begin() + 24000, left.end());
        const auto spectrum = test::amplitudeSpectrum (settled);
        EXPECT_LT (spectrum[0], 1e-3) << "bloom " << bloom;
        return test::amplitudeAt (spectrum, kRate, 400.0);
    };

    EXPECT_LT (secondHarmonicAt (0.0f), 1e-5);
    const double half = secondHarmonicAt (0.5f), full = secondHarmonicAt (1.0f);
    EXPECT_GT (half, 0.005);
    EXPECT_GT (full, 1.5 * half);
}
