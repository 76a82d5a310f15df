#pragma once

#include "dsp/LinearRamp.h"

namespace plumora
{

// The last stage of the engine: keeps the sum of many voices in range by
// 1/sqrt(voices), smoothed over 5 ms so voice-count changes never click, then
// applies the master volume (ramped across each block, so a moving volume
// never steps) with 6 dB of headroom, and bends anything above
// +12 dBFS smoothly under a ceiling of +23.5 dBFS.
class OutputGain
{
public:
    void prepare (double sampleRate) noexcept;
    void process (float* left, float* right, int numSamples, int soundingVoices, float masterVolume) noexcept;
    float current() const noexcept { return gain; }

private:
    float gain = 1.0f;
    float coefficient = 0.0f;
    LinearRamp volume;
};

} // namespace plumora
