#pragma once

#include <vector>

namespace plumora::bench
{

// A block of repeatable white noise in [-amplitude, amplitude), the input
// every module benchmark processes.
inline std::vector<float> noiseBlock (int size, unsigned seed, float amplitude)
{
    std::vector<float> block (static_cast<std::size_t> (size));
    for (auto& x : block)
    {
        seed = seed * 1664525u + 1013904223u;
        x = amplitude * (static_cast<float> (seed >> 8) / 8388608.0f - 1.0f);
    }
    return block;
}

} // namespace plumora::bench
