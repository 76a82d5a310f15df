#include "Chorus.h"

#include "FastMath.h"

#include "DspGuards.h"
#include "WavetableReader.h"

#include <algorithm>
#include <cmath>

namespace plumora
{
namespace
{
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;
constexpr int kLineMask = Chorus::kLineLength - 1;
constexpr float kShortestDelay = 2.0f;
constexpr float kLongestDelay = static_cast<float> (Chorus::kLineLength - 2);
constexpr double kCrossfadeSeconds = 0.01;

constexpr double kClassicCentre = 0.007, kClassicSwing = 0.005; // seconds
constexpr double kEnsembleCentres[3] = { 0.007, 0.013, 0.021 };
constexpr double kEnsembleSwing = 0.0015;
constexpr double kEnsembleRates[3] = { kPi / kTwoPi, 1.9477875 / kTwoPi, 1.1938052 / kTwoPi }; // 0.5, 0.31, 0.19 Hz
constexpr float kEnsembleLeftGains[3] = { 0.7f, 0.5f, 0.3f };
constexpr float kEnsembleRightGains[3] = { 0.3f, 0.5f, 0.7f };

inline float clampDelay (float samples) noexcept { return std::clamp (samples, kShortestDelay, kLongestDelay); }

inline double wrapUnit (double phase) noexcept { return phase >= 1.0 ? phase - 1.0 : phase; }
} // namespace

void Chorus::prepare (double newSampleRate)
{
    sampleRate = acceptSampleRate (newSampleRate, sampleRate);
    lineLeft.assign (kLineLength, 0.0f);
    lineRight.assign (kLineLength, 0.0f);
    reset();
}

void Chorus::reset() noexcept
{
    std::fill (lineLeft.begin(), lineLeft.end(), 0.0f);
    std::fill (lineRight.begin(), lineRight.end(), 0.0f);
    writeIndex = 0;
    for (int k = 0; k < 4; ++k)
        classicPhases[k] = 0.25 * k;
    ensemblePhases[0] = 0.0;
    ensemblePhases[1] = 1.0 / 6.0;  // pi / 3
    ensemblePhases[2] = 1.0 / 14.0; // pi / 7
    lastMode = Classic;
    blend = blendTarget = blendStep = 0.0f;
    blendRemaining = 0;
}

// Cubic read d samples behind the newest sample; neighbours run towards the
// shorter and the longer delay.
float Chorus::read (const float* line, float delay) const noexcept
{
    const int whole = static_cast<int> (delay);
    const float fraction = delay - static_cast<float> (whole);
    const auto newer = static_cast<unsigned> (writeIndex - whole + 1 + Chorus::kLineLength);
    return catmullRom (line[newer & kLineMask], line[(newer - 1u) & kLineMask], line[(newer - 2u) & kLineMask],
                       line[(newer - 3u) & kLineMask], fraction);
}

void Chorus::process (float* left, float* right, int numSamples) noexcept
{
    if (settings.bypass || left == nullptr || right == nullptr || numSamples <= 0 || lineLeft.empty())
        return;

    silenceNonFinite (left, numSamples);
    silenceNonFinite (right, numSamples);

    const int mode = settings.mode;
    if (mode != lastMode)
    {
        lastMode = mode;
        blendTarget = mode == Ensemble ? 1.0f : 0.0f;
        if (blendTarget != blend)
        {
            blendRemaining = static_cast<int> (kCrossfadeSeconds * sampleRate);
            if (blendRemaining < 2)
                blendRemaining = 1;
            blendStep = (blendTarget - blend) / static_cast<float> (blendRemaining);
        }
        else
        {
            blend = blendTarget;
            blendStep = 0.0f;
            blendRemaining = 0;
        }
    }

    const float rate = clampSetting (settings.rate, 0.1f, 5.0f, 1.0f);
    const float depth = clampSetting (settings.depth, 0.0f, 1.0f, 0.5f);
    const float mix = clampSetting (settings.mix, 0.0f, 1.0f, 0.3f);

    const double phaseStep = rate / sampleRate;
    const float classicCentre = static_cast<float> (kClassicCentre * sampleRate);
    const float classicSwing = static_cast<float> (depth * kClassicSwing * sampleRate);
    const float ensembleSwing = static_cast<float> (kEnsembleSwing * sampleRate);
    float ensembleCentres[3];
    double ensembleSteps[3];
    for (int v = 0; v < 3; ++v)
    {
        ensembleCentres[v] = static_cast<float> (kEnsembleCentres[v] * sampleRate);
        ensembleSteps[v] = kEnsembleRates[v] / sampleRate;
    }

    float* const lineL = lineLeft.data();
    float* const lineR = lineRight.data();

    for (int i = 0; i < numSamples; ++i)
    {
        const float inL = left[i], inR = right[i];
        lineL[writeIndex] = inL;
        lineR[writeIndex] = inR;

        if (blendRemaining > 0)
        {
            blend += blendStep;
            if (--blendRemaining == 0)
                blend = blendTarget;
        }
        const bool fading = blendRemaining > 0;

        float wetL = 0.0f, wetR = 0.0f;
        if (blend < 1.0f || fading)
        {
            float taps[4];
            for (int k = 0; k < 4; ++k)
            {
                taps[k] = clampDelay (sinCycles (static_cast<float> (classicPhases[k])) * classicSwing + classicCentre);
                classicPhases[k] = wrapUnit (classicPhases[k] + phaseStep);
            }
            const float classicGain = 0.5f * (1.0f - blend);
            wetL = (read (lineL, taps[0]) + read (lineL, taps[1])) * classicGain;
            wetR = (read (lineR, taps[2]) + read (lineR, taps[3])) * classicGain;
        }

        if (blend > 0.0f || fading)
        {
            float sumL = 0.0f, sumR = 0.0f;
            for (int v = 0; v < 3; ++v)
            {
                // Voice 2 follows a cosine: a quarter cycle ahead.
                const double phase = v == 2 ? wrapUnit (ensemblePhases[v] + 0.25) : ensemblePhases[v];
                const float delay = clampDelay (ensembleCentres[v] + sinCycles (static_cast<float> (phase)) * ensembleSwing);
                sumL += kEnsembleLeftGains[v] * read (lineL, delay);
                sumR += kEnsembleRightGains[v] * read (lineR, delay);
                ensemblePhases[v] = wrapUnit (ensemblePhases[v] + ensembleSteps[v]);
            }
            const float ensembleGain = blend / 3.0f;
            wetL += sumL * ensembleGain;
            wetR += sumR * ensembleGain;
        }

        left[i] = (1.0f - mix) * inL + mix * wetL;
        right[i] = (1.0f - mix) * inR + mix * wetR;
        writeIndex = (writeIndex + 1) & kLineMask;
    }

    // Past the input guard only overflow of a huge input is left; the lines
    // forget it within 8192 samples, but its block is silenced.
    if (containsNonFinite (left, numSamples) || containsNonFinite (right, numSamples))
    {
        std::fill (left, left + numSamples, 0.0f);
        std::fill (right, right + numSamples, 0.0f);
    }
}

} // namespace plumora
