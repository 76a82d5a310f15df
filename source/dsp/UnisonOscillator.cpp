#include "UnisonOscillator.h"

#include "Float4.h"
#include "WavetableReader.h"
#include "Xorshift32.h"

#include <algorithm>
#include <cmath>

namespace plumora
{
namespace
{
constexpr float kPi = 3.14159265358979f;
constexpr float kSuperSawCentreCut = 0.55f;
constexpr float kSuperSawMaxSpreadCents = 60.0f;
// A note's drift starts at 0 and fades in to its wander over this time, so
// the pitch never steps when the first drift value arrives.
constexpr double kDriftFadeInSeconds = 0.5;
constexpr float kSuperSawHighPassOmega = 502.65485f; // 2 pi 80 Hz

#include "UnisonKernel.inc"
} // namespace

void UnisonOscillator::prepare (double newSampleRate) noexcept
{
    if (newSampleRate > 0.0)
        sampleRate = newSampleRate;
}

void UnisonOscillator::setWideKernels (bool enabled) noexcept
{
    wideKernels = enabled && cpuHasWideKernels();
}

void UnisonOscillator::resetForNote (std::uint32_t& randomState) noexcept
{
    phase.fill (0.0f);
    detune.fill (0.0f);
    pan.fill (0.0f);
    drift.fill (0.0f);
    driftFade = 0.0f;
    for (auto& p : driftPhase)
        p = nextRandomFraction (randomState);
    layout.count = 0;
    firstBlock = true;
}

void UnisonOscillator::randomisePhases (std::uint32_t& randomState) noexcept
{
    for (auto& p : phase)
    {
        p = nextRandomFraction (randomState);
        if (p >= 1.0f) // a draw just below 2^32 rounds up to 1 in single precision
            p = 0.0f;
    }
}

void startOscillatorPair (UnisonOscillator& slot1, UnisonOscillator& slot2, std::uint32_t& randomState) noexcept
{
    slot1.resetForNote (randomState);
    slot2.resetForNote (randomState);
    slot1.randomisePhases (randomState);
    slot2.randomisePhases (randomState);
}

void UnisonOscillator::updateLayout (const Layout& wanted) noexcept
{
    layout = wanted;
    const int count = wanted.count;

    for (int i = 0; i < kMaxVoices; ++i)
    {
        float offsetCents = 0.0f, panPosition = 0.0f, voiceGain = 1.0f;
        if (i < count && count > 1)
        {
            const float e = 2.0f * static_cast<float> (i) / static_cast<float> (count - 1) - 1.0f;
            panPosition = e * wanted.width;
            if (wanted.mode == OscillatorSettings::SuperSaw)
                offsetCents = std::copysign (std::pow (std::abs (e), 0.7f), e) * (wanted.superSawMix * kSuperSawMaxSpreadCents);
            else
                offsetCents = e * wanted.detune;
        }
        if (wanted.mode == OscillatorSettings::SuperSaw && i == count / 2)
            voiceGain = 1.0f - kSuperSawCentreCut * wanted.superSawMix;

        const float theta = (panPosition + 1.0f) * kPi * 0.25f;
        detune[static_cast<std::size_t> (i)] = offsetCents;
        pan[static_cast<std::size_t> (i)] = panPosition;
        // Copies beyond the count keep zero gain: they run in the padding of a group of four.
        gainLeft[static_cast<std::size_t> (i)] = i < count ? voiceGain * std::cos (theta) : 0.0f;
        gainRight[static_cast<std::size_t> (i)] = i < count ? voiceGain * std::sin (theta) : 0.0f;
    }
}

void UnisonOscillator::updateIncrements (double frequencyHz, int count) noexcept
{
    // Past Nyquist there is nothing to hear; clamping keeps every increment below one cycle.
    const double frequency = std::clamp (std::isfinite (frequencyHz) ? frequencyHz : 0.0, 0.0, sampleRate * 0.5);
    const double cyclesPerSample = frequency / sampleRate;
    for (int i = 0; i < kMaxVoices; ++i)
        increment[static_cast<std::size_t> (i)] = i < count
            ? static_cast<float> (std::exp2 ((detune[static_cast<std::size_t> (i)] + drift[static_cast<std::size_t> (i)]) / 1200.0) * cyclesPerSample)
            : 0.0f;
}

void UnisonOscillator::advanceDrift (int numSamples, float rateHz, float amountCents) noexcept
{
    const float step = static_cast<float> (numSamples * static_cast<double> (rateHz) / sampleRate);
    driftFade = std::min (1.0f, driftFade + static_cast<float> (numSamples / (kDriftFadeInSeconds * sampleRate)));
    const float depth = amountCents * driftFade;
    for (int i = 0; i < kMaxVoices; ++i)
    {
        auto& p = driftPhase[static_cast<std::size_t> (i)];
        p += step;
        if (p >= 1.0f)
            p -= std::floor (p);
        drift[static_cast<std::size_t> (i)] = std::sin (2.0f * kPi * p) * depth;
    }
}

template <class Offset>
void UnisonOscillator::renderBlock (float* left, float* right, int numSamples, const OscillatorSettings& settings, Offset offset) noexcept
{
    if (numSamples <= 0)
        return;

    const int count = std::clamp (settings.unison, 1, kMaxVoices);
    const int mode = settings.mode == OscillatorSettings::SuperSaw ? OscillatorSettings::SuperSaw : OscillatorSettings::Wavetable;
    const Layout wanted { count, settings.detuneCents, settings.stereoWidth, settings.superSawMix, mode };
    if (! (wanted == layout))
        updateLayout (wanted);
    updateIncrements (settings.frequencyHz, count);

    const float position = std::isfinite (settings.position) ? std::clamp (settings.position, 0.0f, 1.0f) : 0.0f;
    if (firstBlock)
        previousPosition = position;

    const float norm = 1.0f / std::sqrt (static_cast<float> (count));
    UnisonKernelState state { phase.data(), increment.data(), gainLeft.data(), gainRight.data(), highPassLeft, highPassRight,
                              kSuperSawHighPassOmega / (static_cast<float> (sampleRate) + kSuperSawHighPassOmega) };
    // Without phase offsets the kernels run eight lanes wide where the CPU has them.
    const bool wide = ! Offset::kUsed && wideKernels;

    if (mode == OscillatorSettings::SuperSaw)
    {
        if (wide)
            renderSawWide (state, left, right, numSamples, count, norm);
        else
            runSaw<Float4> (state, offset, left, right, numSamples, count, norm);
    }
    else if (settings.table == nullptr || settings.table->levels.empty() || settings.table->levels[0].numFrames() <= 0)
    {
        std::fill_n (left, numSamples, 0.0f);
        std::fill_n (right, numSamples, 0.0f);
    }
    else
    {
        const auto& table = *settings.table;
        const int level = std::min (selectMipLevel (settings.frequencyHz, sampleRate), static_cast<int> (table.levels.size()) - 1);
        const auto& chosen = table.levels[static_cast<std::size_t> (level)];
        const float lastFrame = static_cast<float> (chosen.numFrames() - 1);
        const float start = previousPosition * lastFrame;
        const float step = (position - previousPosition) * lastFrame / static_cast<float> (numSamples);
        const bool crossfade = chosen.numFrames() > 1 && (step != 0.0f || start != std::floor (start));
        const UnisonTableRead read { chosen, start, step, crossfade };
        if (wide)
            renderTableWide (state, read, left, right, numSamples, count, norm);
        else
            runTable<Float4> (state, read, offset, left, right, numSamples, count, norm);
    }

    previousPosition = position;
    firstBlock = false;
    advanceDrift (numSamples, settings.driftRateHz, settings.driftCents);
}

void UnisonOscillator::render (float* left, float* right, int numSamples, const OscillatorSettings& settings) noexcept
{
    renderBlock (left, right, numSamples, settings, NoOffset {});
}

void UnisonOscillator::renderModulated (float* left, float* right, int numSamples, const OscillatorSettings& settings,
                                        const float* modulator, float depth) noexcept
{
    if (modulator == nullptr)
        render (left, right, numSamples, settings);
    else
        renderBlock (left, right, numSamples, settings, ModulatorOffset { modulator, depth });
}

void UnisonOscillator::renderWithFeedback (float* left, float* right, int numSamples, const OscillatorSettings& settings,
                                           float& history1, float& history2, float depth) noexcept
{
    renderBlock (left, right, numSamples, settings, FeedbackOffset { history1, history2, depth });
}

} // namespace plumora
