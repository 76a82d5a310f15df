#include "Saturators.h"

#include "FastMath.h"

#include <cmath>
#include <initializer_list>

namespace plumora
{
namespace
{
constexpr float kMinimumAmount = 0.0001f;
constexpr double kDcBlockerHz = 5.0;
constexpr double kTwoPi = 6.283185307179586;
} // namespace

void WarmthSaturator::process (float* left, float* right, int numSamples, float warmth) noexcept
{
    if (! (warmth >= kMinimumAmount))
        return;

    const float drive = 3.0f * warmth + 1.0f;
    const float normaliser = 1.0f / fastTanh (drive);
    for (float* channel : { left, right })
        for (int s = 0; s < numSamples; ++s)
        {
            const float x = channel[s];
            channel[s] = x + warmth * (fastTanh (drive * x) * normaliser - x);
        }
}

void BloomSaturator::prepare (double sampleRate) noexcept
{
    if (sampleRate > 0.0)
        dcCoefficient = static_cast<float> (1.0 - kTwoPi * kDcBlockerHz / sampleRate);
}

void BloomSaturator::reset() noexcept
{
    leftState = {};
    rightState = {};
}

float BloomSaturator::processSample (Channel& channel, float x, float amount, float evenDrive, float makeUp) noexcept
{
    const float t = fastTanh (x);
    const float u = evenDrive * t * t + t;
    const float y = u - channel.lastIn + dcCoefficient * channel.lastOut;
    channel.lastIn = u;
    channel.lastOut = y;
    return x + amount * (makeUp * y - x);
}

void BloomSaturator::process (float* left, float* right, int numSamples, float bloom) noexcept
{
    if (! (bloom >= kMinimumAmount))
        return;

    const float amount = 0.3f * bloom;
    const float evenDrive = 2.0f * amount;
    const float makeUp = 1.0f / (evenDrive + 1.0f);
    for (int s = 0; s < numSamples; ++s)
    {
        left[s] = processSample (leftState, left[s], amount, evenDrive, makeUp);
        right[s] = processSample (rightState, right[s], amount, evenDrive, makeUp);
    }
}

} // namespace plumora
