#include "Distortion.h"

#include "FastMath.h"
#include "DspGuards.h"

#include <cmath>

namespace plumora
{

void Distortion::process (float* samples, int numSamples) const noexcept
{
    const float drive = clampSetting (settings.drive, 0.0f, 1.0f, 0.0f);
    if (settings.bypass || drive < 0.001f || samples == nullptr)
        return;

    const float mix = clampSetting (settings.mix, 0.0f, 1.0f, 1.0f);
    const float d = 15.0f * drive + 1.0f;
    const float inverseD = 1.0f / d;

    for (int i = 0; i < numSamples; ++i)
    {
        const float x = samples[i];
        samples[i] = x + (fastTanh (d * x) * inverseD - x) * mix;
    }
}

} // namespace plumora
