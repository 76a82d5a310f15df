#pragma once

#include "LinearRamp.h"

#include <algorithm>
#include <cmath>

namespace plumora
{

// An oscillator's level and pan as the two gains it reaches the stereo mix
// with. Equal-power pan law, scaled so that the centre is unity: a centred
// slot sounds exactly as it would unpanned, a slot panned hard to one side
// keeps its loudness (+3 dB on that side, nothing on the other). Both gains
// ramp across each block, so a moving level or pan never steps.
class PannedLevel
{
public:
    // Heads for level and pan (-1 left ... 1 right) over the next numSamples;
    // false while the slot stays silent, when it need not render at all.
    bool begin (float level, float pan, int numSamples) noexcept
    {
        constexpr float kQuarterPi = 0.785398163f;
        constexpr float kCentreUnity = 1.41421356f;
        const float position = std::clamp (std::isfinite (pan) ? pan : 0.0f, -1.0f, 1.0f);
        const float angle = (position + 1.0f) * kQuarterPi;
        const bool centred = position == 0.0f; // exactly unity, not unity to rounding
        left.begin (centred ? level : level * kCentreUnity * std::cos (angle), numSamples);
        right.begin (centred ? level : level * kCentreUnity * std::sin (angle), numSamples);
        return ! (left.isSteady() && right.isSteady() && level <= kSilent);
    }

    float leftGain (int i) const noexcept { return left.value (i); }
    float rightGain (int i) const noexcept { return right.value (i); }

private:
    static constexpr float kSilent = 0.0001f;
    LinearRamp left, right;
};

} // namespace plumora
