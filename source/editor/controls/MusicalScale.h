#pragma once

#include "parameters/ParameterCatalogue.h"

#include <juce_core/juce_core.h>

namespace plumora
{

// Host parameters map their ranges linearly (an automation lane does), which
// puts 10-20 kHz on half of a cutoff's travel. A knob for a range spanning
// more than two decades (cutoffs, envelope and LFO times and rates, delay
// times) turns on a logarithmic scale instead: equal drags make about equal
// musical steps. The values it writes stay plain values.
bool turnsLogarithmically (const ParameterSpec& row) noexcept;

// The same bounds and snapping as range, walked logarithmically.
juce::NormalisableRange<double> logarithmicRange (const juce::NormalisableRange<float>& range);

} // namespace plumora
