#include "PresetScope.h"

namespace plumora
{
namespace
{
const char* const kScopeIds[kNumPresetScopes] = {
    "complete", "oscillators", "filter", "modulation", "effects", "effect_autofilter",
    "effect_distortion", "effect_chorus", "effect_delay", "effect_reverb", "effect_eq",
};

bool startsWith (const char* text, const char* prefix) noexcept
{
    return juce::String (text).startsWith (prefix);
}
} // namespace

juce::String scopeId (PresetScope scope)
{
    const int value = static_cast<int> (scope);
    return value >= 1 && value < kNumPresetScopes ? kScopeIds[value] : kScopeIds[0];
}

PresetScope scopeFromId (const juce::String& id)
{
    for (int value = 1; value < kNumPresetScopes; ++value)
        if (id == kScopeIds[value])
            return static_cast<PresetScope> (value);
    return PresetScope::complete;
}

PresetScope parameterScope (ParamID id) noexcept
{
    const char* name = parameterSpec (id).id;
    const juce::String text (name);

    if (id == ParamID::master_vol || id == ParamID::fm_feedback)
        return PresetScope::complete;
    if (text.startsWith ("filt_"))
        return PresetScope::filter;
    if (text.startsWith ("mbsat_"))
        return PresetScope::effects;
    if (text.startsWith ("autofilter_"))
        return PresetScope::effect_autofilter;
    if (text.startsWith ("dist_"))
        return PresetScope::effect_distortion;
    if (text.startsWith ("chorus_"))
        return PresetScope::effect_chorus;
    if (text.startsWith ("delay_"))
        return PresetScope::effect_delay;
    if (text.startsWith ("reverb_"))
        return PresetScope::effect_reverb;
    if (text.startsWith ("eq_"))
        return PresetScope::effect_eq;
    if (startsWith (name, "lfo") || startsWith (name, "modenv") || startsWith (name, "macro") || startsWith (name, "arp_")
        || id == ParamID::note_bloom_rate || id == ParamID::voice_mode)
        return PresetScope::modulation;
    return PresetScope::oscillators; // oscillators, sub, noise, amp envelope, FM, warmth, glide, pick
}

bool isInScope (PresetScope documentScope, ParamID id) noexcept
{
    if (documentScope == PresetScope::complete)
        return true;
    const auto own = parameterScope (id);
    if (own == documentScope)
        return true;
    return documentScope == PresetScope::effects && static_cast<int> (own) >= static_cast<int> (PresetScope::effects);
}

const std::array<EffectTarget, 7>& effectTargets() noexcept
{
    static const std::array<EffectTarget, 7> targets { {
        { "autofilter", ParamID::autofilter_bypass }, { "distortion", ParamID::dist_bypass },
        { "chorus", ParamID::chorus_bypass },         { "delay", ParamID::delay_bypass },
        { "reverb", ParamID::reverb_bypass },         { "eq", ParamID::eq_bypass },
        { "mbsat", ParamID::mbsat_bypass },
    } };
    return targets;
}

} // namespace plumora
