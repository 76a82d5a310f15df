#include "CharacterMapState.h"

#include <algorithm>
#include <array>
#include <optional>

namespace plumora
{
namespace
{
// The parameters an animation prefers, when a map sets any of them.
constexpr std::array<ParamID, 4> kPreferredAnimationTargets {
    ParamID::filt_cutoff, ParamID::osc1_wt_pos, ParamID::osc1_detune, ParamID::reverb_mix
};

struct LfoParameters { ModSourceID source; ParamID rate, depth; };
constexpr std::array<LfoParameters, 4> kLfos { {
    { ModSourceID::lfo1, ParamID::lfo1_rate, ParamID::lfo1_depth },
    { ModSourceID::lfo2, ParamID::lfo2_rate, ParamID::lfo2_depth },
    { ModSourceID::lfo3, ParamID::lfo3_rate, ParamID::lfo3_depth },
    { ModSourceID::lfo4, ParamID::lfo4_rate, ParamID::lfo4_depth },
} };

struct EnvelopeParameters { ModSourceID source; ParamID attack; };
constexpr std::array<EnvelopeParameters, 2> kEnvelopes { {
    { ModSourceID::modenv1, ParamID::modenv1_attack },
    { ModSourceID::modenv2, ParamID::modenv2_attack },
} };

constexpr float kAnimationLfoDepth = 1.0f;
constexpr float kResonanceAttackSeconds = 0.3f;
constexpr float kResonanceDepth = 0.5f;

struct LfoRecipe { float rateHz, depth; };
struct TargetRecipe { ParamID target; LfoRecipe recipe; };
constexpr TargetRecipe kTargetRecipes[] = {
    { ParamID::osc1_wt_pos, { 0.1f, 0.6f } }, { ParamID::osc2_wt_pos, { 0.1f, 0.6f } },
    { ParamID::osc1_tune, { 5.0f, 0.05f } }, { ParamID::osc2_tune, { 5.0f, 0.05f } },
    { ParamID::osc1_detune, { 0.5f, 0.2f } }, { ParamID::osc2_detune, { 0.5f, 0.2f } },
    { ParamID::osc2_level, { 1.0f, 0.3f } }, { ParamID::osc2_pan, { 1.0f, 0.3f } }, { ParamID::master_vol, { 1.0f, 0.3f } },
    { ParamID::filt_cutoff, { 2.0f, 0.5f } },
};
constexpr LfoRecipe kOtherTargetRecipe { 1.0f, 0.4f };

LfoRecipe lfoRecipeFor (ParamID target) noexcept
{
    for (const auto& entry : kTargetRecipes)
        if (entry.target == target)
            return entry.recipe;
    return kOtherTargetRecipe;
}

bool isUsedAsSource (const std::vector<ModRouting>& routings, ModSourceID source)
{
    return std::any_of (routings.begin(), routings.end(), [source] (const ModRouting& routing) { return routing.source == source; });
}

std::optional<LfoParameters> firstFreeLfo (const std::vector<ModRouting>& routings)
{
    for (const auto& lfo : kLfos)
        if (! isUsedAsSource (routings, lfo.source))
            return lfo;
    return std::nullopt;
}

bool isMapParameter (const CharacterMapState& state, int target)
{
    return std::any_of (state.mapParameters.begin(), state.mapParameters.end(),
                        [target] (ParamID id) { return index (id) == target; });
}

// Walks the engine's list and drops the routings matching a step routing's
// source and target.
void removeConnections (std::vector<ModRouting>& routings, const std::vector<StepRouting>& added)
{
    routings.erase (std::remove_if (routings.begin(), routings.end(), [&added] (const ModRouting& routing)
    {
        return std::any_of (added.begin(), added.end(), [&routing] (const StepRouting& step)
        {
            return routing.source == step.source && routing.target == index (step.target);
        });
    }), routings.end());
}

void removeRoutingsOntoMap (std::vector<ModRouting>& routings, const CharacterMapState& state)
{
    routings.erase (std::remove_if (routings.begin(), routings.end(),
                                    [&state] (const ModRouting& routing) { return isMapParameter (state, routing.target); }),
                    routings.end());
}

// One hand-over for the whole edit, and none when it changed nothing.
void publishIfChanged (ModMatrix& matrix, std::vector<ModRouting> routings)
{
    if (routings.size() != matrix.routings().size())
        matrix.replaceRoutings (std::move (routings));
}

ParamID animationTarget (const CharacterMapState& state)
{
    for (const auto id : state.mapParameters) // ascending
        if (std::find (kPreferredAnimationTargets.begin(), kPreferredAnimationTargets.end(), id) != kPreferredAnimationTargets.end())
            return id;
    return state.mapParameters.front();
}
} // namespace

CharacterMapState::CharacterMapState (CharacterMap characterMap)
    : map (std::move (characterMap)), currentStep (map.initialStep)
{
    for (const auto& step : map.steps)
        for (const auto& setting : step.params)
            mapParameters.push_back (setting.id);
    std::sort (mapParameters.begin(), mapParameters.end());
    mapParameters.erase (std::unique (mapParameters.begin(), mapParameters.end()), mapParameters.end());
}

void applyStep (CharacterMapState& state, int stepIndex, const ParameterWriter& writer)
{
    if (stepIndex < 0 || stepIndex >= static_cast<int> (state.map.steps.size()))
        return;

    auto& matrix = writer.engine().modMatrix();
    auto routings = matrix.routings();
    removeConnections (routings, state.addedRoutings);
    // A connection the step makes replaces one already there (a preset's own,
    // or one made by hand) rather than doubling its depth.
    const auto& step = state.map.steps[static_cast<std::size_t> (stepIndex)];
    removeConnections (routings, step.routings);
    state.addedRoutings.clear();
    state.currentStep = stepIndex;

    for (const auto& setting : step.params)
        writer.set (setting.id, setting.value);

    for (const auto& routing : step.routings)
    {
        routings.push_back ({ routing.source, index (routing.target), routing.depth, routing.scope, false });
        state.addedRoutings.push_back (routing);
    }
    matrix.replaceRoutings (std::move (routings));
}

void restoreStep (CharacterMapState& state, int stepIndex)
{
    if (stepIndex < 0 || stepIndex >= static_cast<int> (state.map.steps.size()))
        return;
    state.currentStep = stepIndex;
    state.addedRoutings = state.map.steps[static_cast<std::size_t> (stepIndex)].routings;
}

void resetMap (CharacterMapState& state, const ParameterWriter& writer)
{
    state.currentStep = -1;
    state.animating = false;

    auto& matrix = writer.engine().modMatrix();
    auto routings = matrix.routings();
    removeConnections (routings, state.addedRoutings);
    state.addedRoutings.clear();
    removeRoutingsOntoMap (routings, state);
    publishIfChanged (matrix, std::move (routings));

    for (const auto id : state.mapParameters)
        writer.setToDefault (id);
}

void toggleAnimation (CharacterMapState& state, const ParameterWriter& writer)
{
    if (state.animating)
    {
        auto& matrix = writer.engine().modMatrix();
        auto routings = matrix.routings();
        removeRoutingsOntoMap (routings, state);
        publishIfChanged (matrix, std::move (routings));
        state.animating = false;
        return;
    }

    if (! state.mapParameters.empty())
        state.animating = startAnimation (animationTarget (state), writer);
}

bool startAnimation (ParamID target, const ParameterWriter& writer)
{
    auto& matrix = writer.engine().modMatrix();
    const auto routings = matrix.routings();

    // The source's settings go through the host parameters too: the next
    // block's parameter push would otherwise put back the host's values
    // (an LFO depth of 0 would leave the routing moving nothing).
    if (target == ParamID::filt_reso)
    {
        for (const auto& envelope : kEnvelopes)
            if (! isUsedAsSource (routings, envelope.source))
            {
                writer.set (envelope.attack, kResonanceAttackSeconds);
                matrix.addRouting (envelope.source, index (target), kResonanceDepth, ModScope::per_voice, false);
                return true;
            }
        // Both envelopes are busy: a free LFO, set moving like any other
        // animation's (at a depth of 0 it would move nothing).
        if (const auto lfo = firstFreeLfo (routings))
        {
            writer.set (lfo->rate, lfoRecipeFor (target).rateHz);
            writer.set (lfo->depth, kAnimationLfoDepth);
            matrix.addRouting (lfo->source, index (target), kResonanceDepth, ModScope::global, false);
            return true;
        }
        return false;
    }

    const auto lfo = firstFreeLfo (routings);
    if (! lfo)
        return false;
    const auto recipe = lfoRecipeFor (target);
    writer.set (lfo->rate, recipe.rateHz);
    writer.set (lfo->depth, kAnimationLfoDepth);
    matrix.addRouting (lfo->source, index (target), recipe.depth, ModScope::global, false);
    return true;
}

} // namespace plumora
