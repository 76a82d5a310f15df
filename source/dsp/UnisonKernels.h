#pragma once

#include "Wavetable.h"

namespace plumora
{

// What the oscillator's per-sample kernels read and advance: the copies'
// phases (updated in place), increments and gains, and the SuperSaw
// high-pass states. Arrays hold UnisonOscillator::kMaxVoices floats.
struct UnisonKernelState
{
    float* phase;
    const float* increment;
    const float* gainLeft;
    const float* gainRight;
    float& highPassLeft;
    float& highPassRight;
    float highPassCoefficient;
};

// A block's wavetable read: one mip level, the frame position ramp (in
// frames) and whether two frames are crossfaded.
struct UnisonTableRead
{
    const WavetableLevel& level;
    float startPosition, positionStep;
    bool crossfade;
};

// True when this CPU has AVX2, so the eight-lane kernels below may run.
bool cpuHasWideKernels() noexcept;

// Eight copies at a time (AVX2), for more than four copies without
// phase modulation. Only call them when cpuHasWideKernels() is true.
void renderTableWide (UnisonKernelState&, const UnisonTableRead&, float* left, float* right, int numSamples, int count,
                      float norm) noexcept;
void renderSawWide (UnisonKernelState&, float* left, float* right, int numSamples, int count, float norm) noexcept;

} // namespace plumora
