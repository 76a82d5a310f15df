#include "CharacterMap.h"

#include "DataFile.h"

#include <optional>

namespace plumora
{
namespace
{
const char* const kMapFiles[] = { "tone", "punch", "movement", "space", "density" };

// The sources a step may use, by the names the map files give them.
std::optional<ModSourceID> stepSourceFrom (const juce::String& name)
{
    struct Entry { const char* name; ModSourceID source; };
    constexpr Entry kSources[] = {
        { "LFO1", ModSourceID::lfo1 }, { "LFO2", ModSourceID::lfo2 }, { "LFO3", ModSourceID::lfo3 }, { "LFO4", ModSourceID::lfo4 },
        { "ModEnv1", ModSourceID::modenv1 }, { "ModEnv2", ModSourceID::modenv2 },
        { "Macro1", ModSourceID::macro1 }, { "Macro2", ModSourceID::macro2 },
    };
    for (const auto& entry : kSources)
        if (name == entry.name)
            return entry.source;
    return std::nullopt;
}

ModScope stepScopeFrom (const juce::String& name)
{
    if (name == "PerVoice")
        return ModScope::per_voice;
    if (name == "PerNoteCapture")
        return ModScope::per_note_capture;
    return ModScope::global;
}

std::optional<StepRouting> routingFrom (const juce::var& json)
{
    if (! json.isObject())
        return std::nullopt;
    const auto source = stepSourceFrom (textFrom (json["source"]));
    const auto target = findParamID (textFrom (json["target"]).toStdString());
    if (! source || ! target)
        return std::nullopt;
    return StepRouting { *source, *target, numberFrom (json["depth"]), stepScopeFrom (textFrom (json["scope"])) };
}

CharacterStep stepFrom (const juce::var& json)
{
    CharacterStep step;
    if (! json.isObject())
        return step;
    step.label = textFrom (json["label"]);
    step.params = parameterSettingsFrom (json["params"]);
    if (const auto* routings = json["routings"].getArray())
        for (const auto& routing : *routings)
            if (const auto parsed = routingFrom (routing))
                step.routings.push_back (*parsed);
    return step;
}
} // namespace

CharacterMapKind characterMapKind (const juce::String& mapName) noexcept
{
    if (mapName == "Tone")
        return CharacterMapKind::tone;
    if (mapName == "Punch")
        return CharacterMapKind::punch;
    if (mapName == "Movement")
        return CharacterMapKind::movement;
    if (mapName == "Space")
        return CharacterMapKind::space;
    if (mapName == "Density")
        return CharacterMapKind::density;
    return CharacterMapKind::none;
}

CharacterMap loadCharacterMap (const juce::File& file)
{
    CharacterMap map;
    const auto json = readDataFile (file);
    if (! json.isObject())
        return map;
    map.name = textFrom (json["name"]);
    if (const auto* steps = json["steps"].getArray())
        for (const auto& step : *steps)
            map.steps.push_back (stepFrom (step));
    return map;
}

std::vector<CharacterMap> loadCharacterMaps (const juce::File& resourcesFolder)
{
    std::vector<CharacterMap> maps;
    const auto folder = resourcesFolder.getChildFile ("character_maps");
    for (const auto* name : kMapFiles)
    {
        const auto file = folder.getChildFile (juce::String (name) + ".json");
        if (isReadableDataFile (file))
            maps.push_back (loadCharacterMap (file));
    }
    return maps;
}

} // namespace plumora
