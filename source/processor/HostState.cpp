#include "HostState.h"

#include "dsp/FactoryWavetables.h"
#include "engine/SynthEngine.h"
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

    juce::ValueTree routings (kRoutings);
    for (const auto& routing : engine.modMatrix().routings())
    {
        const auto target = paramIDFromIndex (routing.target);
        if (! target)
            continue;
        juce::ValueTree item (kRouting);
        item.setProperty (kSource, modSourceId (routing.source), nullptr);
        item.setProperty (kTarget, parameterSpec (*target).id, nullptr);
        item.setProperty (kDepth, routing.depth, nullptr);
        item.setProperty (kScope, static_cast<int> (routing.scope), nullptr);
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

    std::vector<ModRouting> list;
    for (const auto& item : routings)
    {
        const auto source = modSourceFromId (item.getProperty (kSource).toString().toRawUTF8());
        const auto target = findParamID (item.getProperty (kTarget).toString().toStdString());
        const int scope = static_cast<int> (item.getProperty (kScope));
        if (source == ModSourceID::unknown || ! target || scope < 0 || scope > 2)
            continue;
        list.push_back ({ source, index (*target), static_cast<float> (doubleFrom (item.getProperty (kDepth))),
                          static_cast<ModScope> (scope), static_cast<bool> (item.getProperty (kAudioRate)) });
    }
    engine.modMatrix().replaceRoutings (std::move (list));
}

void removeSoundExtras (juce::ValueTree& state)
{
    state.removeChild (state.getChildWithName (kRoutings), nullptr);
}

} // namespace plumora::HostState
