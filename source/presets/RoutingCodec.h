#pragma once

#include "engine/ModRouting.h"

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

namespace plumora
{

// A routing as stored sounds name it: source, target and scope by their id
// texts ("lfo1", "filt_cutoff", "per_voice").
struct PresetRouting
{
    juce::String source, target;
    float depth = 0.0f;
    juce::String scope; // "per_voice", "per_note_capture" or "global"
    bool audioRate = false;
};

// The one translation between the engine's routings and stored ones, shared
// by preset files and the host state so both keep a sound alike.
namespace RoutingCodec
{
    juce::String scopeId (ModScope scope);
    // Unknown text reads as global.
    ModScope scopeFromId (const juce::String& id);

    // Routings whose target is no parameter are left out.
    std::vector<PresetRouting> encode (const std::vector<ModRouting>& routings);
    // Routings with an unknown source or target are left out; depths are
    // limited to -1..1 (NaN reads as 0).
    std::vector<ModRouting> decode (const std::vector<PresetRouting>& routings);
}

} // namespace plumora
