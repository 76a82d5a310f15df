#include "dsp/FactoryWavetables.h"
#include "dsp/WavetableReader.h"
#include "support/Spectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using namespace plumora;

namespace
{
std::vector<float> cycleOf (const Wavetable& table, int level, int frame)
{
    const float* samples = table.levels[static_cast<std::size_t> (level)].frame (frame);
    return std::vector<float> (samples, samples + WavetableLevel::kTableSize);
}

// Amplitude of harmonic h of one stored cycle (exact: a cycle is one period).
std::vector<double> harmonicsOf (const std::vector<float>& cycle)
{
    return test::amplitudeSpectrum (cycle, false);
}

const std::map<std::string, int> kFrameCounts {
    { "factory:sine", 1 }, { "factory:saw", 1 }, { "factory:triangle", 1 }, { "factory:analog_stack", 16 },
    { "factory:square", 16 }, { "factory:vocal", 5 }, { "factory:spectral_formant", 16 }, { "factory:fm_bell", 16 },
    { "factory:ppg_digital", 16 }, { "factory:physical", 16 },
};
} // namespace

TEST (FactoryWavetables, EveryLevelOfEveryTableIsBandLimitedAndHasNoDc)
{
    ASSERT_EQ (factoryWavetableNames().size(), 10u);
    for (const auto& name : factoryWavetableNames())
    {
        const auto table = makeFactoryWavetable (name);
        ASSERT_EQ (table->levels.size(), 11u) << name;
        EXPECT_EQ (table->numFrames, kFrameCounts.at (name)) << name;

        for (int level = 0; level < Wavetable::kNumLevels; ++level)
        {
            const int limit = Wavetable::harmonicsAtLevel (level);
            for (int frame = 0; frame < table->numFrames; ++frame)
            {
                const auto spectrum = harmonicsOf (cycleOf (*table, level, frame));
                double peak = 0.0, above = 0.0;
                for (std::size_t h = 1; h < spectrum.size(); ++h)
                {
                    auto& bucket = static_cast<int> (h) <= limit ? peak : above;
                    bucket = std::max (bucket, spectrum[h]);
                }
                ASSERT_LT (above, 1e-5 * std::max (1.0, peak)) << name << " level " << level << " frame " << frame;
                ASSERT_LT (std::abs (spectrum[0]), 1e-5) << name << " level " << level << " frame " << frame;
            }
        }
    }
}

TEST (FactoryWavetables, AdditiveTablesMatchTheirFormulas)
{
    // The saw is sum sin(n w)/n; the triangle sum over odd n of +-sin(n w)/n^2.
    const auto saw = makeFactoryWavetable ("factory:saw");
    const auto triangle = makeFactoryWavetable ("factory:triangle");
    for (const int level : { 0, 3, 7, 10 })
    {
        const int limit = Wavetable::harmonicsAtLevel (level);
        const auto sawCycle = cycleOf (*saw, level, 0);
        const auto triangleCycle = cycleOf (*triangle, level, 0);
        for (int i = 0; i < 2048; i += 97)
        {
            double expectedSaw = 0.0, expectedTriangle = 0.0;
            for (int n = 1; n <= std::min (limit, 1023); ++n)
            {
                const double s = std::sin (n * 6.283185307179586 * i / 2048.0);
                expectedSaw += s / n;
                if (n % 2 == 1)
                    expectedTriangle += (((n - 1) / 2) % 2 == 0 ? 1.0 : -1.0) * s / (static_cast<double> (n) * n);
            }
            ASSERT_NEAR (sawCycle[static_cast<std::size_t> (i)], expectedSaw, 2e-5) << "level " << level << " sample " << i;
            ASSERT_NEAR (triangleCycle[static_cast<std::size_t> (i)], expectedTriangle, 2e-6) << "level " << level << " sample " << i;
        }
    }

    // Not normalised: the full-band saw overshoots to about 1.85.
    const auto full = cycleOf (*saw, 0, 0);
    EXPECT_NEAR (*std::max_element (full.begin(), full.end()), 1.85, 0.02);
}

TEST (FactoryWavetables, ResynthesisedPulseKeepsItsHarmonicsAndLosesItsDc)
{
    // Frame 15 of the square is a 5 % pulse: +1 for 5 %, -1 elsewhere, mean -0.9.
    const auto square = makeFactoryWavetable ("factory:square");
    const auto cycle = cycleOf (*square, 0, 15);
    double mean = 0.0;
    for (const float s : cycle)
        mean += s;
    EXPECT_NEAR (mean / 2048.0, 0.0, 1e-6);

    // Harmonic h of a sampled +-1 pulse that is high for K of N samples has
    // amplitude (4 / N) |sin(pi h K / N) / sin(pi h / N)|; here K = 103 (x < 0.05).
    const double n = 2048.0, high = 103.0;
    const auto spectrum = harmonicsOf (cycle);
    for (const int h : { 1, 2, 3, 10, 19, 300 })
        EXPECT_NEAR (spectrum[static_cast<std::size_t> (h)], 4.0 / n * std::abs (std::sin (M_PI * h * high / n) / std::sin (M_PI * h / n)), 1e-6) << h;
}

TEST (FactoryWavetables, SawAndBrightestAnalogStackFrameAgreeAboveLevelOne)
{
    const auto saw = makeFactoryWavetable ("factory:saw");
    const auto stack = makeFactoryWavetable ("factory:analog_stack");
    for (int level = 2; level < Wavetable::kNumLevels; ++level)
    {
        const auto a = cycleOf (*saw, level, 0);
        const auto b = cycleOf (*stack, level, 15);
        for (std::size_t i = 0; i < a.size(); ++i)
            ASSERT_NEAR (a[i], b[i], 1e-5) << "level " << level;
    }

    // At level 10 every frame of every table is a sinusoid at the fundamental.
    for (const auto& name : factoryWavetableNames())
    {
        const auto table = makeFactoryWavetable (name);
        for (int frame = 0; frame < table->numFrames; ++frame)
        {
            const auto spectrum = harmonicsOf (cycleOf (*table, 10, frame));
            double others = 0.0;
            for (std::size_t h = 2; h < spectrum.size(); ++h)
                others = std::max (others, spectrum[h]);
            ASSERT_LT (others, 1e-5 * std::max (1.0, spectrum[1])) << name << " frame " << frame;
        }
    }
}

TEST (FactoryWavetables, UnknownNamesFallBackToTheAnalogStackAndTablesAreShared)
{
    const auto stack = makeFactoryWavetable ("factory:analog_stack");
    for (const char* name : { "", "factory:", "FACTORY:SAW", "factory:Saw", "factory:saw ", "/home/user/wave.wav", "analog_stack" })
        EXPECT_EQ (makeFactoryWavetable (name), stack) << '"' << name << '"';

    EXPECT_EQ (makeFactoryWavetable ("factory:saw"), makeFactoryWavetable ("factory:saw"));
    EXPECT_NE (makeFactoryWavetable ("factory:saw"), stack);
}

TEST (FactoryWavetables, BesselSeriesMatchesTheLibraryFunction)
{
    for (int order = 0; order <= 20; ++order)
        for (const double x : { 0.0, 0.5, 1.0, 2.5, 4.0, 6.0 })
        {
            const double expected = std::cyl_bessel_j (static_cast<double> (order), x);
            EXPECT_NEAR (besselJ (order, x), expected, 1e-6) << "J" << order << "(" << x << ")";
            EXPECT_NEAR (besselJ (-order, x), (order % 2 ? -1.0 : 1.0) * expected, 1e-6);
        }
}

TEST (FactoryWavetables, FmBellFrameZeroIsASineAndRatioTwoFramesAreOdd)
{
    // Frame 0: ratio 1, index 0, so only J0(0) = 1 at the fundamental.
    const auto bell = makeFactoryWavetable ("factory:fm_bell");
    const auto first = harmonicsOf (cycleOf (*bell, 0, 0));
    EXPECT_NEAR (first[1], 1.0, 1e-5);
    EXPECT_LT (first[2], 1e-5);

    // Ratio 2 puts sidebands at 1 + 2j: odd harmonics only.
    const auto ratioTwo = harmonicsOf (cycleOf (*bell, 0, 5));
    for (int h = 2; h <= 40; h += 2)
        EXPECT_LT (ratioTwo[static_cast<std::size_t> (h)], 1e-5) << h;
    EXPECT_GT (ratioTwo[3], 0.1);
}

TEST (WavetableReading, PositionsReadFramesAndCrossfadeBetweenThem)
{
    const auto vocal = makeFactoryWavetable ("factory:vocal");
    for (const float phase : { 0.0f, 0.13f, 0.5f, 0.871f })
    {
        const float frameE = readGuardedFrame (vocal->levels[3].frame (1), phase);
        const float frameI = readGuardedFrame (vocal->levels[3].frame (2), phase);
        EXPECT_EQ (readWavetable (*vocal, 3, 0.25f, phase), frameE);
        EXPECT_NEAR (readWavetable (*vocal, 3, 0.375f, phase), 0.5f * (frameE + frameI), 1e-6f);
        const float last = readGuardedFrame (vocal->levels[3].frame (4), phase);
        EXPECT_EQ (readWavetable (*vocal, 3, 1.0f, phase), last);
        EXPECT_EQ (readWavetable (*vocal, 3, 7.0f, phase), last);
        EXPECT_EQ (readWavetable (*vocal, 99, 0.0f, phase), readWavetable (*vocal, 10, 0.0f, phase));
        EXPECT_TRUE (std::isfinite (readWavetable (*vocal, 3, std::nanf (""), phase)));
    }
    EXPECT_EQ (readWavetable (Wavetable {}, 0, 0.5f, 0.5f), 0.0f);
}

TEST (WavetableReading, CubicReadHitsSamplesAndWrapsAroundTheCycle)
{
    std::vector<float> ramp (8);
    for (int i = 0; i < 8; ++i)
        ramp[static_cast<std::size_t> (i)] = static_cast<float> (i * i);
    EXPECT_EQ (readFrame (ramp.data(), 8, 0.0f), 0.0f);
    EXPECT_EQ (readFrame (ramp.data(), 8, 0.5f), 16.0f);

    // Just below 1 the neighbours are the last samples and the first ones again.
    const float wrapped = readFrame (ramp.data(), 8, 0.9999f);
    const float expected = catmullRom (36.0f, 49.0f, 0.0f, 1.0f, 8 * 0.9999f - 7);
    EXPECT_FLOAT_EQ (wrapped, expected);

    const auto sine = makeFactoryWavetable ("factory:sine");
    for (float phase = 0.0f; phase < 1.0f; phase += 0.0123f)
        ASSERT_NEAR (readGuardedFrame (sine->levels[0].frame (0), phase), std::sin (6.2831853f * phase), 1e-6f);
}

struct MipCase
{
    double frequency, sampleRate;
    int level;
};

class MipLevel : public testing::TestWithParam<MipCase> {};

TEST_P (MipLevel, IsTheBandLimitThatFitsUnderNyquist)
{
    const auto& c = GetParam();
    EXPECT_EQ (selectMipLevel (c.frequency, c.sampleRate), c.level);
}

INSTANTIATE_TEST_SUITE_P (Cases, MipLevel, testing::Values (
    MipCase { 440.0, 48000.0, 5 }, MipCase { 20.0, 48000.0, 0 }, MipCase { 0.0, 48000.0, 0 },
    MipCase { -50.0, 48000.0, 0 }, MipCase { 12001.0, 48000.0, 10 }, MipCase { 1.0e9, 48000.0, 10 },
    MipCase { 23.4375, 48000.0, 0 }, MipCase { 23.5, 48000.0, 1 }));

TEST (MipLevelProperty, NoHarmonicOfTheChosenLevelIsAboveNyquist)
{
    for (const double rate : { 22050.0, 44100.0, 48000.0, 96000.0, 192000.0 })
        for (double f = 10.0; f < rate / 2.0; f *= 1.01)
        {
            const int level = selectMipLevel (f, rate);
            ASSERT_LE (Wavetable::harmonicsAtLevel (level) * f, rate / 2.0 + 1e-9) << f << " Hz at " << rate;
            if (level > 0)
            {
                ASSERT_GT (Wavetable::harmonicsAtLevel (level - 1) * f, rate / 2.0) << "a brighter level would fit";
            }
        }
}
