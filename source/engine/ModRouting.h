#pragma once

#include <cstdint>

namespace plumora
{

// Modulation sources; the index is what routings and presets store.
enum class ModSourceID : std::int32_t
{
    lfo1 = 0, lfo2, lfo3, lfo4,
    modenv1, modenv2,
    macro1, macro2,
    sample_and_hold,
    velocity,
    mod_wheel,
    aftertouch,
    pitch_bend,
    mpe_pressure, mpe_slide, mpe_glide,
    chord_complexity,
    note_bloom,
    repetition_bloom,
    unknown,
};

enum class ModScope : std::int32_t { global = 0, per_voice = 1, per_note_capture = 2 };

struct ModRouting
{
    ModSourceID source = ModSourceID::unknown;
    std::int32_t target = 0; // a ParamID row
    float depth = 0.0f;      // -1..1
    ModScope scope = ModScope::global;
    bool audioRate = false;
};

} // namespace plumora
