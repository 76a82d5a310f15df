#pragma once

namespace plumora
{

// tanh for per-sample waveshaping: a [7/6] Pade approximant, within 2e-5 of
// std::tanh up to |x| = 4 and 1e-4 beyond (far below audibility), bounded to
// [-1, 1], at a fraction of the library's cost.
inline float fastTanh (float x) noexcept
{
    if (x > 4.97f)
        return 1.0f;
    if (x < -4.97f)
        return -1.0f;
    const float x2 = x * x;
    const float numerator = x * (135135.0f + x2 * (17325.0f + x2 * (378.0f + x2)));
    const float denominator = 135135.0f + x2 * (62370.0f + x2 * (3150.0f + x2 * 28.0f));
    const float y = numerator / denominator;
    return y > 1.0f ? 1.0f : (y < -1.0f ? -1.0f : y);
}

} // namespace plumora
