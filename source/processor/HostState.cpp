#include "HostState.h"

#include "dsp/FactoryWavetables.h"
#include "engine/SynthEngine.h"
#include "presets/RoutingCodec.h"
#include "presets/SafeJson.h"

namespace plumora::HostState
{
namespace
{
const juce::Identifier kRoutings ("MODROUTINGS");
const juce::Identifier kRouting ("ROUTING");
const juce::Identifier kSource ("source"), kTarget ("target"), kDepth ("depth"), kScope ("scope"), kAudioRate ("audioRate");
const juce::Identifier kWavetable1 ("wavetable1"), kWavetable2 ("wavetable2"), kMpe ("mpeEnabled");
} // namespace

void writeSoundExtras (juce::ValueTree& state, const SynthEngine& engine)
{
    state.setProperty (kWavetable1, juce::String (engine.wavetableId (0)), nullptr);
    state.setProperty (kWavetable2, juce::String (engine.wavetableId (1)), nullptr);
    state.setProperty (kMpe, engine.isMpeEnabled(), nullptr);

    // The chunk keeps a routing's scope as its number (0 global, 1 per voice,
    // 2 per note), as chunks always have.
    juce::ValueTree routings (kRoutings);
    for (const auto& routing : RoutingCodec::encode (engine.modMatrix().routings()))
    {
        juce::ValueTree item (kRouting);
        item.setProperty (kSource, routing.source, nullptr);
        item.setProperty (kTarget, routing.target, nullptr);
        item.setProperty (kDepth, routing.depth, nullptr);
        item.setProperty (kScope, static_cast<int> (RoutingCodec::scopeFromId (routing.scope)), nullptr);
        item.setProperty (kAudioRate, routing.audioRate, nullptr);
        routings.appendChild (item, nullptr);
    }
    state.appendChild (routings, nullptr);
}

void restoreSoundExtras (const juce::ValueTree& state, SynthEngine& engine)
{
    const juce::Identifier* tableIds[] = { &kWavetable1, &kWavetable2 };
    for (int slot = 0; slot < 2; ++slot)
        if (state.hasProperty (*tableIds[slot]))
        {
            const auto requested = state.getProperty (*tableIds[slot]).toString().toStdString();
            const auto id = isFactoryWavetableName (requested) ? requested : std::string ("factory:analog_stack");
            engine.setWavetable (slot, makeFactoryWavetable (id), id);
        }

    if (state.hasProperty (kMpe))
        engine.setMpeEnabled (static_cast<bool> (state.getProperty (kMpe)));

    const auto routings = state.getChildWithName (kRoutings);
    if (! routings.isValid())
        return;

    std::vector<PresetRouting> stored;
    for (const auto& item : routings)
    {
        const int scope = static_cast<int> (item.getProperty (kScope));
        if (scope < 0 || scope > 2)
            continue;
        stored.push_back ({ item.getProperty (kSource).toString(), item.getProperty (kTarget).toString(),
                            static_cast<float> (doubleFrom (item.getProperty (kDepth))),
                            RoutingCodec::scopeId (static_cast<ModScope> (scope)), static_cast<bool> (item.getProperty (kAudioRate)) });
    }
    engine.modMatrix().replaceRoutings (RoutingCodec::decode (stored));
}

void removeSoundExtras (juce::ValueTree& state)
{
    // Every list, not just the one restored: one left in the parameter tree
    // would be saved again ahead of the engine's, and read on the next restore.
    for (auto routings = state.getChildWithName (kRoutings); routings.isValid(); routings = state.getChildWithName (kRoutings))
        state.removeChild (routings, nullptr);
}

} // namespace plumora::HostState
