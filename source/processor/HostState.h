#pragma once

#include <juce_data_structures/juce_data_structures.h>

namespace plumora
{

class SynthEngine;

// The parts of a sound that live in the engine rather than in parameters
// (routings, the two wavetable ids, the MPE flag), kept in the host state
// next to the parameter values so a project reopens with the whole sound.
namespace HostState
{
    // Adds them to the parameter tree's state copy.
    void writeSoundExtras (juce::ValueTree& state, const SynthEngine& engine);

    // Restores what a chunk carries (of routing lists, the first); chunks
    // from before these were saved carry none and leave the engine as it is.
    void restoreSoundExtras (const juce::ValueTree& state, SynthEngine& engine);

    // Takes them out (every routing list), so the parameter tree only ever
    // holds parameters.
    void removeSoundExtras (juce::ValueTree& state);
}

} // namespace plumora
