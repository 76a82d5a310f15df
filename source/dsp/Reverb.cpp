#include "Reverb.h"

#include "DspGuards.h"

#include <algorithm>
#include <cmath>

namespace plumora
{
namespace
{
// Keeps the recirculating combs out of the denormal range in silence.
constexpr float kLineFloor = 1.0e-25f;
constexpr float kAllPassGain = 0.7f;

int scaledLength (int lengthAtReference, double sampleRate) noexcept
{
    return std::max (1, static_cast<int> (lengthAtReference * sampleRate / Reverb::kReferenceRate));
}

// Schroeder all-pass stage with gain 0.7.
inline float allPass (std::vector<float>& line, int& index, float x) noexcept
{
    float& slot = line[static_cast<size_t> (index)];
    const float b = slot;
    slot = kAllPassGain * b + x;
    if (++index == static_cast<int> (line.size()))
        index = 0;
    return b - kAllPassGain * x;
}
} // namespace

void Reverb::Line::resize (int length)
{
    samples.assign (static_cast<size_t> (std::max (1, length)), 0.0f);
    index = 0;
}

void Reverb::Line::clear() noexcept
{
    std::fill (samples.begin(), samples.end(), 0.0f);
    index = 0;
}

void Reverb::prepare (double newSampleRate)
{
    sampleRate = acceptSampleRate (newSampleRate, sampleRate);
    sendDc.prepare (sampleRate);
    for (int c = 0; c < 4; ++c)
        combs[c].resize (scaledLength (kCombLengths[c], sampleRate));
    for (int a = 0; a < 2; ++a)
    {
        allPassLeft[a].resize (scaledLength (kAllPassLengthsLeft[a], sampleRate));
        allPassRight[a].resize (scaledLength (kAllPassLengthsRight[a], sampleRate));
    }
    preDelay.resize (static_cast<int> (std::ceil (kMaximumPreDelayMs * 0.001 * sampleRate)) + 1);
    reset();
}

void Reverb::reset() noexcept
{
    sendDc.reset();
    for (auto& comb : combs)
        comb.clear();
    for (auto& state : combLowpass)
        state = 0.0f;
    for (int a = 0; a < 2; ++a)
    {
        allPassLeft[a].clear();
        allPassRight[a].clear();
    }
    preDelay.clear();
    updatePreDelay();
}

void Reverb::updatePreDelay() noexcept
{
    const double ms = clampSetting (settings.preDelayMs, 0.0f, kMaximumPreDelayMs, 0.0f);
    const int longest = std::max (0, static_cast<int> (preDelay.samples.size()) - 1);
    preDelaySamples = std::clamp (static_cast<int> (std::lround (ms * 0.001 * sampleRate)), 0, longest);
}

void Reverb::process (float* left, float* right, int numSamples) noexcept
{
    if (settings.bypass || left == nullptr || right == nullptr || numSamples <= 0 || preDelay.samples.empty())
        return;

    silenceNonFinite (left, numSamples);
    silenceNonFinite (right, numSamples);
    updatePreDelay();

    const float size = clampSetting (settings.size, 0.0f, 1.0f, 0.5f);
    const float damp = clampSetting (settings.damp, 0.0f, kMaximumDamping, 0.5f);
    const float mix = clampSetting (settings.mix, 0.0f, 1.0f, 0.2f);
    const float combFeedback = 0.7f + 0.28f * size;

    const int preDelayLength = static_cast<int> (preDelay.samples.size());
    float* const preDelayLine = preDelay.samples.data();

    for (int i = 0; i < numSamples; ++i)
    {
        const float inL = left[i], inR = right[i];

        preDelayLine[preDelay.index] = (inL + inR) * 0.5f;
        int readIndex = preDelay.index - preDelaySamples;
        if (readIndex < 0)
            readIndex += preDelayLength;
        const float u = sendDc.process (preDelayLine[readIndex]); // the combs would multiply an offset
        if (++preDelay.index == preDelayLength)
            preDelay.index = 0;

        float s = 0.0f;
        for (int c = 0; c < 4; ++c)
        {
            auto& comb = combs[c];
            float& slot = comb.samples[static_cast<size_t> (comb.index)];
            const float y = slot;
            float& lowpass = combLowpass[c];
            lowpass = y + (lowpass - y) * damp;
            slot = lowpass * combFeedback + u + kLineFloor;
            if (++comb.index == static_cast<int> (comb.samples.size()))
                comb.index = 0;
            s += y;
        }
        s *= 0.25f;

        float wetL = allPass (allPassLeft[0].samples, allPassLeft[0].index, s);
        wetL = allPass (allPassLeft[1].samples, allPassLeft[1].index, wetL);
        float wetR = allPass (allPassRight[0].samples, allPassRight[0].index, s);
        wetR = allPass (allPassRight[1].samples, allPassRight[1].index, wetR);

        left[i] = inL + (wetL - inL) * mix;
        right[i] = inR + (wetR - inR) * mix;
    }

    // Only a huge finite input can get here: it overflowed inside the
    // combs, which would otherwise ring with it for good.
    if (containsNonFinite (left, numSamples) || containsNonFinite (right, numSamples))
    {
        reset();
        std::fill (left, left + numSamples, 0.0f);
        std::fill (right, right + numSamples, 0.0f);
    }
}

} // namespace plumora
