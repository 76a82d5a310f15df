#pragma once

#include <cstdint>

namespace plumora
{

// The one random generator of the synth: xorshift32 with a fixed seed per
// owner, so renders are repeatable. The free functions advance a state that
// several owners share (the engine's oscillator state).
inline std::uint32_t nextRandom (std::uint32_t& state) noexcept
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

// Uniform in [0, 1).
inline float nextRandomFraction (std::uint32_t& state) noexcept
{
    return static_cast<float> (static_cast<double> (nextRandom (state)) / 4294967296.0);
}

struct Xorshift32
{
    std::uint32_t state;

    std::uint32_t next() noexcept { return nextRandom (state); }
    float nextFraction() noexcept { return nextRandomFraction (state); }
    float nextBipolar() noexcept { return 2.0f * nextFraction() - 1.0f; }
};

} // namespace plumora
