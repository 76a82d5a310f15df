#include "KarplusStrongString.h"

#include "WavetableReader.h"
#include "Xorshift32.h"

#include <algorithm>
#include <cmath>

namespace plumora
{
namespace
{
// At this pitch the loss per period is the same for any stretch.
constexpr float kStretchReferenceHz = 40.0f;
} // namespace

void KarplusStrongString::prepare (double newSampleRate)
{
    if (newSampleRate > 0.0)
        sampleRate = newSampleRate;

    const auto length = static_cast<std::size_t> (std::ceil (sampleRate / kLowestFrequency)) + 4;
    line.assign (length, 0.0f);
    burst.assign (length, 0.0f);
    burstCopy.assign (length, 0.0f);
    pluckedFrequency = 440.0f;
    writeIndex = 0;
    lastOut = 0.0f;
    active = false;
}

void KarplusStrongString::reset() noexcept
{
    std::fill (line.begin(), line.end(), 0.0f);
    writeIndex = 0;
    lastOut = 0.0f;
    active = false;
}

void KarplusStrongString::excite (std::uint32_t& randomState, float frequencyHz, float velocity, const KsParameters& p) noexcept
{
    if (line.size() < 8)
        return;

    const double highest = sampleRate / 4.0;
    const double f = std::isfinite (frequencyHz) ? std::clamp (static_cast<double> (frequencyHz), kLowestFrequency, highest) : 440.0;
    pluckedFrequency = static_cast<float> (f);

    // Half a sample less: the averaging filter in the loop adds half a sample.
    const double loopDelay = sampleRate / f - 0.5;
    delayInt = std::clamp (static_cast<int> (std::floor (loopDelay)), 2, static_cast<int> (line.size()) - 4);
    delayFrac = static_cast<float> (loopDelay - delayInt);

    std::fill (line.begin(), line.end(), 0.0f);
    writeIndex = 0;
    lastOut = 0.0f;

    const float strength = std::clamp (std::isfinite (velocity) ? velocity : 0.0f, 0.0f, 1.0f);
    const float lowPass = std::clamp ((strength * 0.5f + 0.5f) * p.brightness, 0.05f, 1.0f);

    float smoothed = 0.0f;
    for (int i = 0; i < delayInt; ++i)
    {
        const float white = (2.0f * nextRandomFraction (randomState) - 1.0f) * strength;
        smoothed = lowPass * white + (1.0f - lowPass) * smoothed;
        burst[static_cast<std::size_t> (i)] = smoothed;
    }

    // The pick comb: a reflection P samples later cancels (pick up) or
    // reinforces (pick down) the harmonics with a node at the pick point.
    const int pick = std::max (1, static_cast<int> (std::lround (delayInt * std::clamp (p.pickPosition, 0.02f, 0.5f))));
    std::copy_n (burst.begin(), delayInt, burstCopy.begin());
    const float reflection = p.pickDirection == 0 ? -1.0f : 1.0f;
    for (int i = pick; i < delayInt; ++i)
        burst[static_cast<std::size_t> (i)] = burstCopy[static_cast<std::size_t> (i)] + reflection * burstCopy[static_cast<std::size_t> (i - pick)];

    // A burst with an offset would ring as DC for as long as the string
    // sounds (the loop keeps DC better than any harmonic): remove it.
    float mean = 0.0f;
    for (int i = 0; i < delayInt; ++i)
        mean += burst[static_cast<std::size_t> (i)];
    mean /= static_cast<float> (delayInt);
    for (int i = 0; i < delayInt; ++i)
        burst[static_cast<std::size_t> (i)] -= mean;

    float peak = 0.0f;
    for (int i = 0; i < delayInt; ++i)
        peak = std::max (peak, std::abs (burst[static_cast<std::size_t> (i)]));
    if (peak > 1.0e-6f)
        for (int i = 0; i < delayInt; ++i)
            burst[static_cast<std::size_t> (i)] *= strength / peak;

    std::copy_n (burst.begin(), delayInt, line.begin());
    writeIndex = static_cast<std::uint32_t> (delayInt);
    active = true;
}

void KarplusStrongString::render (float* out, int numSamples, const KsParameters& p) noexcept
{
    if (! active)
    {
        std::fill_n (out, numSamples, 0.0f);
        return;
    }

    const float stretchPower = std::clamp (p.stretch, 0.0f, 1.0f);
    const float periodShare = std::pow (kStretchReferenceHz / pluckedFrequency, stretchPower);
    const float keep = 0.96f + 0.039f * std::clamp (p.damping, 0.0f, 1.0f);
    const float loopGain = std::clamp (1.0f - periodShare * (1.0f - keep), 0.0f, 0.9999f);

    const int size = static_cast<int> (line.size());
    const float delay = static_cast<float> (delayInt) + delayFrac;

    for (int s = 0; s < numSamples; ++s)
    {
        float r = static_cast<float> (size) + static_cast<float> (writeIndex) - delay;
        if (r >= static_cast<float> (size))
            r -= static_cast<float> (size);

        const int i = static_cast<int> (r);
        const float f = r - static_cast<float> (i);
        const auto at = [this, size] (int index) { return line[static_cast<std::size_t> ((index + size) % size)]; };
        const float y = catmullRom (at (i - 1), at (i), at (i + 1), at (i + 2), f);
        out[s] = y;
        line[writeIndex] = (y + lastOut) * 0.5f * loopGain;
        lastOut = y;
        writeIndex = (writeIndex + 1) % static_cast<std::uint32_t> (size);
    }
}

} // namespace plumora
