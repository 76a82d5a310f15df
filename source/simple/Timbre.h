#pragma once

#include "ParameterWriter.h"

#include <juce_core/juce_core.h>

#include <vector>

namespace plumora
{

// A named starting sound of the S!MPLE timbre library.
struct Timbre
{
    juce::String name;
    juce::String wavetable;               // a factory id such as "factory:saw"
    float defaultWtPosition = 0.0f;
    bool osc2Enabled = false;
    float subLevel = 0.0f;
    float noiseLevel = 0.0f;
    std::vector<float> brightnessMap;     // drives osc1_wt_pos across the sound map
    std::vector<float> harshnessMap;      // kept with the timbre; nothing reads it yet
    std::vector<ParameterSetting> extraParams;
};

struct TimbreCategory
{
    juce::String name;
    std::vector<Timbre> timbres;
};

// The library in "timbres/index.json" under the resources folder, in file
// order. A missing, oversized or malformed file gives an empty library;
// entries that are not objects stay as nameless entries with default fields;
// extraParams names that are not parameter ids are dropped.
std::vector<TimbreCategory> loadTimbreLibrary (const juce::File& resourcesFolder);

} // namespace plumora
