#pragma once

#include "PresetScope.h"
#include "RoutingCodec.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <utility>
#include <vector>

namespace plumora
{

class SynthEngine;

struct PresetTags
{
    juce::String category, complexity;
    juce::StringArray character;
};

// What the S!MPLE page needs to show a preset as it was saved there.
struct SimpleMeta
{
    bool present = false;
    juce::String timbreName, timbreCategory;
    std::array<int, 5> steps { -1, -1, -1, -1, -1 };
};

// A whole sound or one slice of it, as stored in a ".pmpreset" file.
struct PresetDocument
{
    juce::String name;
    int version = 1;
    PresetScope scope = PresetScope::complete;
    PresetTags tags;
    juce::String effectTarget;
    juce::String wavetable1, wavetable2; // empty: the oscillator keeps its table
    std::vector<std::pair<juce::String, float>> parameters;
    std::vector<PresetRouting> routings;
    float macro1 = 0.0f, macro2 = 0.0f;
    bool mpeEnabled = false;
    SimpleMeta simpleMeta;
    juce::String savedFromMode; // "beginner", "advanced" or empty
};

// The current sound in a document of the given scope: the parameter values
// (as the host parameters hold them) and what only the engine keeps
// (routings, the MPE flag). With skipDefaults, parameters at their catalogue
// default are left out.
PresetDocument capturePreset (const ParameterValues& values, const SynthEngine& engine, PresetScope scope, bool skipDefaults);

// Single-line JSON in the fixed property order.
juce::String presetToJson (const PresetDocument& document);
// Never fails: anything unreadable gives default fields.
PresetDocument presetFromJson (const juce::String& text);

// Writes through a temporary file that replaces the target; false on failure
// (the target then keeps its old contents). The folder must exist.
bool writePresetFile (const PresetDocument& document, const juce::File& file);
// A missing file, a folder or an empty path gives the default document.
PresetDocument readPresetFile (const juce::File& file);

// Resets the document's scope to defaults, then sets its listed values. The
// macro parameters come from "parameters" like any other; a document's
// "macros" record what was saved and set nothing.
void applyPresetToParameters (juce::AudioProcessorValueTreeState& parameters, const PresetDocument& document);
// The values applying the document over the given ones leads to, each
// clamped to its range (for a morph target, or an engine without host).
ParameterValues presetValuesOver (ParameterValues values, const PresetDocument& document);
// What the engine keeps beyond the parameters, where the scope carries it:
// the routings and the MPE flag.
void applyPresetToEngine (SynthEngine& engine, const PresetDocument& document);

} // namespace plumora
