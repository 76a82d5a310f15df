#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace plumora
{

// Far below audibility (-300 dB). Filter states under it are set to exact
// zero, so a state decaying in silence never crawls through the slow
// denormal range.
constexpr float kTinyState = 1.0e-15f;

inline float flushTiny (float x) noexcept { return std::abs (x) < kTinyState ? 0.0f : x; }

// Clamps a block-rate setting; NaN becomes the fallback.
inline float clampSetting (float x, float lowest, float highest, float fallback) noexcept
{
    return std::isnan (x) ? fallback : std::clamp (x, lowest, highest);
}

// True when a block holds an infinity or a NaN (all exponent bits set); an
// integer test, so the loop vectorises.
inline bool containsNonFinite (const float* samples, int numSamples) noexcept
{
    std::uint32_t found = 0;
    for (int i = 0; i < numSamples; ++i)
    {
        std::uint32_t bits;
        std::memcpy (&bits, samples + i, sizeof bits);
        found |= static_cast<std::uint32_t> ((bits & 0x7f800000u) == 0x7f800000u);
    }
    return found != 0;
}

// Replaces infinities and NaNs with silence, so they never reach a delay
// line that would hold them for seconds. True when it found any.
inline bool silenceNonFinite (float* samples, int numSamples) noexcept
{
    if (samples == nullptr || ! containsNonFinite (samples, numSamples))
        return false;
    for (int i = 0; i < numSamples; ++i)
        if (! std::isfinite (samples[i]))
            samples[i] = 0.0f;
    return true;
}

// A usable sample rate, or the current one for nonsense (zero, negative,
// NaN, below 1 kHz or above 10 MHz).
inline double acceptSampleRate (double requested, double current) noexcept
{
    return requested >= 1000.0 && requested <= 1.0e7 ? requested : current;
}

} // namespace plumora
