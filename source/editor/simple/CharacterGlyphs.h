#pragma once

#include "simple/CharacterMap.h"

#include <juce_graphics/juce_graphics.h>

namespace plumora
{

// A step's picture in unit coordinates (x and y in 0 ... 1, y downwards),
// drawn from the values the step sets: a filter curve for tone, an envelope
// for punch, a wave for movement, a decaying tail for space, stacked voices
// for density; nothing for a map of no known kind.
juce::Path characterGlyph (CharacterMapKind kind, const CharacterStep& step);

// What a step does, appended to its label (" - LP filter at 5 kHz ...").
juce::String characterStepDescription (CharacterMapKind kind, const CharacterStep& step);

// What a whole dimension controls ("Tone - Controls brightness ...").
juce::String characterMapDescription (CharacterMapKind kind);

} // namespace plumora
