#pragma once

namespace plumora
{

// tanh for per-sample waveshaping: a [7/6] Pade approximant, within 2e-5 of
// std::tanh up to |x| = 4 and 1e-4 beyond (far below audibility), bounded to
// [-1, 1], at a fraction of the library's cost.
inline float fastTanh (float x) noexcept
{
    // Branch-free (min/max), so loops over it vectorise.
    const float c = x < -4.97f ? -4.97f : (x > 4.97f ? 4.97f : x);
    const float c2 = c * c;
    const float numerator = c * (135135.0f + c2 * (17325.0f + c2 * (378.0f + c2)));
    const float denominator = 135135.0f + c2 * (62370.0f + c2 * (3150.0f + c2 * 28.0f));
    const float y = numerator / denominator;
    return y < -1.0f ? -1.0f : (y > 1.0f ? 1.0f : y);
}

// sin(2 pi phase) for a phase in [0, 1): folded to a quarter wave, then an
// 11th-order Taylor polynomial (error below 1e-7), for oscillators and LFOs
// that need a sine every sample.
inline float sinCycles (float phase) noexcept
{
    float x = phase;
    if (x >= 0.5f)
        x -= 1.0f; // [-0.5, 0.5)
    if (x > 0.25f)
        x = 0.5f - x;
    else if (x < -0.25f)
        x = -0.5f - x;
    const float t = 6.28318530718f * x;
    const float t2 = t * t;
    return t * (1.0f + t2 * (-1.0f / 6.0f + t2 * (1.0f / 120.0f + t2 * (-1.0f / 5040.0f + t2 * (1.0f / 362880.0f - t2 / 39916800.0f)))));
}

} // namespace plumora
