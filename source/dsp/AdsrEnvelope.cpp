#include "AdsrEnvelope.h"

#include <algorithm>
#include <cmath>

namespace plumora
{
namespace
{
constexpr float kMinimumTime = 0.001f;
constexpr float kFortyDecibels = 4.605f; // ln 100
constexpr float kSettleThreshold = 0.0001f;

// NaN and anything below the minimum become the minimum.
float atLeastMinimumTime (float seconds) noexcept { return seconds >= kMinimumTime ? seconds : kMinimumTime; }
} // namespace

void AdsrEnvelope::prepare (double newSampleRate) noexcept
{
    if (newSampleRate > 0.0)
        sampleRate = newSampleRate;
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
    const auto rate = static_cast<float> (sampleRate);
    attackStep = 1.0f / (rate * attack);
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
    value = 0.0f;
}

float AdsrEnvelope::tick() noexcept
{
    switch (stage)
    {
        case Attack:
            value += attackStep;
            if (value >= 1.0f)
            {
                value = 1.0f;
                stage = Decay;
            }
            break;

        case Decay:
            value = (value - sustain) * decayCoef + sustain;
            if (std::abs (value - sustain) < kSettleThreshold)
            {
                value = sustain;
                stage = Sustain;
            }
            break;

        case Sustain:
            value = sustain;
            break;

        case Release:
            value *= releaseCoef;
            if (value < kSettleThreshold)
            {
                value = 0.0f;
                stage = Idle;
            }
            break;

        case Idle:
            return 0.0f;
    }
    return value;
}

float AdsrEnvelope::advance (int numSamples) noexcept
{
    for (int i = 0; i < numSamples; ++i)
        tick();
    return stage == Idle ? 0.0f : value;
}

} // namespace plumora
