#include "WavetableReader.h"

#include <algorithm>
#include <cmath>

namespace plumora
{

int selectMipLevel (double frequencyHz, double sampleRate) noexcept
{
    if (! (frequencyHz > 0.0))
        return 0;

    const double harmonicsBelowNyquist = sampleRate / (2.0 * frequencyHz);
    if (harmonicsBelowNyquist >= Wavetable::kMaxHarmonics)
        return 0;

    const double level = std::ceil (std::log2 (Wavetable::kMaxHarmonics / harmonicsBelowNyquist));
    return static_cast<int> (std::clamp (level, 0.0, static_cast<double> (Wavetable::kNumLevels - 1)));
}

float readFrame (const float* samples, int size, float phase) noexcept
{
    if (samples == nullptr || size <= 0)
        return 0.0f;

    const float p = static_cast<float> (size) * phase;
    const int i = static_cast<int> (p);
    const float f = p - static_cast<float> (i);
    const int i0 = ((i % size) + size) % size;
    return catmullRom (samples[(i0 + size - 1) % size], samples[i0], samples[(i0 + 1) % size], samples[(i0 + 2) % size], f);
}

float readWavetable (const Wavetable& table, int level, float position, float phase) noexcept
{
    if (table.levels.empty())
        return 0.0f;

    const auto& chosen = table.levels[static_cast<std::size_t> (std::clamp (level, 0, static_cast<int> (table.levels.size()) - 1))];
    const int frames = chosen.numFrames();
    if (frames <= 0)
        return 0.0f;
    if (frames == 1)
        return readGuardedFrame (chosen.frame (0), phase);

    // Positions outside 0..1 (and NaN) read the nearest end.
    const float p = (position >= 0.0f ? std::min (position, 1.0f) : 0.0f) * static_cast<float> (frames - 1);
    const int h = static_cast<int> (p);
    const int a = std::clamp (h, 0, frames - 1);
    const int b = std::min (a + 1, frames - 1);
    const float ra = readGuardedFrame (chosen.frame (a), phase);
    const float rb = readGuardedFrame (chosen.frame (b), phase);
    return ra + (rb - ra) * (p - static_cast<float> (h));
}

} // namespace plumora
