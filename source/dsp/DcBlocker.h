#pragma once

#include <cmath>

namespace plumora
{

// A first-order high-pass far below hearing (5 Hz): removes the constant
// offset that asymmetric shaping (drive, warmth, phase FM at 1:1) makes,
// which a reverb's feedback would otherwise multiply into a large offset.
// At 40 Hz it takes off less than 0.1 dB.
class DcBlocker
{
public:
    static constexpr double kCutoffHz = 5.0;

    void prepare (double sampleRate) noexcept
    {
        pole = sampleRate > 0.0 ? static_cast<float> (std::exp (-2.0 * 3.14159265358979323846 * kCutoffHz / sampleRate)) : 0.999f;
        reset();
    }

    void reset() noexcept { lastInput = lastOutput = 0.0f; }

    float process (float input) noexcept { return stepWith (pole, input, lastInput, lastOutput); }

    // Both channels in one pass: their two recursions run side by side, and
    // the state stays in registers (the samples could alias the members). A
    // decayed tail is cut to exact zeros at the end of the pass, which keeps
    // that test out of the recursion.
    static void processPair (DcBlocker& left, DcBlocker& right, float* leftSamples, float* rightSamples, int numSamples) noexcept
    {
        float leftInput = left.lastInput, leftOutput = left.lastOutput;
        float rightInput = right.lastInput, rightOutput = right.lastOutput;
        const float leftPole = left.pole, rightPole = right.pole;
        for (int i = 0; i < numSamples; ++i)
        {
            const float l = leftSamples[i], r = rightSamples[i];
            leftOutput = l - leftInput + leftPole * leftOutput;
            rightOutput = r - rightInput + rightPole * rightOutput;
            leftInput = l;
            rightInput = r;
            leftSamples[i] = leftOutput;
            rightSamples[i] = rightOutput;
        }
        left.lastInput = leftInput;
        left.lastOutput = silenced (leftOutput);
        right.lastInput = rightInput;
        right.lastOutput = silenced (rightOutput);
    }

private:
    // A silent tail ends in exact zeros.
    static float silenced (float output) noexcept { return std::abs (output) < 1.0e-20f ? 0.0f : output; }

    static float stepWith (float pole, float input, float& previousInput, float& previousOutput) noexcept
    {
        const float output = silenced (input - previousInput + pole * previousOutput);
        previousInput = input;
        previousOutput = output;
        return output;
    }

    float pole = 0.999f, lastInput = 0.0f, lastOutput = 0.0f;
};

} // namespace plumora
