#include "OutputGain.h"

#include <algorithm>
#include <cmath>

namespace plumora
{
namespace
{
constexpr double kSmoothingSeconds = 0.005;
constexpr float kHeadroom = 0.5f;
} // namespace

void OutputGain::prepare (double sampleRate) noexcept
{
    gain = 1.0f;
    coefficient = static_cast<float> (1.0 - std::exp (-1.0 / (sampleRate * kSmoothingSeconds)));
}

void OutputGain::process (float* left, float* right, int numSamples, int soundingVoices, float masterVolume) noexcept
{
    const float target = 1.0f / std::sqrt (static_cast<float> (std::max (soundingVoices, 1)));
    const float level = masterVolume * kHeadroom;

    for (int s = 0; s < numSamples; ++s)
    {
        gain += (target - gain) * coefficient;
        left[s] *= level * gain;
        right[s] *= level * gain;
    }
}

} // namespace plumora
