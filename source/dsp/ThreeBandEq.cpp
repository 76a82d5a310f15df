#include "ThreeBandEq.h"

#include <algorithm>
#include <cmath>

namespace plumora
{
namespace
{
constexpr double kPi = 3.14159265358979323846;
constexpr float kMaximumGainDb = 12.0f;
// Keeps the fixed band frequencies below Nyquist at any sample rate.
constexpr double kHighestFrequencyRatio = 0.45;

double bandAngle (double frequency, double sampleRate) noexcept
{
    return 2.0 * kPi * std::min (frequency, kHighestFrequencyRatio * sampleRate) / sampleRate;
}

double amplitudeOf (float gainDb) noexcept
{
    return std::pow (10.0, clampSetting (gainDb, -kMaximumGainDb, kMaximumGainDb, 0.0f) / 40.0);
}

BiquadCoefficients normalised (double b0, double b1, double b2, double a0, double a1, double a2) noexcept
{
    return { b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0 };
}

// The shelves' slope term is 0.5 sin(w0) sqrt(A + 1/A), a touch gentler than
// the cookbook's S = 1 at high gains.
BiquadCoefficients makeLowShelf (float gainDb, double w0) noexcept
{
    const double A = amplitudeOf (gainDb);
    const double c = std::cos (w0);
    const double beta = 2.0 * std::sqrt (A) * 0.5 * std::sin (w0) * std::sqrt (A + 1.0 / A);
    return normalised (A * ((A + 1.0) - (A - 1.0) * c + beta),
                       2.0 * A * ((A - 1.0) - (A + 1.0) * c),
                       A * ((A + 1.0) - (A - 1.0) * c - beta),
                       (A + 1.0) + (A - 1.0) * c + beta,
                       -2.0 * ((A - 1.0) + (A + 1.0) * c),
                       (A + 1.0) + (A - 1.0) * c - beta);
}

BiquadCoefficients makeHighShelf (float gainDb, double w0) noexcept
{
    const double A = amplitudeOf (gainDb);
    const double c = std::cos (w0);
    const double beta = 2.0 * std::sqrt (A) * 0.5 * std::sin (w0) * std::sqrt (A + 1.0 / A);
    return normalised (A * ((A + 1.0) + (A - 1.0) * c + beta),
                       -2.0 * A * ((A - 1.0) + (A + 1.0) * c),
                       A * ((A + 1.0) + (A - 1.0) * c - beta),
                       (A + 1.0) - (A - 1.0) * c + beta,
                       2.0 * ((A - 1.0) - (A + 1.0) * c),
                       (A + 1.0) - (A - 1.0) * c - beta);
}

BiquadCoefficients makePeak (float gainDb, double w0) noexcept
{
    const double A = amplitudeOf (gainDb);
    const double alpha = 0.5 * std::sin (w0); // Q = 1
    const double c = std::cos (w0);
    return normalised (1.0 + alpha * A, -2.0 * c, 1.0 - alpha * A, 1.0 + alpha / A, -2.0 * c, 1.0 - alpha / A);
}
} // namespace

void ThreeBandEq::prepare (double newSampleRate) noexcept
{
    sampleRate = acceptSampleRate (newSampleRate, sampleRate);
    updateCoefficients();
}

void ThreeBandEq::reset() noexcept
{
    for (auto* states : { lowShelfStates, peakStates, highShelfStates })
        states[0] = states[1] = {};
}

void ThreeBandEq::updateCoefficients() noexcept
{
    lowShelf = makeLowShelf (settings.lowGain, bandAngle (lowShelfFrequency, sampleRate));
    peak = makePeak (settings.midGain, bandAngle (midFrequency, sampleRate));
    highShelf = makeHighShelf (settings.highGain, bandAngle (highShelfFrequency, sampleRate));
}

void ThreeBandEq::process (float* left, float* right, int numSamples) noexcept
{
    if (settings.bypass)
        return;

    float* channels[] = { left, right };
    for (int ch = 0; ch < 2; ++ch)
    {
        float* samples = channels[ch];
        if (samples == nullptr)
            continue;

        auto& low = lowShelfStates[ch];
        auto& mid = peakStates[ch];
        auto& high = highShelfStates[ch];
        for (int i = 0; i < numSamples; ++i)
            samples[i] = high.process (highShelf, mid.process (peak, low.process (lowShelf, samples[i])));

        // One non-finite input sample would otherwise silence the EQ for good.
        if (! (low.isFinite() && mid.isFinite() && high.isFinite()))
            low = mid = high = {};
    }
}

} // namespace plumora
