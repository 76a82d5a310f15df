#pragma once

// Sounds the processor tests start from, set through the host parameters as
// a user or host would.

#include "presets/HostParameters.h"
#include "presets/PresetDocument.h"
#include "processor/PluginProcessor.h"

namespace plumora::test
{

inline void set (PlumoraAudioProcessor& processor, ParamID id, float value)
{
    HostParameters::write (processor.parameters(), id, value);
}

// The catalogue defaults under the given name, with every global effect off.
inline void loadDryDefaults (PlumoraAudioProcessor& processor, const juce::String& name)
{
    PresetDocument defaults;
    defaults.name = name;
    processor.presets().loadPreset (defaults);
    for (const auto bypass : { ParamID::autofilter_bypass, ParamID::chorus_bypass, ParamID::mbsat_bypass, ParamID::delay_bypass,
                               ParamID::reverb_bypass, ParamID::eq_bypass })
        set (processor, bypass, 1.0f);
}

} // namespace plumora::test
