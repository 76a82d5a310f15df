#include "GlobalEffectChain.h"

#include <algorithm>
#include <cmath>

namespace plumora
{
namespace
{
constexpr float kSilentMix = 0.01f;
constexpr float kEqDeadBandDb = 0.1f;
constexpr float kShortestDelay = 0.01f, kLongestDelay = 2.0f;

// The dry copy the mixes blend with is kept this many samples at a time.
constexpr int kMixSlice = 64;

bool switchedOff (float bypass, float mix) noexcept { return bypass > 0.5f || mix < kSilentMix; }
// The share of wet sound an effect's settings ask for: none when bypassed.
float wetShare (float bypass, float mix) noexcept { return bypass > 0.5f ? 0.0f : (mix >= 0.0f ? std::min (mix, 1.0f) : 0.0f); }
} // namespace

float GlobalEffectChain::syncedDelaySeconds (int division, double tempoBpm) noexcept
{
    constexpr double beats[] = { 1.0, 1.5, 2.0 / 3.0, 0.5, 0.75, 1.0 / 3.0, 0.25, 0.375, 1.0 / 6.0, 0.125 };
    const double length = division >= 0 && division < 10 ? beats[division] : 0.5;
    return std::clamp (static_cast<float> (length * 60.0 / tempoBpm), kShortestDelay, kLongestDelay);
}

void GlobalEffectChain::prepare (double sampleRate)
{
    autoFilter.prepare (sampleRate);
    chorus.prepare (sampleRate);
    saturator.prepare (sampleRate);
    saturatorDcLeft.prepare (sampleRate);
    saturatorDcRight.prepare (sampleRate);
    delay.prepare (sampleRate);
    reverb.prepare (sampleRate);
    eq.prepare (sampleRate);
    lowCrossover = highCrossover = -1.0f;
    mixes = {};

    // How long each effect can keep sounding after its input stops, beyond
    // the level the gate calls silence: filters ring out within 50 ms; the
    // chorus and delay hold up to their line lengths, the reverb its
    // pre-delay and the ring of its combs.
    constexpr double kFilterRing = 0.05;
    const double memories[] = { kFilterRing, static_cast<double> (Chorus::kLineLength) / sampleRate + kFilterRing, kFilterRing,
                                StereoDelay::kMaximumTime + kFilterRing, 0.5, kFilterRing };
    for (std::size_t i = 0; i < gates.size(); ++i)
        gates[i].prepare (sampleRate, memories[i]);
}

void GlobalEffectChain::reset() noexcept
{
    autoFilter.reset();
    chorus.reset();
    saturator.reset();
    saturatorDcLeft.reset();
    saturatorDcRight.reset();
    delay.reset();
    reverb.reset();
    eq.reset();
    for (auto& gate : gates)
        gate.reset();
    mixes = {};
}

bool GlobalEffectChain::isOff (Stage stage, float bypass, float mix, bool mixModulated) const noexcept
{
    // Switched off, but still sounding in the last block: it runs once more
    // while its mix ramps down to dry. A mix that modulation moves keeps its
    // effect running even at 0: frozen lines would wake with stale sound.
    return switchedOff (bypass, mix) && (bypass > 0.5f || ! mixModulated)
           && mixes[static_cast<std::size_t> (stage)].target() < kSilentMix;
}

template <class Process>
void GlobalEffectChain::runMixed (Stage stage, float mix, float* left, float* right, int numSamples, Process&& process) noexcept
{
    auto& ramp = mixes[static_cast<std::size_t> (stage)];
    ramp.begin (mix, numSamples);
    for (int start = 0; start < numSamples; start += kMixSlice)
    {
        const int length = std::min (kMixSlice, numSamples - start);
        float dryLeft[kMixSlice], dryRight[kMixSlice];
        std::copy_n (left + start, length, dryLeft);
        std::copy_n (right + start, length, dryRight);
        process (left + start, right + start, length);
        for (int i = 0; i < length; ++i)
        {
            const float amount = ramp.value (start + i);
            left[start + i] = dryLeft[i] + (left[start + i] - dryLeft[i]) * amount;
            right[start + i] = dryRight[i] + (right[start + i] - dryRight[i]) * amount;
        }
    }
}

template <class Process>
void GlobalEffectChain::runGated (Stage stage, bool switchedOff, bool& silent, float* left, float* right, int numSamples,
                                  Process&& process) noexcept
{
    // A switched-off effect keeps its state frozen and is not shown to its
    // gate; switched on again, its mix rises from dry.
    if (switchedOff)
    {
        mixes[static_cast<std::size_t> (stage)].jumpTo (0.0f);
        return;
    }
    auto& gate = gates[static_cast<std::size_t> (stage)];
    if (! gate.mustRun (silent))
        return;
    process();
    silent = SilenceGate::isSilent (left, right, numSamples);
    gate.ran (silent, numSamples);
}

void GlobalEffectChain::process (float* left, float* right, int numSamples, const ParameterSlots& p, double tempoBpm) noexcept
{
    const auto v = [&p] (ParamID id) { return p.blockValue (id); };
    const auto modulated = [&p] (ParamID id) { return p.blockValue (id) != p.target (id); };
    // Whether the buffer is silent as it passes from effect to effect.
    bool silent = SilenceGate::isSilent (left, right, numSamples);

    auto& af = autoFilter.settings;
    af = { v (ParamID::autofilter_position), v (ParamID::autofilter_rate), v (ParamID::autofilter_depth),
           1.0f, v (ParamID::autofilter_reso), isOff (Stage::autoFilter, v (ParamID::autofilter_bypass), v (ParamID::autofilter_mix), modulated (ParamID::autofilter_mix)) };
    runGated (Stage::autoFilter, af.bypass, silent, left, right, numSamples, [&]
    {
        runMixed (Stage::autoFilter, wetShare (v (ParamID::autofilter_bypass), v (ParamID::autofilter_mix)), left, right, numSamples,
                  [this] (float* l, float* r, int n) { autoFilter.process (l, r, n); });
    });

    chorus.settings = { static_cast<int> (v (ParamID::chorus_mode)), v (ParamID::chorus_rate), v (ParamID::chorus_depth),
                        1.0f, isOff (Stage::chorus, v (ParamID::chorus_bypass), v (ParamID::chorus_mix), modulated (ParamID::chorus_mix)) };
    runGated (Stage::chorus, chorus.settings.bypass, silent, left, right, numSamples, [&]
    {
        runMixed (Stage::chorus, wetShare (v (ParamID::chorus_bypass), v (ParamID::chorus_mix)), left, right, numSamples,
                  [this] (float* l, float* r, int n) { chorus.process (l, r, n); });
    });

    // Crossover coefficients are recomputed only when a frequency moves.
    if (v (ParamID::mbsat_low_xover) != lowCrossover)
        saturator.setLowCrossover (lowCrossover = v (ParamID::mbsat_low_xover));
    if (v (ParamID::mbsat_high_xover) != highCrossover)
        saturator.setHighCrossover (highCrossover = v (ParamID::mbsat_high_xover));
    saturator.settings = { v (ParamID::mbsat_low_drive), v (ParamID::mbsat_mid_drive), v (ParamID::mbsat_high_drive),
                           v (ParamID::mbsat_low_mix), v (ParamID::mbsat_mid_mix), v (ParamID::mbsat_high_mix),
                           1.0f, isOff (Stage::saturator, v (ParamID::mbsat_bypass), v (ParamID::mbsat_mix), modulated (ParamID::mbsat_mix)) };
    runGated (Stage::saturator, saturator.settings.bypass, silent, left, right, numSamples, [&]
    {
        runMixed (Stage::saturator, wetShare (v (ParamID::mbsat_bypass), v (ParamID::mbsat_mix)), left, right, numSamples,
                  [this] (float* l, float* r, int n)
                  {
                      saturator.process (l, r, n);
                      // Its odd curves still make an offset from lopsided waveforms: it ends here.
                      DcBlocker::processPair (saturatorDcLeft, saturatorDcRight, l, r, n);
                  });
    });

    float timeLeft = v (ParamID::delay_time_l), timeRight = v (ParamID::delay_time_r);
    if (v (ParamID::delay_sync) > 0.5f && tempoBpm > 0.0)
        timeLeft = timeRight = syncedDelaySeconds (static_cast<int> (v (ParamID::delay_division)), tempoBpm);
    delay.settings = { timeLeft, timeRight, std::clamp (v (ParamID::delay_feedback), 0.0f, 0.95f), 1.0f,
                       isOff (Stage::delay, v (ParamID::delay_bypass), v (ParamID::delay_mix), modulated (ParamID::delay_mix)) };
    runGated (Stage::delay, delay.settings.bypass, silent, left, right, numSamples, [&]
    {
        runMixed (Stage::delay, wetShare (v (ParamID::delay_bypass), v (ParamID::delay_mix)), left, right, numSamples,
                  [this] (float* l, float* r, int n) { delay.process (l, r, n); });
    });

    reverb.settings = { std::clamp (v (ParamID::reverb_size), 0.0f, 1.0f), std::clamp (v (ParamID::reverb_damp), 0.0f, 1.0f),
                        1.0f, std::clamp (v (ParamID::reverb_pre_delay), 0.0f, 100.0f),
                        isOff (Stage::reverb, v (ParamID::reverb_bypass), v (ParamID::reverb_mix), modulated (ParamID::reverb_mix)) };
    runGated (Stage::reverb, reverb.settings.bypass, silent, left, right, numSamples, [&]
    {
        runMixed (Stage::reverb, wetShare (v (ParamID::reverb_bypass), v (ParamID::reverb_mix)), left, right, numSamples,
                  [this] (float* l, float* r, int n) { reverb.process (l, r, n); });
    });

    const float low = v (ParamID::eq_low_gain), mid = v (ParamID::eq_mid_gain), high = v (ParamID::eq_high_gain);
    const bool flat = std::abs (low) < kEqDeadBandDb && std::abs (mid) < kEqDeadBandDb && std::abs (high) < kEqDeadBandDb;
    eq.settings = { low, mid, high, v (ParamID::eq_bypass) > 0.5f || flat };
    eq.updateCoefficients();
    runGated (Stage::eq, eq.settings.bypass, silent, left, right, numSamples, [&] { eq.process (left, right, numSamples); });
}

} // namespace plumora
