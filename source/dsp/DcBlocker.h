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

    float process (float input) noexcept
    {
        float output = input - lastInput + pole * lastOutput;
        if (std::abs (output) < 1.0e-20f) // a silent tail ends in exact zeros
            output = 0.0f;
        lastInput = input;
        lastOutput = output;
        return output;
    }

    void process (float* samples, int numSamples) noexcept
    {
        for (int i = 0; i < numSamples; ++i)
            samples[i] = process (samples[i]);
    }

private:
    float pole = 0.999f, lastInput = 0.0f, lastOutput = 0.0f;
};

} // namespace plumora
