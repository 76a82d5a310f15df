#include "dsp/FactoryWavetables.h"
#include "dsp/UnisonOscillator.h"
#include "dsp/Xorshift32.h"
#include "support/Spectrum.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plumora;

namespace
{
constexpr double kRate = 48000.0;
constexpr int kBlock = 256;
constexpr float kCentreGain = 0.70710678f;

struct Rendered
{
    std::vector<float> left, right;
};

// Energy of the difference relative to the energy of the reference.
double differenceEnergyRatio (const std::vector<float>& reference, const std::vector<float>& other)
{
    double signal = 0.0, difference = 0.0;
    for (std::size_t i = 0; i < reference.size(); ++i)
    {
        signal += reference[i] * reference[i];
        difference += (reference[i] - other[i]) * (reference[i] - other[i]);
    }
    return difference / signal;
}

struct OscillatorFixture : testing::Test
{
    UnisonOscillator oscillator, partner;
    std::uint32_t randomState = 12345;
    OscillatorSettings settings;

    OscillatorFixture()
    {
        oscillator.prepare (kRate);
        partner.prepare (kRate);
        startOscillatorPair (oscillator, partner, randomState);
        settings.table = makeFactoryWavetable ("factory:saw").get();
        settings.driftCents = 0.0f;
    }

    Rendered render (int blocks)
    {
        Rendered out { std::vector<float> (static_cast<std::size_t> (blocks * kBlock)), std::vector<float> (static_cast<std::size_t> (blocks * kBlock)) };
        for (int b = 0; b < blocks; ++b)
            oscillator.render (out.left.data() + b * kBlock, out.right.data() + b * kBlock, kBlock, settings);
        return out;
    }
};
} // namespace

TEST_F (OscillatorFixture, PlaysAtItsFrequencyInBothModes)
{
    for (const int mode : { OscillatorSettings::Wavetable, OscillatorSettings::SuperSaw })
        for (const double frequency : { 55.0, 440.0, 1234.5 })
        {
            settings.mode = mode;
            settings.frequencyHz = frequency;
            settings.superSawMix = 0.0f; // no spread: one clear pitch
            settings.unison = 1;
            const auto out = render (64);
            EXPECT_NEAR (test::dominantFrequency (out.left, kRate), frequency, 0.5) << "mode " << mode;
        }
}

TEST_F (OscillatorFixture, WavetableModeIsFreeOfAliasing)
{
    // A 2.7 kHz saw: every bin that is not a harmonic stays 80 dB below the fundamental.
    settings.frequencyHz = 2700.0;
    settings.unison = 1;
    const auto spectrum = test::amplitudeSpectrum (render (64).left);
    const double fundamental = test::amplitudeAt (spectrum, kRate, 2700.0);
    const double binHz = kRate / (2.0 * static_cast<double> (spectrum.size() - 1));
    double worst = 0.0;
    for (std::size_t k = 1; k < spectrum.size(); ++k)
    {
        const double f = static_cast<double> (k) * binHz;
        const double nearestHarmonic = std::round (f / 2700.0) * 2700.0;
        if (std::abs (f - nearestHarmonic) > 100.0)
            worst = std::max (worst, spectrum[k]);
    }
    EXPECT_LT (test::decibels (worst / fundamental), -80.0);
}

TEST_F (OscillatorFixture, SingleCopyIsCentredUndetunedAndUnscaled)
{
    for (const int unison : { 1, 0, -4 })
    {
        settings.unison = unison;
        settings.detuneCents = 50.0f;
        render (1);
        EXPECT_EQ (oscillator.detuneOf (0), 0.0f);
        EXPECT_NEAR (oscillator.gainLeftOf (0), kCentreGain, 1e-6f);
        EXPECT_NEAR (oscillator.gainRightOf (0), kCentreGain, 1e-6f);
        EXPECT_EQ (oscillator.gainLeftOf (1), 0.0f) << "copies beyond the count are silent";
    }

    // A sine at unison 1 keeps the table's amplitude times the centre pan gain.
    settings.unison = 1;
    settings.table = makeFactoryWavetable ("factory:sine").get();
    settings.frequencyHz = 1000.0;
    const auto out = render (8);
    EXPECT_NEAR (*std::max_element (out.left.begin(), out.left.end()), kCentreGain, 1e-3f);
}

TEST_F (OscillatorFixture, WavetableSpreadDetunesAndPansSymmetrically)
{
    settings.unison = 2;
    settings.detuneCents = 10.0f;
    settings.stereoWidth = 1.0f;
    render (1);
    EXPECT_FLOAT_EQ (oscillator.detuneOf (0), -10.0f);
    EXPECT_FLOAT_EQ (oscillator.detuneOf (1), 10.0f);
    EXPECT_NEAR (oscillator.gainLeftOf (0), 1.0f, 1e-6f);
    EXPECT_NEAR (oscillator.gainRightOf (0), 0.0f, 1e-6f);
    EXPECT_NEAR (oscillator.gainRightOf (1), 1.0f, 1e-6f);

    settings.unison = 40; // more than 16 behaves like 16
    settings.stereoWidth = 0.5f;
    render (1);
    EXPECT_FLOAT_EQ (oscillator.detuneOf (15), 10.0f);
    EXPECT_FLOAT_EQ (oscillator.panOf (15), 0.5f);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR (std::pow (oscillator.gainLeftOf (i), 2.0f) + std::pow (oscillator.gainRightOf (i), 2.0f), 1.0f, 1e-5f) << "equal power";
}

TEST_F (OscillatorFixture, SuperSawSpreadsByMixAndTamesTheCentreCopy)
{
    settings.mode = OscillatorSettings::SuperSaw;
    settings.unison = 7;
    settings.superSawMix = 0.5f;
    settings.detuneCents = 99.0f; // not used in this mode
    render (1);
    for (int i = 0; i < 7; ++i)
    {
        const float e = 2.0f * i / 6.0f - 1.0f;
        EXPECT_NEAR (oscillator.detuneOf (i), std::copysign (std::pow (std::abs (e), 0.7f), e) * 30.0f, 1e-4f) << i;
    }
    EXPECT_NEAR (oscillator.gainLeftOf (3), 0.725f * kCentreGain, 1e-6f);

    settings.unison = 8;
    render (1);
    const float panOfFour = 2.0f * 4 / 7.0f - 1.0f;
    EXPECT_NEAR (std::hypot (oscillator.gainLeftOf (4), oscillator.gainRightOf (4)), 0.725f, 1e-5f);
    EXPECT_NEAR (std::hypot (oscillator.gainLeftOf (3), oscillator.gainRightOf (3)), 1.0f, 1e-5f);
    EXPECT_EQ (oscillator.panOf (4), panOfFour * settings.stereoWidth);
}

TEST_F (OscillatorFixture, SuperSawHasNoDcOrRumble)
{
    settings.mode = OscillatorSettings::SuperSaw;
    settings.unison = 7;
    settings.frequencyHz = 110.0;
    const auto out = render (200);
    const auto spectrum = test::amplitudeSpectrum (out.left);
    EXPECT_LT (spectrum[0], 1e-3);
    EXPECT_GT (test::amplitudeAt (spectrum, kRate, 110.0), 0.05);
}

TEST_F (OscillatorFixture, DriftWandersWithinItsAmountAndStandsStillAtZero)
{
    settings.unison = 4;
    render (50);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ (oscillator.driftOf (i), 0.0f);

    settings.driftCents = 10.0f;
    settings.driftRateHz = 0.5f;
    float lowest = 1.0f, highest = -1.0f;
    for (int block = 0; block < 400; ++block)
    {
        render (1);
        lowest = std::min (lowest, oscillator.driftOf (0));
        highest = std::max (highest, oscillator.driftOf (0));
    }
    EXPECT_GE (lowest, -10.0f);
    EXPECT_LE (highest, 10.0f);
    EXPECT_GT (highest - lowest, 5.0f) << "a second of drift at 0.5 Hz moves the pitch";
}

TEST (UnisonOscillatorStart, DrawsSixtyFourNumbersInAFixedOrder)
{
    UnisonOscillator slot1, slot2;
    std::uint32_t state = 12345;
    startOscillatorPair (slot1, slot2, state);

    std::uint32_t expected = 12345;
    std::vector<float> draws;
    for (int i = 0; i < 64; ++i)
        draws.push_back (nextRandomFraction (expected));
    EXPECT_EQ (state, expected);
    for (int i = 0; i < 16; ++i)
    {
        EXPECT_EQ (slot1.phaseOf (i), draws[static_cast<std::size_t> (32 + i)]);
        EXPECT_EQ (slot2.phaseOf (i), draws[static_cast<std::size_t> (48 + i)]);
    }
}

TEST_F (OscillatorFixture, PhaseModulationWithSineTablesIsTheTextbookFormula)
{
    // Carrier sin(2 pi (p1 + depth m)), modulator m = 0.7071 sin(2 pi p2)
    // (the modulator's centre pan gain), at equal frequencies, unison 1.
    const auto sine = makeFactoryWavetable ("factory:sine");
    settings.table = sine.get();
    settings.unison = 1;
    settings.frequencyHz = 220.0;
    OscillatorSettings modulatorSettings = settings;

    const double increment = 220.0 / kRate;
    const double carrierStart = oscillator.phaseOf (0), modulatorStart = partner.phaseOf (0);

    std::vector<float> modL (kBlock), modR (kBlock), modulator (kBlock), outL (kBlock), outR (kBlock);
    partner.render (modL.data(), modR.data(), kBlock, modulatorSettings);
    for (int s = 0; s < kBlock; ++s)
        modulator[static_cast<std::size_t> (s)] = 0.5f * (modL[static_cast<std::size_t> (s)] + modR[static_cast<std::size_t> (s)]);
    const float depth = 4.0f * 0.25f;
    oscillator.renderModulated (outL.data(), outR.data(), kBlock, settings, modulator.data(), depth);

    for (int s = 0; s < kBlock; ++s)
    {
        const double m = kCentreGain * std::sin (2.0 * M_PI * (modulatorStart + s * increment));
        const double expected = kCentreGain * std::sin (2.0 * M_PI * (carrierStart + s * increment + depth * m));
        ASSERT_NEAR (outL[static_cast<std::size_t> (s)], expected, 2e-4) << s;
    }
}

TEST_F (OscillatorFixture, FeedbackStaysBoundedAndZeroDepthIsThePlainSound)
{
    settings.unison = 3;
    settings.detuneCents = 12.0f;
    float history1 = 0.0f, history2 = 0.0f;
    std::vector<float> left (kBlock), right (kBlock);
    for (int block = 0; block < 200; ++block)
    {
        oscillator.renderWithFeedback (left.data(), right.data(), kBlock, settings, history1, history2, 2.0f);
        for (const float x : left)
            ASSERT_TRUE (std::isfinite (x) && std::abs (x) < 4.0f);
    }
    EXPECT_NE (history1, 0.0f);

    UnisonOscillator plain, withFeedback, unused;
    std::uint32_t a = 7, b = 7;
    for (auto* o : { &plain, &withFeedback, &unused })
        o->prepare (kRate);
    startOscillatorPair (plain, unused, a);
    startOscillatorPair (withFeedback, unused, b);
    std::vector<float> plainL (kBlock), plainR (kBlock);
    history1 = history2 = 0.0f;
    plain.render (plainL.data(), plainR.data(), kBlock, settings);
    withFeedback.renderWithFeedback (left.data(), right.data(), kBlock, settings, history1, history2, 0.0f);
    // The plain render may take another kernel: the same sound up to rounding.
    EXPECT_LT (differenceEnergyRatio (plainL, left), 1.0e-6);
}

// The plain render picks a kernel by copy count and CPU (copies or samples in
// the lanes, four or eight lanes); phase modulation at depth 0 always takes
// the four-lane, sample-major one. All of them must make the same sound,
// including blocks that do not fill the last group of lanes: they differ
// only by the rounding of the phases (tens of nanoseconds of time shift),
// which stays 60 dB below the sound even on a saw's edge.
TEST (UnisonOscillatorKernels, EveryKernelMakesTheSameSound)
{
    struct Case
    {
        int mode;
        const char* table;
        bool movingPosition;
    };
    const Case cases[] = { { OscillatorSettings::Wavetable, "factory:analog_stack", true },
                           { OscillatorSettings::Wavetable, "factory:saw", false },
                           { OscillatorSettings::SuperSaw, "factory:saw", false } };
    const auto zeros = std::vector<float> (kBlock, 0.0f);

    for (const auto& c : cases)
        for (const int count : { 1, 2, 3, 4, 5, 8, 9, 16 })
        {
            UnisonOscillator wide, fourLanes, modulated, unused;
            fourLanes.setWideKernels (false);
            for (auto* o : { &wide, &fourLanes, &modulated })
            {
                o->prepare (kRate);
                std::uint32_t seed = 99;
                startOscillatorPair (*o, unused, seed);
            }

            OscillatorSettings settings;
            settings.mode = c.mode;
            settings.table = makeFactoryWavetable (c.table).get();
            settings.unison = count;
            settings.detuneCents = 17.0f;
            settings.stereoWidth = 0.6f;
            settings.superSawMix = 0.7f;
            settings.frequencyHz = 187.0;

            std::vector<float> out[3];
            std::vector<float> l (kBlock), r (kBlock);
            // Positions 0.63, 0.26, 0.89, 0.52, 0.15: jumps both ways, in
            // blocks too short to fill a group of lanes.
            for (const int length : { kBlock, 77, 3, 1, kBlock })
            {
                if (c.movingPosition)
                    settings.position = std::fmod (settings.position + 0.63f, 1.0f);
                for (int k = 0; k < 3; ++k)
                {
                    if (k == 0)
                        wide.render (l.data(), r.data(), length, settings);
                    else if (k == 1)
                        fourLanes.render (l.data(), r.data(), length, settings);
                    else
                        modulated.renderModulated (l.data(), r.data(), length, settings, zeros.data(), 0.0f);
                    out[k].insert (out[k].end(), l.begin(), l.begin() + length);
                    out[k].insert (out[k].end(), r.begin(), r.begin() + length);
                }
            }
            for (int k = 1; k < 3; ++k)
                EXPECT_LT (differenceEnergyRatio (out[0], out[k]), 1.0e-6) << c.table << " mode " << c.mode << ", " << count << " copies, kernel " << k;
            EXPECT_NEAR (wide.phaseOf (0), fourLanes.phaseOf (0), 1.0e-4f);
        }
}

TEST_F (OscillatorFixture, UnusableSettingsGiveFiniteBoundedOutput)
{
    const auto check = [this] (const char* what)
    {
        const auto out = render (4);
        for (const float x : out.left)
            ASSERT_TRUE (std::isfinite (x) && std::abs (x) < 4.0f) << what;
    };

    for (const double frequency : { 0.0, -440.0, 1.0e12, std::nan (""), std::numeric_limits<double>::infinity() })
    {
        settings.frequencyHz = frequency;
        check ("frequency");
    }
    settings.frequencyHz = 440.0;
    settings.position = std::nanf ("");
    check ("position");
    settings.position = 0.5f;
    settings.table = nullptr;
    EXPECT_EQ (test::rms (render (2).left), 0.0);
    settings.table = makeFactoryWavetable ("factory:analog_stack").get();
    settings.unison = 16;
    settings.detuneCents = 100.0f;
    settings.driftCents = 50.0f;
    settings.driftRateHz = 0.5f;
    check ("widest spread");
}
