#pragma once

#include "Biquad.h"

namespace plumora
{

// Global tone control: low shelf at 200 Hz, peak at 1 kHz (Q 1) and high shelf
// at 4 kHz, each +-12 dB, in series on both channels.
class ThreeBandEq
{
public:
    struct Settings
    {
        float lowGain = 0.0f, midGain = 0.0f, highGain = 0.0f; // dB
        bool bypass = true;
    };

    static constexpr float lowShelfFrequency = 200.0f;
    static constexpr float midFrequency = 1000.0f;
    static constexpr float highShelfFrequency = 4000.0f;

    // Written by the owner; the gains take effect at updateCoefficients.
    Settings settings;

    void prepare (double sampleRate) noexcept;
    // Clears the filter states.
    void reset() noexcept;
    void updateCoefficients() noexcept;
    void process (float* left, float* right, int numSamples) noexcept;

private:
    double sampleRate = 44100.0;
    BiquadCoefficients lowShelf, peak, highShelf;
    BiquadState lowShelfStates[2], peakStates[2], highShelfStates[2];
};

} // namespace plumora
