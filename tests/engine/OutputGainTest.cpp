#include "engine/OutputGain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using plumora::OutputGain;

namespace
{
// Runs a block of ones through the stage and returns the left output.
std::vector<float> runOnes (OutputGain& stage, int numSamples, int voices, float master)
{
    std::vector<float> left (static_cast<std::size_t> (numSamples), 1.0f), right (left);
    stage.process (left.data(), right.data(), numSamples, voices, master);
    return left;
}
} // namespace

TEST (OutputGain, OneVoiceAtFullMasterLeavesHalfAmplitude)
{
    OutputGain stage;
    stage.prepare (48000.0);
    EXPECT_FLOAT_EQ (runOnes (stage, 64, 1, 1.0f).back(), 0.5f);
    EXPECT_FLOAT_EQ (runOnes (stage, 64, 0, 0.5f).back(), 0.25f);
}

TEST (OutputGain, EightVoicesScaleByOneOverRootEightWithinAboutFiveMilliseconds)
{
    OutputGain stage;
    stage.prepare (48000.0);
    const auto out = runOnes (stage, 4800, 8, 1.0f);
    const float target = 0.5f / std::sqrt (8.0f);

    // One time constant (5 ms = 240 samples) covers 63 % of the way; 100 ms settles.
    const float start = 0.5f;
    EXPECT_NEAR (out[239], target + (start - target) * std::exp (-1.0f), 0.002f);
    EXPECT_NEAR (out.back(), target, 1e-5f);
    for (std::size_t i = 1; i < out.size(); ++i)
        ASSERT_LE (out[i], out[i - 1]) << "gain changes must be smooth and monotonic";
}

// Up to +12 dBFS the stage only scales; above, the output bends smoothly
// (rising, no jump) towards +23.5 dBFS and never passes it; non-finite
// samples come out silent.
TEST (OutputGain, RunawayLevelsBendUnderTheCeilingAndNonFiniteSamplesAreSilenced)
{
    OutputGain stage;
    stage.prepare (48000.0);
    std::vector<float> input;
    for (float x = 0.0f; x < 2.0e4f; x = x * 1.05f + 0.01f)
        input.push_back (x);
    input.push_back (2.0e30f);
    auto left = input, right = input;
    stage.process (left.data(), right.data(), static_cast<int> (left.size()), 1, 1.0f); // scales by a half

    for (std::size_t i = 0; i < left.size(); ++i)
    {
        if (0.5f * input[i] <= 4.0f)
            EXPECT_FLOAT_EQ (left[i], 0.5f * input[i]);
        EXPECT_LE (left[i], 15.0f);
        if (i > 0)
        {
            // Never falling, and never steeper than the plain scaling: no jump at the knee.
            EXPECT_GE (left[i], left[i - 1]);
            EXPECT_LE (left[i] - left[i - 1], 0.5f * (input[i] - input[i - 1]) + 1.0e-5f) << input[i];
        }
    }
    EXPECT_GT (left.back(), 14.9f);

    const float inf = std::numeric_limits<float>::infinity();
    float bad[] = { std::numeric_limits<float>::quiet_NaN(), inf, -inf };
    float badRight[] = { -inf, std::numeric_limits<float>::quiet_NaN(), inf };
    stage.process (bad, badRight, 3, 1, 1.0f);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE (bad[i] == 0.0f && badRight[i] == 0.0f) << i;
}
