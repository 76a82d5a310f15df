#include "RoutingCodec.h"

#include "engine/ModMatrix.h"
#include "parameters/ParameterCatalogue.h"

#include <algorithm>
#include <cmath>

namespace plumora::RoutingCodec
{

juce::String scopeId (ModScope scope)
{
    switch (scope)
    {
        case ModScope::per_voice:        return "per_voice";
        case ModScope::per_note_capture: return "per_note_capture";
        case ModScope::global:
        default:                         return "global";
    }
}

ModScope scopeFromId (const juce::String& id)
{
    if (id == "per_voice")
        return ModScope::per_voice;
    if (id == "per_note_capture")
        return ModScope::per_note_capture;
    return ModScope::global;
}

std::vector<PresetRouting> encode (const std::vector<ModRouting>& routings)
{
    std::vector<PresetRouting> stored;
    for (const auto& routing : routings)
        if (const auto target = paramIDFromIndex (routing.target))
            stored.push_back ({ modSourceId (routing.source), parameterSpec (*target).id, routing.depth, scopeId (routing.scope),
                                routing.audioRate });
    return stored;
}

std::vector<ModRouting> decode (const std::vector<PresetRouting>& stored)
{
    std::vector<ModRouting> routings;
    for (const auto& routing : stored)
    {
        const auto source = modSourceFromId (routing.source.toRawUTF8());
        const auto target = findParamID (routing.target.toStdString());
        if (source == ModSourceID::unknown || ! target)
            continue;
        const float depth = std::isnan (routing.depth) ? 0.0f : std::clamp (routing.depth, -1.0f, 1.0f);
        routings.push_back ({ source, index (*target), depth, scopeFromId (routing.scope), routing.audioRate });
    }
    return routings;
}

} // namespace plumora::RoutingCodec
