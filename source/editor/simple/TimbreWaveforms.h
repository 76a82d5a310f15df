#pragma once

#include "dsp/Wavetable.h"

#include <juce_graphics/juce_graphics.h>

#include <vector>

namespace plumora
{

// One cycle of table at position, 49 points across the unit square (x the
// phase, y = 0.5 - 0.4 * sample), for a tile to scale into its own bounds.
juce::Path waveformThumbnail (const Wavetable& table, float position);

// The strip's caption band on top; the traces share what is below it.
constexpr float kStripCaptionHeight = 16.0f;

// Every frame of table as one trace in its own band of the strip below the
// caption, first frame on top; none when the strip has no room.
std::vector<juce::Path> frameTraces (const Wavetable& table, juce::Rectangle<float> strip);

} // namespace plumora
