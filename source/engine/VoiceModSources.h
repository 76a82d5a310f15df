#pragma once

#include <array>

namespace plumora
{

// The per-voice modulation source values of one block, in this order.
struct VoiceModSources
{
    float modEnvelope1 = 0.0f;
    float modEnvelope2 = 0.0f;
    float velocity = 0.0f;
    float polyPressure = 0.0f;
    float mpePressure = 0.0f;
    float mpeSlide = 0.0f;
    float mpePitch = 0.0f;
    float noteBloom = 0.0f;
    float repetitionBloom = 0.0f;
    std::array<float, 4> lfos {};
};

} // namespace plumora
