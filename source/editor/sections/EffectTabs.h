#pragma once

#include "parameters/ParameterCatalogue.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <functional>

namespace plumora
{

// The six global effects as the effects section lists them, in tab order.
struct EffectTabInfo
{
    const char* shortName;
    const char* longName;
    const char* effectId; // what an effects preset names as its target
    ParamID bypass;
    int firstKnob, knobCount; // the effect's knobs in the section's knob list
};
constexpr int effectTabCount = 6;
const std::array<EffectTabInfo, effectTabCount>& effectTabs() noexcept;

// One tab's live state: how strongly the effect acts (0 ... 1 drawn), a
// short text of its main settings and whether it is audible at all.
struct EffectTabRecord
{
    juce::String shortName;
    float amount = 0.0f;
    juce::String summary;
    bool active = false;
    juce::Rectangle<int> bounds;
};

// Fills amount, summary and active of tab from parameter values (plain
// units). Values outside a parameter's range (or not numbers) are read as
// the nearest value in range, so the texts stay short and readable.
void summariseEffect (int tab, const std::function<float (ParamID)>& value, EffectTabRecord& record);

// A tab row: its fill, dot, name, amount bar and summary; shown adds the outline.
void paintEffectTab (juce::Graphics& g, const EffectTabRecord& record, bool shown);

} // namespace plumora
