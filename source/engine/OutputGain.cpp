#include "OutputGain.h"

#include <algorithm>
#include <cmath>

namespace plumora
{
namespace
{
constexpr double kSmoothingSeconds = 0.005;
constexpr float kHeadroom = 0.5f;

// Runaway settings (stacked EQ boosts, a self-oscillating filter, long
// feedback) must not reach the speakers: above +12 dBFS the output bends
// smoothly towards a ceiling of +23.5 dBFS, which it never passes. Below
// +12 dBFS, far above any sensible level, nothing changes. Non-finite samples
// become silence.
constexpr float kKnee = 4.0f;     // +12 dBFS
constexpr float kCeiling = 15.0f; // +23.5 dBFS

float protect (float x) noexcept
{
    if (std::abs (x) <= kKnee)
        return x;
    if (! std::isfinite (x))
        return 0.0f;
    const float span = kCeiling - kKnee;
    return std::copysign (kKnee + span * std::tanh ((std::abs (x) - kKnee) / span), x);
}
} // namespace

void OutputGain::prepare (double sampleRate) noexcept
{
    gain = 1.0f;
    volume = {};
    coefficient = static_cast<float> (1.0 - std::exp (-1.0 / (sampleRate * kSmoothingSeconds)));
}

void OutputGain::process (float* left, float* right, int numSamples, int soundingVoices, float masterVolume) noexcept
{
    const float target = 1.0f / std::sqrt (static_cast<float> (std::max (soundingVoices, 1)));
    volume.begin (masterVolume * kHeadroom, numSamples);

    for (int s = 0; s < numSamples; ++s)
    {
        gain += (target - gain) * coefficient;
        const float level = volume.value (s) * gain;
        left[s] = protect (left[s] * level);
        right[s] = protect (right[s] * level);
    }
}

} // namespace plumora
