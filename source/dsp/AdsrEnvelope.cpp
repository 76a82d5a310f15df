#include "AdsrEnvelope.h"

#include "DspGuards.h"

#include <algorithm>
#include <cmath>

namespace plumora
{
namespace
{
constexpr float kMinimumTime = 0.001f;
constexpr double kFortyDecibels = 4.605170185988092; // ln 100
constexpr double kSettleThreshold = 0.0001;

// NaN and anything below the minimum become the minimum.
float atLeastMinimumTime (float seconds) noexcept { return seconds >= kMinimumTime ? seconds : kMinimumTime; }
} // namespace

void AdsrEnvelope::prepare (double newSampleRate) noexcept
{
    sampleRate = acceptSampleRate (newSampleRate, sampleRate);
    updateCoefficients();
}

void AdsrEnvelope::setParameters (float attackSeconds, float decaySeconds, float sustainLevel, float releaseSeconds) noexcept
{
    attack = atLeastMinimumTime (attackSeconds);
    decay = atLeastMinimumTime (decaySeconds);
    sustain = sustainLevel >= 0.0f ? std::min (sustainLevel, 1.0f) : 0.0f;
    release = atLeastMinimumTime (releaseSeconds);
    updateCoefficients();
}

void AdsrEnvelope::updateCoefficients() noexcept
{
    const double rate = static_cast<float> (sampleRate);
    attackStep = 1.0 / (rate * attack);
    // A time like 0.001f is not exact in float, so 48 steps of 1/48 fall a
    // hair short of 1; finishing within half a step keeps the count exact.
    attackEndLevel = 1.0 - std::min (1.0e-6, 0.5 * attackStep);
    decayCoef = std::exp (-kFortyDecibels / (rate * decay));
    releaseCoef = std::exp (-kFortyDecibels / (rate * release));
}

void AdsrEnvelope::noteOff() noexcept
{
    if (stage != Idle)
        stage = Release;
}

void AdsrEnvelope::reset() noexcept
{
    stage = Idle;
    level = 0.0;
}

float AdsrEnvelope::tick() noexcept
{
    switch (stage)
    {
        case Attack:
            level += attackStep;
            if (level >= attackEndLevel)
            {
                level = 1.0;
                stage = Decay;
            }
            break;

        case Decay:
            level = (level - sustain) * decayCoef + sustain;
            if (std::abs (level - sustain) < kSettleThreshold)
            {
                level = sustain;
                stage = Sustain;
            }
            break;

        case Sustain:
            level = sustain;
            break;

        case Release:
            level *= releaseCoef;
            if (level < kSettleThreshold)
            {
                level = 0.0;
                stage = Idle;
            }
            break;

        case Idle:
            return 0.0f;
    }
    return static_cast<float> (level);
}

void AdsrEnvelope::render (float* output, int numSamples) noexcept
{
    int s = 0;
    while (s < numSamples && (stage == Attack || stage == Decay || stage == Release))
        output[s++] = tick();
    if (stage == Sustain)
        level = sustain;
    std::fill (output + s, output + std::max (s, numSamples), static_cast<float> (level));
}

float AdsrEnvelope::advance (int numSamples) noexcept
{
    for (int i = 0; i < numSamples && (stage == Attack || stage == Decay || stage == Release); ++i)
        tick();
    if (stage == Sustain)
        level = sustain;
    return stage == Idle ? 0.0f : static_cast<float> (level);
}

} // namespace plumora
