#include "MultimodeFilter.h"

#include "FastMath.h"
#include "DspGuards.h"
#include "VectorClones.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>

namespace plumora
{
namespace
{
constexpr double kPi = 3.14159265358979323846;

constexpr float kMinimumCutoff = 20.0f;
constexpr double kMaximumCutoffRatio = 0.49; // of the sample rate

// Below this damping the input is no longer scaled down and a tiny offset
// lets the filter ring on silence.
constexpr float kSelfOscillationDamping = 0.05f;
constexpr float kSelfOscillationOffset = 0.00001f;

// With damping near zero an SVF driven at its cutoff would grow without
// bound. Damping that rises with the square of the band-pass level settles
// it near (input level / 0.05)^(1/3) and leaves quiet signals alone.
constexpr float kLevelDamping = 0.05f;

constexpr float kCombFeedbackScale = 0.95f;
constexpr float kDriveDecibels = 24.0f;
constexpr float kDriveThreshold = 0.001f;

struct Formants
{
    float f1, f2, f3, b1, b2, b3;
};

// Centre frequencies and widths (Hz) in the order of the vowel morph.
constexpr Formants kVowelMorph[] = {
    { 300.0f, 870.0f, 2240.0f, 60.0f, 80.0f, 120.0f },   // U
    { 570.0f, 840.0f, 2410.0f, 60.0f, 80.0f, 120.0f },   // O
    { 730.0f, 1090.0f, 2440.0f, 90.0f, 110.0f, 170.0f }, // A
    { 530.0f, 1840.0f, 2480.0f, 60.0f, 90.0f, 120.0f },  // E
    { 270.0f, 2290.0f, 3010.0f, 60.0f, 90.0f, 100.0f },  // I
};
constexpr int kLastVowel = 4;

Formants formantsAt (float vowel) noexcept
{
    const float position = 4.0f * clampSetting (vowel, 0.0f, 1.0f, 0.5f);
    const int s = static_cast<int> (position);
    const float t = position - static_cast<float> (s);
    const auto& a = kVowelMorph[s];
    const auto& b = kVowelMorph[std::min (s + 1, kLastVowel)];
    auto mix = [t] (float x, float y) { return x + (y - x) * t; };
    return { mix (a.f1, b.f1), mix (a.f2, b.f2), mix (a.f3, b.f3), mix (a.b1, b.b1), mix (a.b2, b.b2), mix (a.b3, b.b3) };
}

struct SvfCoefficients
{
    float g = 0.0f, k = 2.0f, a1 = 1.0f, a2 = 0.0f;
};

SvfCoefficients makeSvfCoefficients (double frequency, double sampleRate, float k) noexcept
{
    SvfCoefficients c;
    c.g = static_cast<float> (std::tan (kPi * frequency / sampleRate));
    c.k = k;
    c.a1 = 1.0f / (1.0f + c.g * (c.g + k));
    c.a2 = c.g * c.a1;
    return c;
}

struct SvfOutputs
{
    float low, band, high;
};

template <bool LevelDamped>
inline SvfOutputs tickSvf (MultimodeFilter::SvfState& s, const SvfCoefficients& c, float v0) noexcept
{
    float k = c.k, a1 = c.a1, a2 = c.a2;
    if constexpr (LevelDamped)
    {
        k += kLevelDamping * s.bandPass * s.bandPass;
        a1 = 1.0f / (1.0f + c.g * (c.g + k));
        a2 = c.g * a1;
    }

    // Arranged so the recursion through the states is as short as it can be
    // (the terms of the input are formed off it): ic2 + 2 g v1 is 2 v2 - ic2.
    const float v1 = (a1 * s.ic1 + a2 * v0) - a2 * s.ic2;
    const float v2 = s.ic2 + c.g * v1;
    s.ic1 = 2.0f * v1 - s.ic1;
    s.ic2 = s.ic2 + 2.0f * c.g * v1;
    // Both states together: at low cutoffs the band state is g times smaller
    // than the low-pass one, and zeroing it alone would leave the low-pass
    // state stuck just above the threshold.
    if (std::abs (s.ic1) + std::abs (s.ic2) < kTinyState)
        s.ic1 = s.ic2 = 0.0f;
    s.bandPass = v1;
    return { v2, v1, v0 - k * v1 - v2 };
}

template <bool Driven>
inline float applyDrive (float x, float driveGain) noexcept
{
    if constexpr (Driven)
        return fastTanh (driveGain * x);
    else
        return x;
}

// Gain, offset and drive have no memory, so they run as one loop of their own
// (which the compiler vectorises) ahead of the sample-by-sample filter.
PLUMORA_VECTOR_CLONES void shapeSvfInput (float* samples, int numSamples, float inputGain, float offset, float driveGain) noexcept
{
    if (driveGain > 0.0f)
        for (int i = 0; i < numSamples; ++i)
            samples[i] = applyDrive<true> (samples[i] * inputGain + offset, driveGain);
    else
        for (int i = 0; i < numSamples; ++i)
            samples[i] = samples[i] * inputGain + offset;
}

// One or two channels in one loop: the states live in locals (registers)
// for the block, and two channels' recursions overlap in the CPU.
template <FilterMode Mode, bool LevelDamped, int Channels>
void runSvf (float* const* samples, MultimodeFilter::SvfState* const* firstStates, MultimodeFilter::SvfState* const* secondStates,
             int numSamples, const SvfCoefficients& c) noexcept
{
    MultimodeFilter::SvfState first[Channels], second[Channels];
    for (int ch = 0; ch < Channels; ++ch)
    {
        first[ch] = *firstStates[ch];
        second[ch] = *secondStates[ch];
    }

    for (int i = 0; i < numSamples; ++i)
        for (int ch = 0; ch < Channels; ++ch)
        {
            float& x = samples[ch][i];
            const auto out = tickSvf<LevelDamped> (first[ch], c, x);

            if constexpr (Mode == FilterMode::LowPass12)
                x = out.low;
            else if constexpr (Mode == FilterMode::LowPass24)
                x = tickSvf<LevelDamped> (second[ch], c, out.low).low;
            else if constexpr (Mode == FilterMode::HighPass12)
                x = out.high;
            else if constexpr (Mode == FilterMode::HighPass24)
                x = tickSvf<LevelDamped> (second[ch], c, out.high).high;
            else if constexpr (Mode == FilterMode::BandPass)
                x = out.band;
            else
                x = out.low + out.high;
        }

    for (int ch = 0; ch < Channels; ++ch)
    {
        *firstStates[ch] = first[ch];
        *secondStates[ch] = second[ch];
    }
}

template <bool LevelDamped, int Channels>
void runSvfMode (FilterMode mode, float* const* samples, MultimodeFilter::SvfState* const* first,
                 MultimodeFilter::SvfState* const* second, int numSamples, const SvfCoefficients& c) noexcept
{
    switch (mode)
    {
        case FilterMode::LowPass12:  return runSvf<FilterMode::LowPass12, LevelDamped, Channels> (samples, first, second, numSamples, c);
        case FilterMode::LowPass24:  return runSvf<FilterMode::LowPass24, LevelDamped, Channels> (samples, first, second, numSamples, c);
        case FilterMode::HighPass12: return runSvf<FilterMode::HighPass12, LevelDamped, Channels> (samples, first, second, numSamples, c);
        case FilterMode::HighPass24: return runSvf<FilterMode::HighPass24, LevelDamped, Channels> (samples, first, second, numSamples, c);
        case FilterMode::BandPass:   return runSvf<FilterMode::BandPass, LevelDamped, Channels> (samples, first, second, numSamples, c);
        default:                     return runSvf<FilterMode::Notch, LevelDamped, Channels> (samples, first, second, numSamples, c);
    }
}

template <bool Driven>
void runComb (float* samples, int numSamples, float* line, int& writeIndex, int delayWhole, float delayFraction,
              float feedback, float driveGain) noexcept
{
    constexpr int mask = MultimodeFilter::combLength - 1;
    for (int i = 0; i < numSamples; ++i)
    {
        const float x = applyDrive<Driven> (samples[i], driveGain);
        const float a = line[(writeIndex - delayWhole) & mask];
        const float b = line[(writeIndex - delayWhole - 1) & mask];
        const float y = flushTiny (x + (a + (b - a) * delayFraction) * feedback);
        line[writeIndex] = y;
        writeIndex = (writeIndex + 1) & mask;
        samples[i] = y;
    }
}

template <bool Driven>
void runFormant (float* samples, int numSamples, MultimodeFilter::SvfState* states, const SvfCoefficients* bands,
                 float outputGain, float driveGain) noexcept
{
    for (int i = 0; i < numSamples; ++i)
    {
        const float u = applyDrive<Driven> (samples[i], driveGain);
        const float b1 = tickSvf<false> (states[0], bands[0], u).band;
        const float b2 = tickSvf<false> (states[1], bands[1], u).band;
        const float b3 = tickSvf<false> (states[2], bands[2], u).band;
        samples[i] = (b1 + 0.85f * b2 + 0.45f * b3) * outputGain;
    }
}
} // namespace

void MultimodeFilter::prepare (double newSampleRate)
{
    sampleRate = acceptSampleRate (newSampleRate, sampleRate);
    stage1 = stage2 = stage3 = {};
    combLine.assign (combLength, 0.0f);
    combWriteIndex = 0;
}

float MultimodeFilter::driveGain() const noexcept
{
    const float drive = clampSetting (settings.drive, 0.0f, 1.0f, 0.0f);
    return drive > kDriveThreshold ? std::pow (10.0f, drive * kDriveDecibels / 20.0f) : 0.0f;
}

FilterMode MultimodeFilter::mode() const noexcept
{
    return static_cast<FilterMode> (std::clamp (static_cast<int> (settings.mode), 0, static_cast<int> (FilterMode::Formant)));
}

void MultimodeFilter::process (float* samples, int numSamples) noexcept
{
    if (settings.bypass || samples == nullptr || numSamples <= 0)
        return;

    switch (mode())
    {
        case FilterMode::Comb:
            processComb (samples, numSamples, driveGain());
            break;
        case FilterMode::Formant:
            processFormant (samples, numSamples, driveGain());
            break;
        default:
            processSvfModes (&samples, this, 1, numSamples);
            break;
    }

    clearSvfStatesIfNotFinite();
}

void MultimodeFilter::processPair (MultimodeFilter& left, MultimodeFilter& right, float* leftSamples, float* rightSamples,
                                   int numSamples) noexcept
{
    const auto& a = left.settings;
    const auto& b = right.settings;
    const bool sameSvf = ! a.bypass && ! b.bypass && leftSamples != nullptr && rightSamples != nullptr && numSamples > 0
                         && left.sampleRate == right.sampleRate && left.mode() == right.mode()
                         && left.mode() != FilterMode::Comb && left.mode() != FilterMode::Formant
                         && a.cutoff == b.cutoff && a.resonance == b.resonance && a.drive == b.drive;
    if (! sameSvf)
    {
        left.process (leftSamples, numSamples);
        right.process (rightSamples, numSamples);
        return;
    }

    float* samples[] = { leftSamples, rightSamples };
    MultimodeFilter* filters[] = { &left, &right };
    left.processSvfModes (samples, filters[1], 2, numSamples);
    left.clearSvfStatesIfNotFinite();
    right.clearSvfStatesIfNotFinite();
}

void MultimodeFilter::processSvfModes (float* const* samples, MultimodeFilter* partner, int channels, int numSamples) noexcept
{
    const float highest = static_cast<float> (kMaximumCutoffRatio * sampleRate);
    const float cutoff = clampSetting (settings.cutoff, kMinimumCutoff, highest, kMinimumCutoff);
    const float resonance = clampSetting (settings.resonance, 0.0f, 1.0f, 0.0f);
    const float k = 2.0f * (1.0f - resonance);
    const auto coefficients = makeSvfCoefficients (cutoff, sampleRate, k);
    const bool selfOscillating = k < kSelfOscillationDamping;
    const float inputGain = selfOscillating ? 1.0f : std::sqrt (k * 0.5f);
    const float offset = selfOscillating ? kSelfOscillationOffset : 0.0f;
    for (int ch = 0; ch < channels; ++ch)
        shapeSvfInput (samples[ch], numSamples, inputGain, offset, driveGain());

    SvfState* first[] = { &stage1, &partner->stage1 };
    SvfState* second[] = { &stage2, &partner->stage2 };
    if (selfOscillating)
        channels == 2 ? runSvfMode<true, 2> (mode(), samples, first, second, numSamples, coefficients)
                      : runSvfMode<true, 1> (mode(), samples, first, second, numSamples, coefficients);
    else
        channels == 2 ? runSvfMode<false, 2> (mode(), samples, first, second, numSamples, coefficients)
                      : runSvfMode<false, 1> (mode(), samples, first, second, numSamples, coefficients);
}

void MultimodeFilter::processComb (float* samples, int numSamples, float driveGain) noexcept
{
    const bool driven = driveGain > 0.0f;

    if (combLine.size() != static_cast<size_t> (combLength)) // not prepared: drive only
    {
        if (driven)
            for (int i = 0; i < numSamples; ++i)
                samples[i] = applyDrive<true> (samples[i], driveGain);
        return;
    }

    const float cutoff = clampSetting (settings.cutoff, kMinimumCutoff, std::numeric_limits<float>::max(), kMinimumCutoff);
    const double delay = std::clamp (sampleRate / cutoff, 1.0, static_cast<double> (combLength - 1));
    const int delayWhole = static_cast<int> (delay);
    const float delayFraction = static_cast<float> (delay - delayWhole);
    const float feedback = clampSetting (settings.resonance, 0.0f, 1.0f, 0.0f) * kCombFeedbackScale;

    if (driven)
        runComb<true> (samples, numSamples, combLine.data(), combWriteIndex, delayWhole, delayFraction, feedback, driveGain);
    else
        runComb<false> (samples, numSamples, combLine.data(), combWriteIndex, delayWhole, delayFraction, feedback, driveGain);

    // A non-finite input sample would otherwise circulate in the line for good.
    if (containsNonFinite (samples, numSamples))
        std::fill (combLine.begin(), combLine.end(), 0.0f);
}

void MultimodeFilter::processFormant (float* samples, int numSamples, float driveGain) noexcept
{
    const auto formants = formantsAt (settings.vowel);
    const float q = 1.0f + 4.0f * clampSetting (settings.resonance, 0.0f, 1.0f, 0.0f);
    const float highest = static_cast<float> (kMaximumCutoffRatio * sampleRate);

    auto band = [&] (float centre, float width)
    {
        const float k = std::max (0.001f, 1.0f / ((centre / std::max (1.0f, width)) * q));
        return makeSvfCoefficients (std::min (std::max (centre, kMinimumCutoff), highest), sampleRate, k);
    };
    const SvfCoefficients bands[] = { band (formants.f1, formants.b1), band (formants.f2, formants.b2), band (formants.f3, formants.b3) };
    const float outputGain = 0.6f / std::sqrt (q);

    SvfState states[] = { stage1, stage2, stage3 };
    if (driveGain > 0.0f)
        runFormant<true> (samples, numSamples, states, bands, outputGain, driveGain);
    else
        runFormant<false> (samples, numSamples, states, bands, outputGain, driveGain);
    stage1 = states[0];
    stage2 = states[1];
    stage3 = states[2];
}

void MultimodeFilter::clearSvfStatesIfNotFinite() noexcept
{
    // A non-finite input sample would otherwise poison the SVF states for good.
    for (auto* stage : { &stage1, &stage2, &stage3 })
        if (! std::isfinite (stage->ic1 + stage->ic2 + stage->bandPass))
            *stage = {};
}

} // namespace plumora
