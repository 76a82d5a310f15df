#include "SilenceGate.h"

#include <algorithm>
#include <cmath>

namespace plumora
{

void SilenceGate::prepare (double sampleRate, double memorySeconds) noexcept
{
    memorySamples = static_cast<long long> (std::ceil (std::max (0.0, sampleRate * memorySeconds))) + 1;
    quietSamples = 0;
}

void SilenceGate::reset() noexcept
{
    quietSamples = 0;
    inputWasSilent = false;
}

bool SilenceGate::isSilent (const float* left, const float* right, int numSamples) noexcept
{
    // One branch-free pass that the compiler vectorises; NaN counts as sound.
    bool loud = false;
    for (int s = 0; s < numSamples; ++s)
        loud |= ! (std::abs (left[s]) <= kSilenceLevel) | ! (std::abs (right[s]) <= kSilenceLevel);
    return ! loud;
}

bool SilenceGate::mustRun (bool inputSilent) noexcept
{
    inputWasSilent = inputSilent;
    if (! inputSilent)
        quietSamples = 0;
    return ! isAsleep();
}

void SilenceGate::ran (bool outputSilent, int numSamples) noexcept
{
    if (inputWasSilent && outputSilent)
        quietSamples = std::min (quietSamples + numSamples, memorySamples);
    else
        quietSamples = 0;
}

} // namespace plumora
