#include "dsp/Lfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <vector>

using plumora::Lfo;
using plumora::LfoShape;

namespace
{
constexpr double kPi = 3.14159265358979323846;

Lfo restartedLfo (double sampleRate, float delayMs = 0.0f, float fadeMs = 0.0f)
{
    Lfo lfo;
    lfo.prepare (sampleRate);
    lfo.trigger (delayMs, fadeMs, true);
    return lfo;
}

int shapeOf (LfoShape shape) { return static_cast<int> (shape); }

// Block values over `blocks` blocks.
std::vector<float> run (Lfo& lfo, float rate, LfoShape shape, int blockSize, int blocks)
{
    std::vector<float> values;
    for (int b = 0; b < blocks; ++b)
        values.push_back (lfo.advance (rate, shapeOf (shape), blockSize));
    return values;
}
} // namespace

// Shape values at chosen phases: 1 Hz at 48 kHz with blocks of 480 moves the
// phase by 0.01 per block, so block b reads phase (b + 1) / 100.
struct ShapeCase
{
    LfoShape shape;
    float at10, at30, at70, at90; // phases 0.1, 0.3, 0.7, 0.9
};

class LfoShapes : public testing::TestWithParam<ShapeCase>
{
};

TEST_P (LfoShapes, FollowTheirCurveOverOneCycle)
{
    const auto& c = GetParam();
    auto lfo = restartedLfo (48000.0);
    const auto values = run (lfo, 1.0f, c.shape, 480, 100);

    EXPECT_NEAR (values[9], c.at10, 1e-4f);
    EXPECT_NEAR (values[29], c.at30, 1e-4f);
    EXPECT_NEAR (values[69], c.at70, 1e-4f);
    EXPECT_NEAR (values[89], c.at90, 1e-4f);
    for (const float v : values)
    {
        EXPECT_GE (v, -1.0f);
        EXPECT_LE (v, 1.0f);
    }
}

INSTANTIATE_TEST_SUITE_P (Shapes, LfoShapes,
                          testing::Values (ShapeCase { LfoShape::Sine, 0.587785f, 0.951057f, -0.951057f, -0.587785f },
                                           ShapeCase { LfoShape::Triangle, -0.6f, 0.2f, 0.2f, -0.6f },
                                           ShapeCase { LfoShape::SawUp, -0.8f, -0.4f, 0.4f, 0.8f },
                                           ShapeCase { LfoShape::SawDown, 0.8f, 0.4f, -0.4f, -0.8f },
                                           ShapeCase { LfoShape::Square, 1.0f, 1.0f, -1.0f, -1.0f }));

TEST (Lfo, TriangleStartsAtMinusOneAndPeaksHalfwayThroughTheCycle)
{
    auto lfo = restartedLfo (48000.0);
    const auto values = run (lfo, 1.0f, LfoShape::Triangle, 480, 100);
    const auto peak = std::max_element (values.begin(), values.end());
    EXPECT_EQ (peak - values.begin(), 49); // phase 0.5
    EXPECT_NEAR (*peak, 1.0f, 1e-4f);
    EXPECT_NEAR (values.back(), -1.0f, 1e-4f); // phase back to 0
}

TEST (Lfo, FirstBlockAfterARestartReadsOneBlockOfPhase)
{
    auto lfo = restartedLfo (48000.0);
    EXPECT_NEAR (lfo.advance (1.0f, shapeOf (LfoShape::Sine), 480), std::sin (0.02 * kPi), 1e-6);
}

TEST (Lfo, CompletesRateCyclesPerSecondWhateverTheBlockSize)
{
    for (const double sampleRate : { 44100.0, 48000.0, 96000.0 })
        for (const int blockSize : { 32, 441, 512 })
            for (const float rate : { 0.13f, 2.0f, 7.5f })
            {
                auto lfo = restartedLfo (sampleRate);
                const int blocks = static_cast<int> (20.0 * sampleRate / blockSize);
                const auto values = run (lfo, rate, LfoShape::SawUp, blockSize, blocks);

                int wraps = 0;
                for (size_t i = 1; i < values.size(); ++i)
                    wraps += values[i] < values[i - 1] ? 1 : 0;
                const double seconds = static_cast<double> (blocks) * blockSize / sampleRate;
                EXPECT_NEAR (wraps, rate * seconds, 1.0) << sampleRate << " Hz, block " << blockSize << ", rate " << rate;
            }
}

TEST (Lfo, DelayHoldsZeroForWholeBlocksThenStartsFromPhaseZero)
{
    // 100 ms at 48 kHz is 4800 samples: ten blocks of 512.
    auto lfo = restartedLfo (48000.0, 100.0f);
    const auto values = run (lfo, 1.0f, LfoShape::SawUp, 512, 12);
    for (int b = 0; b < 10; ++b)
        EXPECT_EQ (values[static_cast<size_t> (b)], 0.0f) << "block " << b;
    EXPECT_NEAR (values[10], 2.0f * 512.0f / 48000.0f - 1.0f, 1e-5f);
    EXPECT_NEAR (values[11], 2.0f * 1024.0f / 48000.0f - 1.0f, 1e-5f);
}

TEST (Lfo, FadeRisesLinearlyFromZeroAfterTheDelay)
{
    // 50 ms delay, then a 100 ms fade = ten blocks of 480 at 48 kHz. The square
    // stays at +1 for half a second, so the output is the fade gain itself.
    auto lfo = restartedLfo (48000.0, 50.0f, 100.0f);
    const auto values = run (lfo, 1.0f, LfoShape::Square, 480, 20);
    for (int b = 0; b < 5; ++b)
        EXPECT_EQ (values[static_cast<size_t> (b)], 0.0f);
    for (int b = 0; b <= 10; ++b)
        EXPECT_NEAR (values[static_cast<size_t> (5 + b)], 0.1f * static_cast<float> (b), 1e-6f) << "fade block " << b;
    EXPECT_EQ (values[19], 1.0f);
}

TEST (Lfo, TriggerWithoutRestartKeepsRunning)
{
    auto lfo = restartedLfo (48000.0, 0.0f, 0.0f);
    run (lfo, 1.0f, LfoShape::SawUp, 480, 30);
    const float before = lfo.getOutput();

    // Every block the voice triggers again, with restart only on a new note.
    lfo.trigger (500.0f, 500.0f, false);
    EXPECT_NEAR (lfo.advance (1.0f, shapeOf (LfoShape::SawUp), 480), before + 0.02f, 1e-5f);

    lfo.trigger (0.0f, 0.0f, true);
    EXPECT_NEAR (lfo.advance (1.0f, shapeOf (LfoShape::SawUp), 480), -0.98f, 1e-5f);
}

TEST (Lfo, AFreeRunningLfoHasNoDelayOrFade)
{
    Lfo lfo;
    lfo.prepare (48000.0);
    EXPECT_NEAR (lfo.advance (1.0f, shapeOf (LfoShape::SawDown), 480), 0.98f, 1e-5f);
}

TEST (Lfo, SampleAndHoldHoldsUntilTheCycleEnds)
{
    auto lfo = restartedLfo (48000.0);
    // 2 Hz, blocks of 480: a new value every 50 blocks (give or take one, as
    // the float phase lands just short of or on the wrap).
    const auto values = run (lfo, 2.0f, LfoShape::SampleAndHold, 480, 520);

    std::vector<size_t> changes;
    for (size_t b = 1; b < values.size(); ++b)
        if (values[b] != values[b - 1])
            changes.push_back (b);

    ASSERT_EQ (changes.size(), 10u);
    EXPECT_EQ (values[0], 0.0f);
    EXPECT_NEAR (static_cast<double> (changes[0]), 49.5, 0.5);
    std::set<float> distinct;
    for (size_t i = 0; i < changes.size(); ++i)
    {
        if (i > 0)
        {
            EXPECT_NEAR (static_cast<double> (changes[i] - changes[i - 1]), 50.0, 1.0);
        }
        const float held = values[changes[i]];
        EXPECT_GE (held, -1.0f);
        EXPECT_LE (held, 1.0f);
        distinct.insert (held);
    }
    EXPECT_EQ (distinct.size(), 10u);
}

TEST (Lfo, SampleAndHoldDrawsEveryBlockWhenABlockSpansWholeCycles)
{
    // 50 Hz with blocks of 960 at 48 kHz is exactly one cycle per block: the
    // phase never moves, yet every block ends a cycle.
    auto lfo = restartedLfo (48000.0);
    const auto values = run (lfo, 50.0f, LfoShape::SampleAndHold, 960, 20);
    for (size_t b = 1; b < values.size(); ++b)
        EXPECT_NE (values[b], values[b - 1]) << "block " << b;
}

TEST (Lfo, SampleAndHoldIsRepeatableAndSpreadOverTheRange)
{
    auto a = restartedLfo (44100.0), b = restartedLfo (44100.0);
    const auto first = run (a, 50.0f, LfoShape::SampleAndHold, 1024, 4000);
    EXPECT_EQ (first, run (b, 50.0f, LfoShape::SampleAndHold, 1024, 4000));

    double sum = 0.0;
    int below = 0;
    for (const float v : first)
    {
        sum += v;
        below += v < 0.0f ? 1 : 0;
    }
    EXPECT_NEAR (sum / static_cast<double> (first.size()), 0.0, 0.05);
    EXPECT_NEAR (below, 2000, 150);
}

TEST (Lfo, NonsenseInputGivesBoundedOutput)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const float value : { nan, inf, -inf, -1.0f, 1.0e12f })
        for (const int shape : { -1, 0, 3, 5, 6 })
        {
            Lfo lfo;
            lfo.prepare (value);
            lfo.trigger (value, value, true);
            for (const int blockSize : { 0, -5, 512, 1 << 20 })
            {
                const float out = lfo.advance (value, shape, blockSize);
                EXPECT_TRUE (std::isfinite (out)) << value << " shape " << shape;
                EXPECT_LE (std::abs (out), 1.0f);
                EXPECT_GE (lfo.getPhase(), 0.0f);
                EXPECT_LT (lfo.getPhase(), 1.0f);
            }
            // Once the input is sane again, the LFO runs as usual.
            lfo.trigger (0.0f, 0.0f, true);
            EXPECT_NEAR (lfo.advance (1.0f, shapeOf (LfoShape::SawUp), 441), -0.98f, 1e-5f) << value;
        }
}

TEST (Lfo, UnknownShapesGiveZero)
{
    auto lfo = restartedLfo (48000.0);
    EXPECT_EQ (lfo.advance (3.0f, 6, 480), 0.0f);
    EXPECT_EQ (lfo.advance (3.0f, -1, 480), 0.0f);
}
