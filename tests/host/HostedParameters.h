#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

namespace plumora::test
{

// A hosted plug-in's parameter by its display name, or nullptr. Hosts see the
// plug-in's parameters by name only (plus the wrapper's MIDI-CC proxies).
inline juce::AudioProcessorParameter* parameterNamed (juce::AudioPluginInstance& plugin, const juce::String& name)
{
    for (auto* parameter : plugin.getParameters())
        if (parameter->getName (100) == name)
            return parameter;
    return nullptr;
}

} // namespace plumora::test
