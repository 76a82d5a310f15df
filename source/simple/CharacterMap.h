#pragma once

#include "ParameterWriter.h"
#include "engine/ModRouting.h"

#include <juce_core/juce_core.h>

#include <vector>

namespace plumora
{

// A modulation routing a character step adds: one of the LFOs, mod
// envelopes or macros onto a parameter.
struct StepRouting
{
    ModSourceID source = ModSourceID::lfo1;
    ParamID target = ParamID::filt_cutoff;
    float depth = 0.0f;
    ModScope scope = ModScope::global;

    bool sameConnection (const StepRouting& other) const noexcept { return source == other.source && target == other.target; }
};

struct CharacterStep
{
    juce::String label;
    std::vector<ParameterSetting> params; // in file order
    std::vector<StepRouting> routings;
};

// One S!MPLE character dimension: a row of steps from gentle to strong.
struct CharacterMap
{
    juce::String name;
    std::vector<CharacterStep> steps;
    int initialStep = -1; // no step selected
};

// Which dimension a map is, from its exact name ("Tone", "Punch", ...).
enum class CharacterMapKind { none, tone, punch, movement, space, density };
CharacterMapKind characterMapKind (const juce::String& mapName) noexcept;

// One map file. A file that is not a JSON object gives a nameless map
// without steps; non-object steps stay as empty steps; parameter names that
// are not ids and routings with an unknown source or target are dropped.
CharacterMap loadCharacterMap (const juce::File& file);

// The maps under resources/character_maps, in the order tone, punch,
// movement, space, density; a missing, folder or oversized file is skipped.
std::vector<CharacterMap> loadCharacterMaps (const juce::File& resourcesFolder);

} // namespace plumora
