#include "Lfo.h"

#include "DspGuards.h"

#include <algorithm>
#include <cmath>

namespace plumora
{
namespace
{
constexpr double kTwoPi = 6.283185307179586;
// Longer than any delay or fade the parameters allow, short of int overflow.
constexpr double kMaximumSamples = 1.0e9;
} // namespace

void Lfo::prepare (double newSampleRate) noexcept
{
    sampleRate = acceptSampleRate (newSampleRate, sampleRate);
}

int Lfo::millisecondsToSamples (float milliseconds) const noexcept
{
    const double samples = static_cast<double> (milliseconds) * 0.001 * sampleRate;
    if (! (samples > 0.0)) // negative or NaN
        return 0;
    return static_cast<int> (std::min (samples, kMaximumSamples));
}

void Lfo::trigger (float delayMs, float fadeMs, bool restart) noexcept
{
    delayLength = millisecondsToSamples (delayMs);
    fadeLength = millisecondsToSamples (fadeMs);

    if (restart)
    {
        phase = 0.0f;
        output = 0.0f;
        heldValue = 0.0f;
        delayRemaining = delayLength;
        fadeRemaining = fadeLength;
    }
}

float Lfo::advance (float rateHz, int shape, int numSamples) noexcept
{
    const int n = std::max (0, numSamples);

    if (delayRemaining > 0)
    {
        delayRemaining = std::max (0, delayRemaining - n);
        phase = 0.0f;
        output = 0.0f;
        return 0.0f;
    }

    const double rate = rateHz > 0.0f && std::isfinite (rateHz) ? static_cast<double> (rateHz) : 0.0;
    const double unwrapped = static_cast<double> (phase) + n * rate / sampleRate;
    const double wrapped = unwrapped - std::floor (unwrapped);
    // A block can cover a whole cycle or more at high rates and large blocks,
    // so the wrap is counted, not inferred from the phase going down.
    bool cycleEnded = unwrapped >= 1.0;
    phase = static_cast<float> (wrapped);
    if (phase >= 1.0f) // rounded up to the start of the next cycle
    {
        phase = 0.0f;
        cycleEnded = true;
    }

    float value = shapeValue (shape, cycleEnded);

    if (fadeRemaining > 0 && fadeLength > 0)
    {
        const float gain = std::clamp (1.0f - static_cast<float> (fadeRemaining) / static_cast<float> (fadeLength), 0.0f, 1.0f);
        fadeRemaining = std::max (0, fadeRemaining - n);
        value *= gain;
    }

    output = value;
    return value;
}

float Lfo::shapeValue (int shape, bool cycleEnded) noexcept
{
    const float p = phase;
    switch (static_cast<LfoShape> (shape))
    {
        case LfoShape::Sine:     return static_cast<float> (std::sin (kTwoPi * p));
        case LfoShape::Triangle: return p < 0.5f ? 4.0f * p - 1.0f : 3.0f - 4.0f * p;
        case LfoShape::SawUp:    return 2.0f * p - 1.0f;
        case LfoShape::SawDown:  return 1.0f - 2.0f * p;
        case LfoShape::Square:   return p < 0.5f ? 1.0f : -1.0f;
        case LfoShape::SampleAndHold:
            if (cycleEnded)
                heldValue = random.nextBipolar();
            return heldValue;
    }
    return 0.0f;
}

} // namespace plumora
