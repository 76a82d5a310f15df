#pragma once

#include "engine/SynthEngine.h"
#include "processor/ParameterCatalogue.h"

#include <juce_audio_processors/juce_audio_processors.h>

namespace plumora
{

// One parameter value as the S!MPLE data files list them.
struct ParameterSetting
{
    ParamID id;
    float value;
};

// Sets sound parameters the way every S!MPLE control does: on the engine, so
// the sound changes at once, and on the host-visible parameter, so the host,
// the editor and the next block's parameter push all agree. A value written
// to the engine alone would be undone by that push one block later.
// Message thread only.
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
