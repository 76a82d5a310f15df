#pragma once

// Driving the global stereo effects in tests: block-wise rendering as the
// engine does it, and reproducible noise.

#include <algorithm>
#include <cstdint>
#include <vector>

namespace plumora::test
{

// Processes whole buffers in place, blockSize samples per call.
template <typename Effect>
void renderInBlocks (Effect& effect, std::vector<float>& left, std::vector<float>& right, int blockSize = 512)
{
    const int total = static_cast<int> (std::min (left.size(), right.size()));
    for (int start = 0; start < total; start += blockSize)
        effect.process (left.data() + start, right.data() + start, std::min (blockSize, total - start));
}

// Uniform white noise in [-amplitude, amplitude).
inline std::vector<float> makeNoise (int numSamples, std::uint32_t seed, float amplitude = 0.5f)
{
    std::vector<float> x (static_cast<size_t> (numSamples));
    for (auto& v : x)
    {
        seed = seed * 1664525u + 1013904223u;
        v = amplitude * (static_cast<float> (seed >> 8) / 8388608.0f - 1.0f);
    }
    return x;
}

} // namespace plumora::test
