#pragma once

#include "parameters/ParameterCatalogue.h"

#include <juce_audio_processors/juce_audio_processors.h>

namespace plumora
{

// The host-visible parameters are the one store of the sound's values: what
// the user set is there, whether or not audio has run since. The engine gets
// its copy at the start of every block.
namespace HostParameters
{
    // Every parameter's plain value, in ParamID order: the shortest decimal
    // the parameter holds as it is (15, not the 15.000001 it keeps).
    ParameterValues read (juce::AudioProcessorValueTreeState& parameters);

    // Clamped to the catalogue range; the parameter snaps it to a legal value
    // and tells the host. No change gesture.
    void write (juce::AudioProcessorValueTreeState& parameters, ParamID id, float plainValue);
}

} // namespace plumora
