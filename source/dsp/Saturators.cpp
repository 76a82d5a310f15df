#include "Saturators.h"

#include "FastMath.h"
#include "VectorClones.h"

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

PLUMORA_VECTOR_CLONES void WarmthSaturator::process (float* left, float* right, int numSamples, float warmth) noexcept
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

void BloomSaturator::process (float* left, float* right, int numSamples, float bloom) noexcept
{
    if (! (bloom >= kMinimumAmount))
        return;

    const float amount = 0.3f * bloom;
    const float evenDrive = 2.0f * amount;
    const float makeUp = 1.0f / (evenDrive + 1.0f);

    // The waveshaper has no memory, so it runs as loops of its own (which the
    // compiler vectorises); only the DC blockers go sample by sample, both
    // channels in one loop so their recursions overlap.
    constexpr int kChunk = 64;
    float shapedLeft[kChunk], shapedRight[kChunk];
    for (int start = 0; start < numSamples; start += kChunk)
    {
        const int length = std::min (kChunk, numSamples - start);
        float* l = left + start;
        float* r = right + start;
        shape (l, shapedLeft, length, evenDrive);
        shape (r, shapedRight, length, evenDrive);
        // Local copies: the states stay in registers, not re-read after every store.
        Channel leftDc = leftState, rightDc = rightState;
        const float coefficient = dcCoefficient;
        for (int s = 0; s < length; ++s)
        {
            l[s] += amount * (makeUp * leftDc.block (shapedLeft[s], coefficient) - l[s]);
            r[s] += amount * (makeUp * rightDc.block (shapedRight[s], coefficient) - r[s]);
        }
        leftState = leftDc;
        rightState = rightDc;
    }
}

PLUMORA_VECTOR_CLONES void BloomSaturator::shape (const float* input, float* shaped, int numSamples, float evenDrive) noexcept
{
    for (int s = 0; s < numSamples; ++s)
    {
        const float t = fastTanh (input[s]);
        shaped[s] = evenDrive * t * t + t;
    }
}

} // namespace plumora
