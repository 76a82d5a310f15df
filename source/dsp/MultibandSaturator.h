#pragma once

#include "Biquad.h"

namespace plumora
{

// Global three-band saturation: 4th-order Linkwitz-Riley crossovers split the
// signal, each band gets its own tanh curve (small signals lifted, a soft knee
// above 0.5), and the bands sum back against the dry signal. The low band also
// passes the high crossover's all-pass, so with all drives at 0 the bands sum
// flat for any pair of crossovers, equal ones included.
class MultibandSaturator
{
public:
    struct Settings
    {
        float lowDrive = 0.0f, midDrive = 0.0f, highDrive = 0.0f; // 0..1
        float lowMix = 1.0f, midMix = 1.0f, highMix = 1.0f;       // 0..1 per band
        float mix = 0.0f;                                         // 0..1, dry to bands
        bool bypass = false;
    };

    // Written by the owner before each process call.
    Settings settings;

    MultibandSaturator() noexcept;

    // Computes both crossovers and clears every filter state.
    void prepare (double sampleRate) noexcept;
    // Clears every filter state.
    void reset() noexcept;

    // Recompute only when the frequency changes.
    void setLowCrossover (float hz) noexcept;
    void setHighCrossover (float hz) noexcept;

    void process (float* left, float* right, int numSamples) noexcept;

private:
    struct Crossover
    {
        float frequency = 0.0f;
        // allPass equals lowPass twice plus highPass twice, in one section.
        BiquadCoefficients lowPass, highPass, allPass;
    };

    struct ChannelState
    {
        BiquadState lowLowPass[2], lowHighPass[2], highLowPass[2], highHighPass[2];
        BiquadState lowBandAllPass;

        bool isFinite() const noexcept;
    };

    void updateCrossover (Crossover& crossover) const noexcept;

    double sampleRate = 44100.0;
    Crossover low { 200.0f, {}, {}, {} };
    Crossover high { 4000.0f, {}, {}, {} };
    ChannelState channels[2];
};

} // namespace plumora
