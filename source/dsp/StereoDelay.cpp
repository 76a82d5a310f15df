#include "StereoDelay.h"

#include "DspGuards.h"

#include <algorithm>
#include <cmath>

namespace plumora
{
namespace
{
// Keeps the recirculating lines out of the denormal range in silence.
constexpr float kLineFloor = 1.0e-25f;
} // namespace

void StereoDelay::prepare (double newSampleRate)
{
    sampleRate = acceptSampleRate (newSampleRate, sampleRate);
    // Two samples beyond the longest time: its interpolation partner, and
    // the slot being written.
    const double rateForLength = std::min (sampleRate, kFullTimeSampleRate);
    lineLength = std::max (kMinimumLineLength, static_cast<int> (std::ceil (kMaximumTime * rateForLength)) + 2);
    lineLeft.assign (static_cast<size_t> (lineLength), 0.0f);
    lineRight.assign (static_cast<size_t> (lineLength), 0.0f);
    writeIndex = 0;
    writtenLength = 0;
}

void StereoDelay::reset() noexcept
{
    std::fill_n (lineLeft.begin(), writtenLength, 0.0f);
    std::fill_n (lineRight.begin(), writtenLength, 0.0f);
    writeIndex = 0;
    writtenLength = 0;
}

float StereoDelay::delayInSamples (float seconds, float fallback) const noexcept
{
    const double time = clampSetting (seconds, 0.0f, static_cast<float> (kMaximumTime), fallback);
    return static_cast<float> (std::clamp (time * sampleRate, 1.0, static_cast<double> (lineLength - 1)));
}

void StereoDelay::process (float* left, float* right, int numSamples) noexcept
{
    if (settings.bypass || left == nullptr || right == nullptr || numSamples <= 0 || lineLength == 0)
        return;

    silenceNonFinite (left, numSamples);
    silenceNonFinite (right, numSamples);

    const float delayLeft = delayInSamples (settings.timeLeft, 0.3f);
    const float delayRight = delayInSamples (settings.timeRight, 0.4f);
    const float feedback = clampSetting (settings.feedback, 0.0f, kMaximumFeedback, 0.4f);
    const float mix = clampSetting (settings.mix, 0.0f, 1.0f, 0.3f);

    const int wholeLeft = static_cast<int> (delayLeft), wholeRight = static_cast<int> (delayRight);
    const float fractionLeft = delayLeft - static_cast<float> (wholeLeft);
    const float fractionRight = delayRight - static_cast<float> (wholeRight);

    float* const lineL = lineLeft.data();
    float* const lineR = lineRight.data();
    const int length = lineLength;
    // The sample `delay` old sits at writeIndex - delay; one older follows it.
    auto tap = [length] (const float* line, int position, float fraction) noexcept
    {
        if (position < 0)
            position += length;
        const int older = position == 0 ? length - 1 : position - 1;
        return line[position] + (line[older] - line[position]) * fraction;
    };

    for (int i = 0; i < numSamples; ++i)
    {
        const float inL = left[i], inR = right[i];
        const float yL = tap (lineL, writeIndex - wholeLeft, fractionLeft);
        const float yR = tap (lineR, writeIndex - wholeRight, fractionRight);
        lineL[writeIndex] = yR * feedback + inL + kLineFloor;
        lineR[writeIndex] = yL * feedback + inR + kLineFloor;
        left[i] = inL + (yL - inL) * mix;
        right[i] = inR + (yR - inR) * mix;
        if (++writeIndex == length)
            writeIndex = 0;
    }
    writtenLength = std::min (length, writtenLength + numSamples);

    // Only a huge finite input can get here: it overflowed inside the
    // lines, which would repeat it for as long as the feedback lasts.
    if (containsNonFinite (left, numSamples) || containsNonFinite (right, numSamples))
    {
        reset();
        std::fill (left, left + numSamples, 0.0f);
        std::fill (right, right + numSamples, 0.0f);
    }
}

} // namespace plumora
