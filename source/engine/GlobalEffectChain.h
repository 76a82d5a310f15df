#pragma once

#include "ParameterSlots.h"
#include "SilenceGate.h"
#include "dsp/AutoFilter.h"
#include "dsp/Chorus.h"
#include "dsp/DcBlocker.h"
#include "dsp/LinearRamp.h"
#include "dsp/MultibandSaturator.h"
#include "dsp/Reverb.h"
#include "dsp/StereoDelay.h"
#include "dsp/ThreeBandEq.h"

#include <array>

namespace plumora
{

// The effects after the voices, in their fixed order: auto-filter, chorus,
// multiband saturation, delay, reverb, EQ. A module switched off, or with a
// mix below 1 %, is skipped for the block and keeps its state frozen. A module
// that has fallen silent sleeps until sound reaches it again (SilenceGate).
// The chain applies the dry/wet mixes itself, ramped across each block, so a
// moving mix never steps; switched off, an effect first fades to dry.
class GlobalEffectChain
{
public:
    void prepare (double sampleRate);
    // Every effect silent and cleared, as prepare leaves them; allocates nothing.
    void reset() noexcept;
    void process (float* left, float* right, int numSamples, const ParameterSlots& slots, double tempoBpm) noexcept;

    // Seconds of the synced delay time for a division at a tempo (clamped to the delay's range).
    static float syncedDelaySeconds (int division, double tempoBpm) noexcept;

    // For tests and meters: whether an effect (in chain order, 0..5) sleeps.
    bool isAsleep (int stage) const noexcept { return gates[static_cast<std::size_t> (stage)].isAsleep(); }

private:
    enum class Stage : int { autoFilter, chorus, saturator, delay, reverb, eq };

    template <class Process>
    void runGated (Stage, bool switchedOff, bool& silent, float* left, float* right, int numSamples, Process&&) noexcept;
    bool isOff (Stage, float bypass, float mix, bool mixModulated) const noexcept;
    // Runs an effect that renders its wet sound only, and mixes it with the dry.
    template <class Process>
    void runMixed (Stage, float mix, float* left, float* right, int numSamples, Process&&) noexcept;

    AutoFilter autoFilter;
    Chorus chorus;
    MultibandSaturator saturator;
    DcBlocker saturatorDcLeft, saturatorDcRight;
    StereoDelay delay;
    Reverb reverb;
    ThreeBandEq eq;
    float lowCrossover = -1.0f, highCrossover = -1.0f;
    std::array<SilenceGate, 6> gates;
    std::array<LinearRamp, 6> mixes;
};

} // namespace plumora
