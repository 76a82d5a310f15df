#pragma once

#include "Wavetable.h"

namespace plumora
{

// The band-limit to read for a note: the level whose highest harmonic stays
// at or below Nyquist. Frequencies of 0 or below read level 0.
int selectMipLevel (double frequencyHz, double sampleRate) noexcept;

// 4-point Catmull-Rom interpolation between y0 and y1 at fraction f.
inline float catmullRom (float yMinus1, float y0, float y1, float y2, float f) noexcept
{
    const float c1 = 0.5f * y1 - 0.5f * yMinus1;
    const float c2 = yMinus1 - 2.5f * y0 + 2.0f * y1 - 0.5f * y2;
    const float c3 = 1.5f * y0 - 0.5f * yMinus1 - 1.5f * y1 + 0.5f * y2;
    return ((c3 * f + c2) * f + c1) * f + y0;
}

// Cubic read of one cycle of size samples at phase in [0, 1); indices wrap.
float readFrame (const float* samples, int size, float phase) noexcept;

// Cubic read of a guarded wavetable frame (see WavetableLevel) at phase in [0, 1).
inline float readGuardedFrame (const float* frame, float phase) noexcept
{
    const float p = static_cast<float> (WavetableLevel::kTableSize) * phase;
    int i = static_cast<int> (p);
    const float f = p - static_cast<float> (i);
    i &= WavetableLevel::kTableSize - 1;
    return catmullRom (frame[i - 1], frame[i], frame[i + 1], frame[i + 2], f);
}

// Reads level at a position between the first (0) and the last frame (1),
// crossfading the two neighbouring frames.
float readWavetable (const Wavetable& table, int level, float position, float phase) noexcept;

} // namespace plumora
