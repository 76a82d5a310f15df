#include "dsp/MultimodeFilter.h"
#include "dsp/SignalProbe.h"
#include "support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using plumora::FilterMode;
using plumora::MultimodeFilter;
using namespace plumora::test;

namespace
{
constexpr FilterMode kAllModes[] = { FilterMode::LowPass12, FilterMode::LowPass24, FilterMode::HighPass12, FilterMode::HighPass24,
                                     FilterMode::BandPass,  FilterMode::Notch,     FilterMode::Comb,       FilterMode::Formant };

MultimodeFilter makeFilter (double sampleRate, FilterMode mode, float cutoff, float resonance = 0.0f, float drive = 0.0f)
{
    MultimodeFilter filter;
    filter.prepare (sampleRate);
    filter.settings.mode = mode;
    filter.settings.cutoff = cutoff;
    filter.settings.resonance = resonance;
    filter.settings.drive = drive;
    return filter;
}

double gainDb (MultimodeFilter filter, double frequency, double sampleRate)
{
    return sineGainDb ([&filter] (float* x, int n) { filter.process (x, n); }, frequency, sampleRate);
}

std::vector<float> impulseResponse (MultimodeFilter filter, int length)
{
    auto x = makeImpulse (length);
    filter.process (x.data(), length);
    return x;
}

} // namespace

TEST (MultimodeFilter, BypassLeavesTheSignalBitForBitInEveryMode)
{
    const auto input = makeSine (220.0, 48000.0, 2048, 0.8f);
    for (const auto mode : kAllModes)
    {
        auto filter = makeFilter (48000.0, mode, 500.0f, 0.9f, 1.0f);
        filter.settings.bypass = true;
        auto x = input;
        filter.process (x.data(), static_cast<int> (x.size()));
        EXPECT_EQ (x, input) << "mode " << static_cast<int> (mode);
    }
}

// Gain at the cutoff and the -3 dB frequency at resonance 0, where the SVF
// has two coincident poles: |H| = 1 / (1 + w^2) per stage.
struct ResponseCase
{
    FilterMode mode;
    double sampleRate;
    float cutoff;
    double gainAtCutoffDb;
    double minus3dBRatio; // of the cutoff
};

class SvfResponse : public testing::TestWithParam<ResponseCase>
{
};

TEST_P (SvfResponse, CutoffAndHalfPowerPointsFollowTheSvfShape)
{
    const auto& c = GetParam();
    const auto filter = makeFilter (c.sampleRate, c.mode, c.cutoff);

    EXPECT_NEAR (gainDb (filter, c.cutoff, c.sampleRate), c.gainAtCutoffDb, 0.1);
    EXPECT_NEAR (gainDb (filter, c.cutoff * c.minus3dBRatio, c.sampleRate), -3.01, 0.1);
}

INSTANTIATE_TEST_SUITE_P (
    Modes, SvfResponse,
    testing::Values (ResponseCase { FilterMode::LowPass12, 44100.0, 1000.0f, -6.02, 0.6436 },
                     ResponseCase { FilterMode::LowPass12, 48000.0, 1000.0f, -6.02, 0.6436 },
                     ResponseCase { FilterMode::LowPass12, 192000.0, 20.0f, -6.02, 0.6436 },
                     ResponseCase { FilterMode::LowPass24, 44100.0, 1000.0f, -12.04, 0.4350 },
                     ResponseCase { FilterMode::LowPass24, 96000.0, 1000.0f, -12.04, 0.4350 },
                     ResponseCase { FilterMode::HighPass12, 44100.0, 1000.0f, -6.02, 1.0 / 0.6436 },
                     ResponseCase { FilterMode::HighPass12, 48000.0, 1000.0f, -6.02, 1.0 / 0.6436 },
                     ResponseCase { FilterMode::HighPass24, 48000.0, 1000.0f, -12.04, 1.0 / 0.4350 },
                     ResponseCase { FilterMode::HighPass24, 192000.0, 20.0f, -12.04, 1.0 / 0.4350 }));

TEST (MultimodeFilter, SlopesAreTwelveAndTwentyFourDecibelsPerOctave)
{
    const double rate = 48000.0;
    struct Slope { FilterMode mode; double from, to, expectedDb; };
    // One octave well inside the stop band: 4 to 8 times (or a quarter to an
    // eighth of) a 300 Hz cutoff.
    for (const auto& s : { Slope { FilterMode::LowPass12, 1200.0, 2400.0, -12.0 },
                           Slope { FilterMode::LowPass24, 1200.0, 2400.0, -24.0 },
                           Slope { FilterMode::HighPass12, 75.0, 37.5, -12.0 },
                           Slope { FilterMode::HighPass24, 75.0, 37.5, -24.0 } })
    {
        const auto filter = makeFilter (rate, s.mode, 300.0f);
        const double octave = gainDb (filter, s.to, rate) - gainDb (filter, s.from, rate);
        EXPECT_NEAR (octave, s.expectedDb, 0.8) << "mode " << static_cast<int> (s.mode);
    }
}

TEST (MultimodeFilter, BandPassPeaksAtTheCutoffAndNotchCutsIt)
{
    const double rate = 44100.0;
    for (const float cutoff : { 200.0f, 1000.0f, 5000.0f })
    {
        const auto bandPass = impulseResponse (makeFilter (rate, FilterMode::BandPass, cutoff, 0.8f), 1 << 15);
        EXPECT_NEAR (peakFrequency (bandPass, rate, cutoff * 0.5, cutoff * 2.0), cutoff, cutoff * 0.01);

        // At resonance 0 the notch is (1 - w^2) / (1 + w^2): -1.09 dB a
        // quarter of the cutoff away, -0.27 dB an eighth away.
        const auto notch = makeFilter (rate, FilterMode::Notch, cutoff);
        EXPECT_LT (gainDb (notch, cutoff, rate), -40.0) << "cutoff " << cutoff;
        EXPECT_NEAR (gainDb (notch, cutoff / 4.0, rate), -1.09, 0.1);
        EXPECT_NEAR (gainDb (notch, cutoff / 8.0, rate), -0.27, 0.1);
    }
}

TEST (MultimodeFilter, ResonanceRaisesAPeakAtTheCutoff)
{
    const double rate = 48000.0;
    const float cutoff = 2000.0f;
    double previous = -100.0;
    for (const float resonance : { 0.0f, 0.5f, 0.8f, 0.95f })
    {
        const double atCutoff = gainDb (makeFilter (rate, FilterMode::LowPass12, cutoff, resonance), cutoff, rate);
        EXPECT_GT (atCutoff, previous + 1.0) << "resonance " << resonance;
        previous = atCutoff;
    }
    EXPECT_GT (previous, 6.0);
}

TEST (MultimodeFilter, CutoffsBeyondTheRangeActAsTheEdges)
{
    const double rate = 44100.0;
    const auto input = makeSine (3000.0, rate, 4096, 0.5f);
    auto run = [&] (FilterMode mode, float cutoff)
    {
        auto filter = makeFilter (rate, mode, cutoff, 0.3f);
        auto x = input;
        filter.process (x.data(), static_cast<int> (x.size()));
        return x;
    };

    for (const auto mode : { FilterMode::LowPass12, FilterMode::HighPass24, FilterMode::BandPass })
    {
        EXPECT_EQ (run (mode, 30000.0f), run (mode, 21609.0f));
        EXPECT_EQ (run (mode, 5.0f), run (mode, 20.0f));
        EXPECT_EQ (run (mode, -100.0f), run (mode, 20.0f));
        EXPECT_EQ (run (mode, std::numeric_limits<float>::quiet_NaN()), run (mode, 20.0f));
    }
}

TEST (MultimodeFilter, MaximumResonanceRingsAtTheCutoffOnSilence)
{
    const double rate = 48000.0;
    const float cutoff = 1500.0f;
    auto filter = makeFilter (rate, FilterMode::LowPass12, cutoff, 1.0f);
    std::vector<float> x (48000, 0.0f);
    filter.process (x.data(), static_cast<int> (x.size()));

    const double ring = amplitudeAt (x, cutoff, rate, 24000);
    EXPECT_GT (ring, 1.0e-6);
    EXPECT_GT (ring, 100.0 * amplitudeAt (x, cutoff * 1.3, rate, 24000));
    EXPECT_GT (ring, 100.0 * amplitudeAt (x, cutoff / 1.3, rate, 24000));
}

TEST (MultimodeFilter, DriveLiftsQuietSignalsBy24DecibelsAndLimitsLoudOnes)
{
    const double rate = 48000.0;
    auto driven = makeFilter (rate, FilterMode::LowPass12, 20000.0f, 0.0f, 1.0f);
    EXPECT_NEAR (sineGainDb ([&] (float* x, int n) { driven.process (x, n); }, 100.0, rate, 0.001f), 24.0, 0.2);

    auto loud = makeSine (100.0, rate, 24000, 4.0f);
    driven.process (loud.data(), static_cast<int> (loud.size()));
    EXPECT_LT (peakOf (loud, 1000), 1.1f);
    EXPECT_GT (peakOf (loud, 1000), 0.9f);

    // At or below 0.001 the drive is off: same result as no drive at all.
    const auto input = makeSine (300.0, rate, 2048, 0.9f);
    for (const auto mode : kAllModes)
    {
        auto barelyDriven = makeFilter (rate, mode, 800.0f, 0.5f, 0.001f);
        auto clean = makeFilter (rate, mode, 800.0f, 0.5f, 0.0f);
        auto a = input, b = input;
        barelyDriven.process (a.data(), 2048);
        clean.process (b.data(), 2048);
        EXPECT_EQ (a, b) << "mode " << static_cast<int> (mode);
    }
}

TEST (MultimodeFilter, CombPeaksAtTheTunedPitchAndItsHarmonics)
{
    const double rate = 44100.0;
    const auto response = impulseResponse (makeFilter (rate, FilterMode::Comb, 440.0f, 1.0f), 1 << 16);

    for (const int harmonic : { 1, 2, 3 })
    {
        const double pitch = 440.0 * harmonic;
        EXPECT_NEAR (peakFrequency (response, rate, pitch - 100.0, pitch + 100.0), pitch, 2.0 * harmonic);
    }
    // Feedback 0.95: 1 / (1 - 0.95) at the peaks, 1 / (1 + 0.95) between them.
    EXPECT_NEAR (toDecibels (responseAt (response, 440.0, rate)), 26.0, 0.5);
    EXPECT_NEAR (toDecibels (responseAt (response, 660.0, rate)), -5.8, 0.5);
}

TEST (MultimodeFilter, CombWithoutResonanceIsTransparent)
{
    const auto input = makeSine (330.0, 44100.0, 4096, 0.7f);
    auto filter = makeFilter (44100.0, FilterMode::Comb, 440.0f, 0.0f);
    auto x = input;
    filter.process (x.data(), 4096);
    EXPECT_EQ (x, input);
}

// Formant peaks for a vowel position: U, O, A, E, I over 0..1.
struct VowelCase
{
    float vowel;
    double f1, f2, f3;
};

class FormantPeaks : public testing::TestWithParam<VowelCase>
{
};

TEST_P (FormantPeaks, SitNearTheVowelFormants)
{
    const auto& c = GetParam();
    const double rate = 48000.0;
    auto filter = makeFilter (rate, FilterMode::Formant, 1000.0f);
    filter.settings.vowel = c.vowel;
    const auto response = impulseResponse (filter, 1 << 14);

    for (const double formant : { c.f1, c.f2, c.f3 })
        EXPECT_NEAR (peakFrequency (response, rate, formant * 0.9, formant * 1.1), formant, formant * 0.04)
            << "vowel " << c.vowel << " formant " << formant;
}

INSTANTIATE_TEST_SUITE_P (Vowels, FormantPeaks,
                          testing::Values (VowelCase { 0.0f, 300.0, 870.0, 2240.0 },     // U
                                           VowelCase { 0.5f, 730.0, 1090.0, 2440.0 },    // A
                                           VowelCase { 0.625f, 630.0, 1465.0, 2460.0 },  // halfway A to E
                                           VowelCase { 0.75f, 530.0, 1840.0, 2480.0 },   // E
                                           VowelCase { 1.0f, 270.0, 2290.0, 3010.0 }));  // I

TEST (MultimodeFilter, FormantIgnoresTheCutoffAndResonanceNarrowsIt)
{
    const double rate = 48000.0;
    const auto wide = impulseResponse (makeFilter (rate, FilterMode::Formant, 200.0f, 0.0f), 1 << 14);
    EXPECT_EQ (wide, impulseResponse (makeFilter (rate, FilterMode::Formant, 9000.0f, 0.0f), 1 << 14));

    // Halfway between A's first two formants the narrower bands let less through.
    const auto narrow = impulseResponse (makeFilter (rate, FilterMode::Formant, 200.0f, 1.0f), 1 << 14);
    const double valleyRelativeToPeak = [&] (const std::vector<float>& r)
    { return toDecibels (responseAt (r, 910.0, rate) / responseAt (r, 730.0, rate)); }(narrow);
    EXPECT_LT (valleyRelativeToPeak, toDecibels (responseAt (wide, 910.0, rate) / responseAt (wide, 730.0, rate)) - 6.0);
}

TEST (MultimodeFilter, BlockSizeDoesNotChangeTheOutput)
{
    const auto input = makeSine (700.0, 48000.0, 4800, 0.6f);
    for (const auto mode : kAllModes)
    {
        auto whole = makeFilter (48000.0, mode, 900.0f, 0.7f, 0.3f);
        auto pieces = whole;
        auto a = input, b = input;
        whole.process (a.data(), 4800);
        for (int start = 0; start < 4800; start += 64)
            pieces.process (b.data() + start, 64);
        EXPECT_EQ (a, b) << "mode " << static_cast<int> (mode);
    }
}

// Maximum resonance and drive on a loud signal at the cutoff, for seconds, at
// every sample rate and cutoff edge: the output stays finite and bounded.
class FilterStress : public testing::TestWithParam<FilterMode>
{
};

TEST_P (FilterStress, MaximumResonanceAndDriveStayBounded)
{
    for (const double rate : { 22050.0, 44100.0, 96000.0, 192000.0 })
        for (const float cutoff : { 5.0f, 20.0f, 1000.0f, static_cast<float> (0.49 * rate), 30000.0f, 1.0e9f })
        {
            const double tone = std::min (static_cast<double> (std::max (cutoff, 20.0f)), 0.49 * rate);
            auto x = makeSine (tone, rate, static_cast<int> (rate * 2.0), 1.0f);
            auto filter = makeFilter (rate, GetParam(), cutoff, 1.0f, 1.0f);
            for (size_t start = 0; start < x.size(); start += 512)
                filter.process (x.data() + start, static_cast<int> (std::min<size_t> (512, x.size() - start)));

            ASSERT_TRUE (allFinite (x)) << "rate " << rate << " cutoff " << cutoff;
            EXPECT_LT (peakOf (x), 25.0f) << "rate " << rate << " cutoff " << cutoff;
        }
}

TEST_P (FilterStress, UndrivenInputAtTheCutoffStaysBoundedAtMaximumResonance)
{
    const double rate = 44100.0;
    auto x = makeSine (1000.0, rate, static_cast<int> (rate * 5.0), 1.0f);
    auto filter = makeFilter (rate, GetParam(), 1000.0f, 1.0f);
    filter.process (x.data(), static_cast<int> (x.size()));
    ASSERT_TRUE (allFinite (x));
    // The undamped filter would grow without end; the late peak must not
    // exceed the early one by much.
    const float early = peakOf (std::vector<float> (x.begin(), x.begin() + 44100));
    EXPECT_LT (peakOf (x, x.size() - 44100), std::max (1.5f * early, 25.0f));
}

TEST_P (FilterStress, SilentTailDecaysToExactZeroWithoutDenormals)
{
    const double rate = 192000.0;
    for (const float cutoff : { 20.0f, 1000.0f, 80000.0f })
    {
        auto filter = makeFilter (rate, GetParam(), cutoff, 0.9f, 0.5f);
        auto loud = makeSine (cutoff > 1000.0f ? 5000.0 : 300.0, rate, 19200, 1.0f);
        filter.process (loud.data(), static_cast<int> (loud.size()));

        std::vector<float> tail (static_cast<size_t> (rate * 10.0), 0.0f);
        for (size_t start = 0; start < tail.size(); start += 1024)
            filter.process (tail.data() + start, 1024);

        EXPECT_FALSE (anySubnormal (tail)) << "cutoff " << cutoff;
        EXPECT_EQ (peakOf (tail, tail.size() - 1024), 0.0f) << "cutoff " << cutoff;
    }
}

TEST_P (FilterStress, RecoversFromANonFiniteInputSample)
{
    auto filter = makeFilter (48000.0, GetParam(), 800.0f, 0.5f);
    auto poisoned = makeSine (440.0, 48000.0, 512);
    poisoned[100] = std::numeric_limits<float>::quiet_NaN();
    filter.process (poisoned.data(), 512);

    auto next = makeSine (440.0, 48000.0, 512);
    filter.process (next.data(), 512);
    auto after = makeSine (440.0, 48000.0, 512);
    filter.process (after.data(), 512);
    EXPECT_TRUE (allFinite (after));
}

INSTANTIATE_TEST_SUITE_P (Modes, FilterStress, testing::ValuesIn (kAllModes));

TEST (MultimodeFilter, NonsenseSettingsGiveFiniteOutput)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const int mode : { -3, 0, 6, 7, 8, 100 })
        for (const float value : { nan, inf, -inf, -5.0f, 5.0f })
        {
            MultimodeFilter filter;
            filter.prepare (value); // not a sample rate: the default stays
            filter.settings = { static_cast<FilterMode> (mode), value, value, value, value, false };
            auto x = makeSine (440.0, 44100.0, 4096, 1.0f);
            filter.process (x.data(), 4096);
            EXPECT_TRUE (allFinite (x)) << "mode " << mode << " value " << value;
            EXPECT_LT (peakOf (x), 25.0f) << "mode " << mode << " value " << value;
        }
}

TEST (MultimodeFilter, ProcessingAllocatesNothing)
{
    std::vector<float> x = makeSine (440.0, 48000.0, 512);
    for (const auto mode : kAllModes)
    {
        auto filter = makeFilter (48000.0, mode, 1200.0f, 0.99f, 0.4f);
        plumora::test::ScopedAllocationCounter allocations;
        filter.process (x.data(), 512);
        EXPECT_EQ (allocations.count(), 0u) << "mode " << static_cast<int> (mode);
    }
}

// A stereo pair filtered in one pass must give, bit for bit, what each
// channel's own filter gives: in every mode (comb and formant, and pairs whose
// settings differ, fall back to one channel at a time), driven, at the
// self-oscillating resonance, and across blocks.
TEST (MultimodeFilter, PairInOnePassMatchesEachChannelOnItsOwn)
{
    struct Case
    {
        float resonance, drive, rightCutoff;
    };
    const Case cases[] = { { 0.3f, 0.0f, 900.0f }, { 0.6f, 0.5f, 900.0f }, { 1.0f, 0.2f, 900.0f }, { 0.3f, 0.0f, 2500.0f } };
    for (const auto mode : kAllModes)
        for (const auto& c : cases)
        {
            auto pairLeft = makeFilter (48000.0, mode, 900.0f, c.resonance, c.drive);
            auto pairRight = makeFilter (48000.0, mode, c.rightCutoff, c.resonance, c.drive);
            auto soloLeft = pairLeft, soloRight = pairRight;

            for (int block = 0; block < 4; ++block)
            {
                auto left = makeSine (173.0 + 50.0 * block, 48000.0, 333, 0.8f);
                auto right = makeSine (2900.0 - 300.0 * block, 48000.0, 333, 0.8f);
                auto expectedLeft = left, expectedRight = right;
                MultimodeFilter::processPair (pairLeft, pairRight, left.data(), right.data(), 333);
                soloLeft.process (expectedLeft.data(), 333);
                soloRight.process (expectedRight.data(), 333);
                ASSERT_EQ (left, expectedLeft) << "mode " << static_cast<int> (mode) << ", resonance " << c.resonance;
                ASSERT_EQ (right, expectedRight) << "mode " << static_cast<int> (mode) << ", resonance " << c.resonance;
            }
        }
}
