#include "MultibandSaturator.h"

#include "FastMath.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace plumora
{
namespace
{
constexpr double kPi = 3.14159265358979323846;
constexpr double kLowestCrossover = 20.0;
// A crossover at or above Nyquist would make the biquads unstable.
constexpr double kHighestCrossoverRatio = 0.45;
constexpr float kMinimumDrive = 0.0001f;
constexpr float kLiftEdge = 0.1f; // band level below which the small-signal boost applies in full

// Block-rate constants of one band's saturation curve.
struct BandCurve
{
    bool active = false;
    float gain = 1.0f, smallSignalBoost = 1.0f, inverseBoost = 1.0f, normalise = 1.0f, mix = 1.0f;
};

BandCurve makeCurve (float drive, float mix) noexcept
{
    BandCurve curve;
    const float w = clampSetting (drive, 0.0f, 1.0f, 0.0f);
    curve.active = w >= kMinimumDrive;
    curve.gain = 15.0f * w + 1.0f;
    curve.smallSignalBoost = 3.0f * w + 1.0f;
    curve.inverseBoost = 1.0f / curve.smallSignalBoost;
    curve.normalise = 1.0f / fastTanh (curve.gain);
    curve.mix = clampSetting (mix, 0.0f, 1.0f, 1.0f);
    return curve;
}

inline float saturate (float band, const BandCurve& curve) noexcept
{
    if (! curve.active)
        return band;

    // Written as selects: with real signals these tests flip unpredictably.
    // Quiet band signals are lifted by the boost; above the lift's edge the
    // lift's gain fades out at half the signal's rate, so the curve is
    // continuous and keeps rising, and loud signals meet it unlifted.
    const float size = std::abs (band);
    const float lift = (curve.smallSignalBoost - 1.0f) * kLiftEdge;
    const float fadingLift = std::max (0.0f, lift - 0.5f * (size - kLiftEdge));
    const float lifted = size < kLiftEdge ? size * curve.smallSignalBoost : size + fadingLift;
    const float kneed = lifted > 0.5f ? (lifted - 0.5f) * curve.inverseBoost + 0.5f : lifted;
    const float z = std::copysign (kneed, band);

    const float shaped = fastTanh (curve.gain * z) * curve.normalise;
    return shaped * curve.mix + (1.0f - curve.mix) * band;
}

// Two identical Butterworth sections: a 4th-order Linkwitz-Riley filter.
inline float twice (BiquadState (&states)[2], const BiquadCoefficients& c, float x) noexcept
{
    return states[1].process (c, states[0].process (c, x));
}
} // namespace

bool MultibandSaturator::ChannelState::isFinite() const noexcept
{
    for (const auto* pair : { lowLowPass, lowHighPass, highLowPass, highHighPass })
        if (! (pair[0].isFinite() && pair[1].isFinite()))
            return false;
    return lowBandAllPass.isFinite();
}

MultibandSaturator::MultibandSaturator() noexcept
{
    updateCrossover (low);
    updateCrossover (high);
}

void MultibandSaturator::prepare (double newSampleRate) noexcept
{
    sampleRate = acceptSampleRate (newSampleRate, sampleRate);
    updateCrossover (low);
    updateCrossover (high);
    reset();
}

void MultibandSaturator::reset() noexcept
{
    channels[0] = channels[1] = {};
}

void MultibandSaturator::setLowCrossover (float hz) noexcept
{
    if (hz != low.frequency)
    {
        low.frequency = hz;
        updateCrossover (low);
    }
}

void MultibandSaturator::setHighCrossover (float hz) noexcept
{
    if (hz != high.frequency)
    {
        high.frequency = hz;
        updateCrossover (high);
    }
}

void MultibandSaturator::updateCrossover (Crossover& crossover) const noexcept
{
    const double highest = kHighestCrossoverRatio * sampleRate;
    const double frequency = std::isnan (crossover.frequency) ? kLowestCrossover
                                                              : std::clamp (static_cast<double> (crossover.frequency), kLowestCrossover, highest);
    const double w0 = 2.0 * kPi * frequency / sampleRate;
    const double c = std::cos (w0);
    const double alpha = std::sin (w0) / std::sqrt (2.0);
    const double a0 = 1.0 + alpha;
    const double a1 = -2.0 * c / a0;
    const double a2 = (1.0 - alpha) / a0;

    const double lowPassOuter = (1.0 - c) / 2.0 / a0;
    crossover.lowPass = { lowPassOuter, (1.0 - c) / a0, lowPassOuter, a1, a2 };

    const double highPassOuter = (1.0 + c) / 2.0 / a0;
    crossover.highPass = { highPassOuter, -(1.0 + c) / a0, highPassOuter, a1, a2 };

    crossover.allPass = { a2, a1, 1.0, a1, a2 };
}

void MultibandSaturator::process (float* left, float* right, int numSamples) noexcept
{
    if (settings.bypass)
        return;

    const auto lowCurve = makeCurve (settings.lowDrive, settings.lowMix);
    const auto midCurve = makeCurve (settings.midDrive, settings.midMix);
    const auto highCurve = makeCurve (settings.highDrive, settings.highMix);
    const float mix = clampSetting (settings.mix, 0.0f, 1.0f, 0.0f);

    float* buffers[] = { left, right };
    for (int ch = 0; ch < 2; ++ch)
    {
        float* samples = buffers[ch];
        if (samples == nullptr)
            continue;

        auto& state = channels[ch];
        for (int i = 0; i < numSamples; ++i)
        {
            const float x = samples[i];
            // The mid and high bands share the high crossover's phase shift;
            // without it on the low band the sum dips where the bands overlap.
            const float lowBand = state.lowBandAllPass.process (high.allPass, twice (state.lowLowPass, low.lowPass, x));
            const float upper = twice (state.lowHighPass, low.highPass, x);
            const float midBand = twice (state.highLowPass, high.lowPass, upper);
            const float highBand = twice (state.highHighPass, high.highPass, upper);

            const float bands = saturate (lowBand, lowCurve) + saturate (midBand, midCurve) + saturate (highBand, highCurve);
            samples[i] = bands * mix + (1.0f - mix) * x;
        }

        // One non-finite input sample would otherwise silence the saturator for good.
        if (! state.isFinite())
            state = {};
    }
}

} // namespace plumora
