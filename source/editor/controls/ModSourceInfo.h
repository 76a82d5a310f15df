#pragma once

#include "engine/ModRouting.h"

#include <juce_graphics/juce_graphics.h>

namespace plumora
{

// How the editor names and colours a modulation source: one table, shared
// by the knobs' rings and menus, the matrix and the drag handles.
juce::String modSourceShortName (ModSourceID source);
juce::Colour modSourceColour (ModSourceID source);
// What a source is, for tooltips.
juce::String modSourceDescription (ModSourceID source);

// The scope a dropped source's routing gets: per voice for the envelopes and
// per-key expression, captured at note start for velocity, global otherwise.
ModScope scopeForDroppedSource (ModSourceID source) noexcept;

} // namespace plumora
