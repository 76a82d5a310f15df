#include "engine/OutputGain.h"

#include <gtest/gtest.h>

#include <cmath>
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
