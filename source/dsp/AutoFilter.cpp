#include "AutoFilter.h"

#include "DspGuards.h"

#include <algorithm>
#include <cmath>

namespace plumora
{
namespace
{
constexpr double kPi = 3.14159265358979323846;
constexpr float kMaximumRate = 10.0f;
constexpr float kLfoOffRate = 0.001f;
} // namespace

void AutoFilter::prepare (double newSampleRate) noexcept
{
    sampleRate = acceptSampleRate (newSampleRate, sampleRate);
    reset();
}

void AutoFilter::reset() noexcept
{
    phase = 0.0;
    ic1[0] = ic1[1] = ic2[0] = ic2[1] = 0.0f;
    updateCoefficients (1000.0f, settings.resonance);
}

void AutoFilter::updateCoefficients (float cutoffHz, float resonance) noexcept
{
    cutoff = std::clamp (cutoffHz, 1.0f, static_cast<float> (0.49 * sampleRate));
    const double g = std::tan (kPi * cutoff / sampleRate);
    const double q = 0.707 * std::pow (11.315417, static_cast<double> (clampSetting (resonance, 0.0f, 1.0f, 0.3f)));
    const double k = 1.0 / std::max (0.01, q);
    const double first = 1.0 / (1.0 + g * (g + k));
    a1 = static_cast<float> (first);
    a2 = static_cast<float> (g * first);
    a3 = static_cast<float> (g * g * first);
}

void AutoFilter::process (float* left, float* right, int numSamples) noexcept
{
    if (settings.bypass || left == nullptr || right == nullptr || numSamples <= 0)
        return;

    silenceNonFinite (left, numSamples);
    silenceNonFinite (right, numSamples);

    const float position = clampSetting (settings.position, 0.0f, 1.0f, 0.5f);
    const float rate = clampSetting (settings.rate, 0.0f, kMaximumRate, 0.0f);
    const float depth = clampSetting (settings.depth, 0.0f, 1.0f, 0.5f);
    const float mix = clampSetting (settings.mix, 0.0f, 1.0f, 1.0f);
    const double phaseStep = rate / sampleRate;

    for (int start = 0; start < numSamples; start += kChunkSize)
    {
        const int end = std::min (numSamples, start + kChunkSize);

        const double lfo = rate > kLfoOffRate ? std::sin (2.0 * kPi * phase) : 0.0;
        const double p = std::clamp (position + lfo * depth, 0.0, 1.0);
        updateCoefficients (static_cast<float> (100.0 * std::pow (100.0, p)), settings.resonance);

        float* channels[] = { left, right };
        for (int ch = 0; ch < 2; ++ch)
        {
            float* samples = channels[ch];
            float s1 = ic1[ch], s2 = ic2[ch];
            for (int i = start; i < end; ++i)
            {
                const float x = samples[i];
                const float v3 = x - s2;
                const float v1 = a1 * s1 + a2 * v3;
                const float v2 = s2 + a2 * s1 + a3 * v3;
                s1 = flushTiny (2.0f * v1 - s1);
                s2 = flushTiny (2.0f * v2 - s2);
                samples[i] = (1.0f - mix) * x + mix * v2;
            }
            ic1[ch] = s1;
            ic2[ch] = s2;
        }

        phase += phaseStep * (end - start);
        phase -= std::floor (phase);
    }

    // A huge input can overflow the states; start again from silence
    // rather than stay silenced for good.
    const bool statesFinite = std::isfinite (ic1[0] + ic1[1] + ic2[0] + ic2[1]);
    if (! statesFinite || containsNonFinite (left, numSamples) || containsNonFinite (right, numSamples))
    {
        ic1[0] = ic1[1] = ic2[0] = ic2[1] = 0.0f;
        std::fill (left, left + numSamples, 0.0f);
        std::fill (right, right + numSamples, 0.0f);
    }
}

} // namespace plumora
