#include "MusicalScale.h"

#include <cmath>

namespace plumora
{

bool turnsLogarithmically (const ParameterSpec& row) noexcept
{
    return row.min > 0.0f && row.max / row.min > 100.0f;
}

juce::NormalisableRange<double> logarithmicRange (const juce::NormalisableRange<float>& range)
{
    const double start = range.start, end = range.end;
    juce::NormalisableRange<double> scaled (
        start, end,
        [] (double low, double high, double proportion) { return low * std::pow (high / low, juce::jlimit (0.0, 1.0, proportion)); },
        [] (double low, double high, double value) { return juce::jlimit (0.0, 1.0, std::log (juce::jmax (value, low) / low) / std::log (high / low)); },
        [range] (double, double, double value) { return static_cast<double> (range.snapToLegalValue (static_cast<float> (value))); });
    scaled.interval = range.interval;
    return scaled;
}

} // namespace plumora
