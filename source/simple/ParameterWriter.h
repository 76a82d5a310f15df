#pragma once

#include "engine/SynthEngine.h"
#include "parameters/ParameterCatalogue.h"

#include <juce_audio_processors/juce_audio_processors.h>

namespace plumora
{

// One parameter value as the S!MPLE data files list them.
struct ParameterSetting
{
    ParamID id;
    float value;
};

// Sets sound parameters the way every S!MPLE control does: on the
// host-visible parameter, the one store of values, which the host and the
// editor see at once and the engine takes at its next block. The engine is
// reached for what only it keeps (routings, wavetables). Message thread only.
class ParameterWriter
{
public:
    ParameterWriter (SynthEngine& engine, juce::AudioProcessorValueTreeState& parameters) noexcept
        : synth (engine), tree (parameters) {}

    // Clamped to the catalogue range; the host parameter snaps it to a legal
    // value. Host notification, no change gesture.
    void set (ParamID id, float plainValue) const;
    void setToDefault (ParamID id) const { set (id, parameterSpec (id).defaultValue); }

    SynthEngine& engine() const noexcept { return synth; }

private:
    SynthEngine& synth;
    juce::AudioProcessorValueTreeState& tree;
};

} // namespace plumora
