#include "dsp/Distortion.h"
#include "dsp/SignalProbe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using plumora::Distortion;
using namespace plumora::test;

namespace
{
Distortion makeDistortion (float drive, float mix = 1.0f)
{
    Distortion distortion;
    distortion.settings = { drive, mix, false };
    return distortion;
}

float processOne (const Distortion& distortion, float x)
{
    distortion.process (&x, 1);
    return x;
}
} // namespace

TEST (Distortion, FullDriveLimitsAtOneSixteenth)
{
    const auto distortion = makeDistortion (1.0f);
    EXPECT_NEAR (processOne (distortion, 1.0f), std::tanh (16.0f) / 16.0f, 1e-7f);
    EXPECT_NEAR (processOne (distortion, 1.0f), 0.0625f, 1e-6f);
    EXPECT_NEAR (processOne (distortion, -100.0f), -0.0625f, 1e-6f);
}

TEST (Distortion, SmallSignalsPassAtUnityGainAndDriveLowersTheCeiling)
{
    const double rate = 48000.0;
    float previousCeiling = 2.0f;
    for (const float drive : { 0.1f, 0.4f, 0.7f, 1.0f })
    {
        const auto distortion = makeDistortion (drive);
        EXPECT_NEAR (sineGainDb ([&] (float* x, int n) { distortion.process (x, n); }, 440.0, rate, 0.0005f), 0.0, 0.01)
            << "drive " << drive;

        auto loud = makeSine (440.0, rate, 4800, 2.0f);
        distortion.process (loud.data(), 4800);
        const float ceiling = peakOf (loud);
        EXPECT_NEAR (ceiling, 1.0f / (15.0f * drive + 1.0f), 1e-3f) << "drive " << drive;
        EXPECT_LT (ceiling, previousCeiling);
        previousCeiling = ceiling;
    }
}

TEST (Distortion, MixBlendsDryAndShaped)
{
    const float wet = processOne (makeDistortion (0.6f, 1.0f), 0.8f);
    EXPECT_NEAR (processOne (makeDistortion (0.6f, 0.5f), 0.8f), 0.5f * (0.8f + wet), 1e-6f);
    EXPECT_EQ (processOne (makeDistortion (0.6f, 0.0f), 0.8f), 0.8f);
}

TEST (Distortion, BypassAndNegligibleDriveLeaveTheSignalBitForBit)
{
    const auto input = makeSine (440.0, 48000.0, 1024, 0.9f);
    Distortion bypassed = makeDistortion (1.0f);
    bypassed.settings.bypass = true;
    for (const auto& distortion : { bypassed, makeDistortion (0.0009f, 1.0f), makeDistortion (0.0009f, 0.3f) })
    {
        auto x = input;
        distortion.process (x.data(), 1024);
        EXPECT_EQ (x, input);
    }
}

TEST (Distortion, NonsenseSettingsGiveFiniteBoundedOutput)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const float drive : { nan, inf, -inf, 7.0f })
        for (const float mix : { nan, inf, -3.0f, 4.0f })
        {
            auto x = makeSine (440.0, 48000.0, 512, 1.0f);
            makeDistortion (drive, mix).process (x.data(), 512);
            EXPECT_TRUE (allFinite (x)) << drive << " " << mix;
            EXPECT_LE (peakOf (x), 1.0f) << drive << " " << mix;
        }
}
