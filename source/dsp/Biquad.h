#pragma once

#include "DspGuards.h"

#include <cmath>

namespace plumora
{

// Second-order section coefficients, normalised by a0. The defaults pass the
// signal unchanged.
struct BiquadCoefficients
{
    float b0 = 1.0f, b1 = 0.0f, b2 = 0.0f, a1 = 0.0f, a2 = 0.0f;
};

// Transposed direct form II state of one biquad on one channel.
struct BiquadState
{
    float s1 = 0.0f, s2 = 0.0f;

    float process (const BiquadCoefficients& c, float x) noexcept
    {
        const float y = c.b0 * x + s1;
        s1 = flushTiny (c.b1 * x - c.a1 * y + s2);
        s2 = flushTiny (c.b2 * x - c.a2 * y);
        return y;
    }

    bool isFinite() const noexcept { return std::isfinite (s1 + s2); }
};

} // namespace plumora
