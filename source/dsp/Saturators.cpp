#include "Saturators.h"

#include "FastMath.h"

#include <algorithm>
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

void BloomSaturator::processChannel (Channel& channel, float* samples, int numSamples, float amount, float evenDrive,
                                     float makeUp) noexcept
{
    // The waveshaper has no memory, so it runs as its own loop (which the
    // compiler vectorises); only the DC blocker is sample by sample.
    constexpr int kChunk = 64;
    float shaped[kChunk];
    for (int start = 0; start < numSamples; start += kChunk)
    {
        const int length = std::min (kChunk, numSamples - start);
        float* x = samples + start;
        for (int s = 0; s < length; ++s)
        {
            const float t = fastTanh (x[s]);
            shaped[s] = evenDrive * t * t + t;
        }
        float lastIn = channel.lastIn, lastOut = channel.lastOut;
        for (int s = 0; s < length; ++s)
        {
            const float y = shaped[s] - lastIn + dcCoefficient * lastOut;
            lastIn = shaped[s];
            lastOut = y;
            x[s] += amount * (makeUp * y - x[s]);
        }
        channel.lastIn = lastIn;
        channel.lastOut = lastOut;
    }
}

void BloomSaturator::process (float* left, float* right, int numSamples, float bloom) noexcept
{
    if (! (bloom >= kMinimumAmount))
        return;

    const float amount = 0.3f * bloom;
    const float evenDrive = 2.0f * amount;
    const float makeUp = 1.0f / (evenDrive + 1.0f);
    processChannel (leftState, left, numSamples, amount, evenDrive, makeUp);
    processChannel (rightState, right, numSamples, amount, evenDrive, makeUp);
}

} // namespace plumora
