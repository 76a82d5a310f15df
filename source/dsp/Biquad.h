#pragma once

#include "DspGuards.h"

#include <cmath>

namespace plumora
{

// Second-order section coefficients, normalised by a0. The defaults pass the
// signal unchanged. Double precision: with single-precision coefficients a
// 50 Hz crossover at 192 kHz misses its DC gain by 0.3 dB (the poles sit
// within 1e-5 of z = 1), and the crossover bands no longer sum flat.
struct BiquadCoefficients
{
    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
};

// Transposed direct form II state of one biquad on one channel.
struct BiquadState
{
    double s1 = 0.0, s2 = 0.0;

    float process (const BiquadCoefficients& c, float input) noexcept
    {
        const double x = input;
        const double y = c.b0 * x + s1;
        s1 = c.b1 * x - c.a1 * y + s2;
        s2 = c.b2 * x - c.a2 * y;
        // Both together: zeroing one alone kicks the other, and a low shelf
        // at a high rate then rings back up instead of settling.
        if (std::abs (s1) + std::abs (s2) < kTinyState)
            s1 = s2 = 0.0;
        return static_cast<float> (y);
    }

    bool isFinite() const noexcept { return std::isfinite (s1 + s2); }
};

} // namespace plumora
