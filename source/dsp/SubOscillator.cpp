#include "SubOscillator.h"

#include "FastMath.h"
#include "VectorClones.h"

#include <algorithm>
#include <cmath>

namespace plumora
{
namespace
{
PLUMORA_VECTOR_CLONES void addWaveform (const float* phases, float* left, float* right, int numSamples, bool square, float level) noexcept
{
    for (int s = 0; s < numSamples; ++s)
    {
        const float value = square ? (phases[s] < 0.5f ? level : -level) : sinCycles (phases[s]) * level;
        left[s] += value;
        right[s] += value;
    }
}
} // namespace

void SubOscillator::addTo (float* left, float* right, int numSamples, double frequencyHz, double sampleRate, float shape, float level) noexcept
{
    if (! (sampleRate > 0.0))
        return;

    const double frequency = std::isfinite (frequencyHz) ? std::clamp (frequencyHz, 0.0, sampleRate * 0.5) : 0.0;
    const float increment = static_cast<float> (frequency / sampleRate);
    const bool square = shape >= 0.5f;

    // The phase recursion is serial; the waveform is read in a loop of its
    // own, which the compiler vectorises.
    constexpr int kChunk = 64;
    float phases[kChunk];
    for (int start = 0; start < numSamples; start += kChunk)
    {
        const int length = std::min (kChunk, numSamples - start);
        for (int s = 0; s < length; ++s)
        {
            phase += increment;
            if (phase >= 1.0f) // the increment stays below half a cycle
                phase -= 1.0f;
            phases[s] = phase;
        }
        addWaveform (phases, left + start, right + start, length, square, level);
    }
}

} // namespace plumora
