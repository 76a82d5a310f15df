#include "NoiseSource.h"

#include "Xorshift32.h"

#include <algorithm>
#include <cmath>

namespace plumora
{
namespace
{
constexpr float kSilentNoise = 0.0001f;
constexpr float kSilentPick = 0.00001f;
constexpr double kRampSeconds = 0.001;
constexpr double kTwoPi = 6.283185307179586;
} // namespace

void NoiseSource::render (float* out, int numSamples, float cutoffHz, double sampleRate, int mode) noexcept
{
    const double cutoff = std::isfinite (cutoffHz) ? std::max (static_cast<double> (cutoffHz), 1.0) : 1000.0;
    const double dt = 1.0 / sampleRate;
    const double rc = 1.0 / (kTwoPi * cutoff);
    const float alpha = static_cast<float> (dt / (rc + dt));
    const int filterMode = std::clamp (mode, 0, 2);

    for (int s = 0; s < numSamples; ++s)
    {
        const float white = 2.0f * nextRandomFraction (randomState) - 1.0f;
        lowState += (white - lowState) * alpha;

        if (filterMode == LowPass)
        {
            out[s] = lowState;
        }
        else if (filterMode == HighPass)
        {
            out[s] = white - lowState;
        }
        else
        {
            highState += (lowState - highState) * alpha;
            out[s] = lowState - highState;
        }
    }
}

void PickTransient::start (double sampleRate) noexcept
{
    pickLevel = 0.0f;
    rampRemaining = std::max (1, static_cast<int> (sampleRate * kRampSeconds));
    ramping = true;
}

bool PickTransient::advance (int numSamples, double sampleRate, float noiseLevel, float pickAttack) noexcept
{
    if (noiseLevel <= kSilentNoise && pickLevel < kSilentPick && pickAttack <= kSilentNoise)
        return false;

    if (ramping)
    {
        const int remaining = rampRemaining;
        rampRemaining = remaining - numSamples;
        pickLevel = std::min (1.0f, pickLevel + static_cast<float> (numSamples) / static_cast<float> (remaining + numSamples));
        if (rampRemaining <= 0)
        {
            pickLevel = 1.0f;
            ramping = false;
        }
    }
    else if (pickLevel > kSilentPick && pickAttack > kSilentNoise)
    {
        const double timeConstantSamples = std::max (500.0 * pickAttack, 1.0) * 0.001 * sampleRate;
        pickLevel *= static_cast<float> (std::exp (-numSamples / timeConstantSamples));
    }
    else
    {
        pickLevel = 0.0f;
    }
    return true;
}

void addNoiseAndPick (NoiseSource& noise, PickTransient& pick, float* scratch, float* left, float* right, int numSamples,
                      double sampleRate, float noiseLevel, float cutoffHz, int mode, float pickAttack) noexcept
{
    if (! pick.advance (numSamples, sampleRate, noiseLevel, pickAttack))
        return;

    noise.render (scratch, numSamples, cutoffHz, sampleRate, mode);
    const float gain = noiseLevel + pickAttack * pick.level();
    for (int s = 0; s < numSamples; ++s)
    {
        left[s] += scratch[s] * gain;
        right[s] += scratch[s] * gain;
    }
}

} // namespace plumora
