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
constexpr int kGroups = UnisonOscillator::kMaxVoices / 4;
constexpr float kSuperSawCentreCut = 0.55f;
constexpr float kSuperSawMaxSpreadCents = 60.0f;
constexpr float kSuperSawHighPassOmega = 502.65485f; // 2 pi 80 Hz

// Phase offsets shared by every copy at a sample.
struct NoOffset
{
    static constexpr bool kUsed = false;
    float at (int) const noexcept { return 0.0f; }
    void afterSample (float, float) noexcept {}
};

struct ModulatorOffset
{
    static constexpr bool kUsed = true;
    const float* modulator;
    float depth;
    float at (int s) const noexcept { return depth * modulator[s]; }
    void afterSample (float, float) noexcept {}
};

struct FeedbackOffset
{
    static constexpr bool kUsed = true;
    float& history1;
    float& history2;
    float depth;
    float at (int) const noexcept { return (history1 + history2) * 0.5f * depth; }
    void afterSample (float left, float right) noexcept
    {
        history2 = history1;
        history1 = (left + right) * 0.5f;
    }
};

// Read phases for this sample: the stored phase plus the offset, wrapped.
// Offsets may be negative, so lift them into [0, 1) before wrapping.
template <class Offset>
inline Float4 readPhase (Float4 phase, float offset) noexcept
{
    if constexpr (! Offset::kUsed)
        return phase;
    const float lifted = offset - std::floor (offset);
    return fractionalPart (phase + Float4::fill (lifted));
}

// The waveform a copy reads at a phase: a wavetable level (one frame, or two
// crossfaded) or the plain SuperSaw ramp.
struct SawShape
{
    void atSample (int) noexcept {}
    Float4 read (Float4 phase) const noexcept { return Float4::fill (2.0f) * phase - Float4::fill (1.0f); }
};

struct TableShape
{
    const WavetableLevel& level;
    float startPosition, positionStep; // in frames
    bool crossfade;
    const float* frameA = nullptr;
    const float* frameB = nullptr;
    Float4 weight = Float4::fill (0.0f);

    void atSample (int s) noexcept
    {
        const int last = level.numFrames() - 1;
        const float p = std::min (startPosition + positionStep * static_cast<float> (s), static_cast<float> (last));
        const int a = static_cast<int> (p);
        frameA = level.frame (a);
        frameB = level.frame (std::min (a + 1, last));
        weight = Float4::fill (p - static_cast<float> (a));
    }

    Float4 read (Float4 phase) const noexcept
    {
        int index[4];
        Float4 fraction, taps[4];
        tableIndex<WavetableLevel::kTableSize> (phase, index, fraction);
        gatherTaps (frameA, index, taps);
        if (crossfade)
        {
            // The interpolation is linear in the samples, so crossfading the
            // taps first equals crossfading two interpolated reads.
            Float4 other[4];
            gatherTaps (frameB, index, other);
            for (int k = 0; k < 4; ++k)
                taps[k] = taps[k] + (other[k] - taps[k]) * weight;
        }
        return catmullRom (taps, fraction);
    }
};

} // namespace

struct UnisonOscillator::Kernel
{
    // Sample-major: every sample reads all copies (four at a time), so the
    // feedback offset can depend on the previous sample's output.
    // The group count is a template argument so the per-sample loop over
    // groups unrolls and the phases stay in registers.
    template <class Shape, class Offset>
    static void run (UnisonOscillator& osc, Shape shape, Offset offset, float* left, float* right, int numSamples,
                     int groups, float norm, bool highPass) noexcept
    {
        switch (groups)
        {
            case 1:  runGroups<1> (osc, shape, offset, left, right, numSamples, norm, highPass); break;
            case 2:  runGroups<2> (osc, shape, offset, left, right, numSamples, norm, highPass); break;
            case 3:  runGroups<3> (osc, shape, offset, left, right, numSamples, norm, highPass); break;
            default: runGroups<4> (osc, shape, offset, left, right, numSamples, norm, highPass); break;
        }
    }

    template <int groups, class Shape, class Offset>
    static void runGroups (UnisonOscillator& osc, Shape shape, Offset offset, float* left, float* right, int numSamples,
                           float norm, bool highPass) noexcept
    {
        const float hpCoefficient = kSuperSawHighPassOmega / (static_cast<float> (osc.sampleRate) + kSuperSawHighPassOmega);
        Float4 phases[kGroups], increments[kGroups], gainsL[kGroups], gainsR[kGroups];
        for (int g = 0; g < groups; ++g)
        {
            phases[g] = Float4::load (osc.phase.data() + 4 * g);
            increments[g] = Float4::load (osc.increment.data() + 4 * g);
            gainsL[g] = Float4::load (osc.gainLeft.data() + 4 * g);
            gainsR[g] = Float4::load (osc.gainRight.data() + 4 * g);
        }

        for (int s = 0; s < numSamples; ++s)
        {
            shape.atSample (s);
            const float shift = offset.at (s);
            Float4 sumL = Float4::fill (0.0f), sumR = Float4::fill (0.0f);

            for (int g = 0; g < groups; ++g)
            {
                const Float4 x = shape.read (readPhase<Offset> (phases[g], shift));
                sumL = sumL + x * gainsL[g];
                sumR = sumR + x * gainsR[g];
                phases[g] = fractionalPart (phases[g] + increments[g]);
            }

            float l = sumL.sum() * norm;
            float r = sumR.sum() * norm;
            if (highPass)
            {
                osc.highPassLeft += (l - osc.highPassLeft) * hpCoefficient;
                osc.highPassRight += (r - osc.highPassRight) * hpCoefficient;
                l -= osc.highPassLeft;
                r -= osc.highPassRight;
            }
            left[s] = l;
            right[s] = r;
            offset.afterSample (l, r);
        }

        for (int g = 0; g < groups; ++g)
            phases[g].store (osc.phase.data() + 4 * g);
    }
};

void UnisonOscillator::prepare (double newSampleRate) noexcept
{
    if (newSampleRate > 0.0)
        sampleRate = newSampleRate;
}

void UnisonOscillator::resetForNote (std::uint32_t& randomState) noexcept
{
    phase.fill (0.0f);
    detune.fill (0.0f);
    pan.fill (0.0f);
    drift.fill (0.0f);
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
    for (int i = 0; i < kMaxVoices; ++i)
    {
        auto& p = driftPhase[static_cast<std::size_t> (i)];
        p += step;
        if (p >= 1.0f)
            p -= std::floor (p);
        drift[static_cast<std::size_t> (i)] = std::sin (2.0f * kPi * p) * amountCents;
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

    const int groups = (count + 3) / 4;
    const float norm = 1.0f / std::sqrt (static_cast<float> (count));

    if (mode == OscillatorSettings::SuperSaw)
    {
        Kernel::run (*this, SawShape {}, offset, left, right, numSamples, groups, norm, true);
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
        Kernel::run (*this, TableShape { chosen, start, step, crossfade }, offset, left, right, numSamples, groups, norm, false);
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
