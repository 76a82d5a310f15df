#pragma once

#include "PresetScope.h"

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

struct PresetRouting
{
    juce::String source, target;
    float depth = 0.0f;
    juce::String scope; // "per_voice", "per_note_capture" or "global"
    bool audioRate = false;
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

// The engine's current sound in a document of the given scope; with
// skipDefaults, parameters at their catalogue default are left out.
PresetDocument capturePreset (const SynthEngine& engine, PresetScope scope, bool skipDefaults);

// Single-line JSON in the fixed property order.
juce::String presetToJson (const PresetDocument& document);
// Never fails: anything unreadable gives default fields.
PresetDocument presetFromJson (const juce::String& text);

// Writes through a temporary file that replaces the target; false on failure
// (the target then keeps its old contents). The folder must exist.
bool writePresetFile (const PresetDocument& document, const juce::File& file);
// A missing file, a folder or an empty path gives the default document.
PresetDocument readPresetFile (const juce::File& file);

// Resets the document's scope to defaults, then sets its listed values.
void applyPresetToParameters (juce::AudioProcessorValueTreeState& parameters, const PresetDocument& document);
// The same on the engine's own values, plus routings, macros and MPE where
// the scope carries them.
void applyPresetToEngine (SynthEngine& engine, const PresetDocument& document);

} // namespace plumora
