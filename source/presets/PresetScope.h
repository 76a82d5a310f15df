#pragma once

#include "parameters/ParameterCatalogue.h"

#include <juce_core/juce_core.h>

namespace plumora
{

// The slice of a sound a preset covers. The numeric order is stored nowhere
// but the save dialog offers the first five in this order.
enum class PresetScope : int
{
    complete = 0,
    oscillators,
    filter,
    modulation,
    effects,
    effect_autofilter,
    effect_distortion,
    effect_chorus,
    effect_delay,
    effect_reverb,
    effect_eq,
};

constexpr int kNumPresetScopes = 11;

// "complete", "oscillators", ... ; values outside 1..10 give "complete".
juce::String scopeId (PresetScope scope);
// Exact, case-sensitive; anything else (the empty text too) is complete.
PresetScope scopeFromId (const juce::String& id);

// The partial scope a parameter belongs to (complete for master_vol and fm_feedback).
PresetScope parameterScope (ParamID id) noexcept;
// True when a document of scope documentScope covers the parameter.
bool isInScope (PresetScope documentScope, ParamID id) noexcept;

// The effects a preset can target, each with its bypass parameter.
struct EffectTarget
{
    const char* id;
    ParamID bypass;
};
const std::array<EffectTarget, 7>& effectTargets() noexcept;

} // namespace plumora
