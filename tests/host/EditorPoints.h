#pragma once

#include <juce_graphics/juce_graphics.h>

namespace plumora::test
{

// A point on the PRO page's "Filter Cutoff" knob, in the editor's logical
// pixels: where the host tests turn a knob as a user would. The editor tests
// check that a click there still lands on that knob.
constexpr juce::Point<int> kFilterCutoffKnob { 907, 100 };

} // namespace plumora::test
