#include "SubOscillator.h"

#include "FastMath.h"

#include <algorithm>
#include <cmath>

namespace plumora
{

void SubOscillator::addTo (float* left, float* right, int numSamples, double frequencyHz, double sampleRate, float shape, float level) noexcept
{
    if (! (sampleRate > 0.0))
        return;

    const double frequency = std::isfinite (frequencyHz) ? std::clamp (frequencyHz, 0.0, sampleRate * 0.5) : 0.0;
    const float increment = static_cast<float> (frequency / sampleRate);
    const bool square = shape >= 0.5f;

    for (int s = 0; s < numSamples; ++s)
    {
        phase += increment;
        phase -= std::floor (phase);
        const float value = square ? (phase < 0.5f ? 1.0f : -1.0f) : sinCycles (phase);
        left[s] += value * level;
        right[s] += value * level;
    }
}

} // namespace plumora
