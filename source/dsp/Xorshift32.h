#pragma once

#include <cstdint>

namespace plumora
{

// The one random generator of the synth: xorshift32 with a fixed seed per owner,
// so renders are repeatable.
struct Xorshift32
{
    std::uint32_t state;

    std::uint32_t next() noexcept
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }

    float nextFraction() noexcept { return static_cast<float> (static_cast<double> (next()) / 4294967296.0); }
    float nextBipolar() noexcept { return 2.0f * nextFraction() - 1.0f; }
};

} // namespace plumora
