#include "HostParameters.h"

#include <cstdio>
#include <cstdlib>

namespace plumora::HostParameters
{
namespace
{
// A parameter keeps its value normalised, so 15 comes back as 15.000001 and
// 6 as 5.9999924. The value meant is the shortest decimal that the
// parameter keeps as exactly what it holds: written into a preset it reads
// back the same, and an untouched value equals its default.
float meantValue (const juce::RangedAudioParameter& parameter, float held)
{
    const auto keptAs = [&parameter] (float plain) { return parameter.convertFrom0to1 (parameter.convertTo0to1 (plain)); };
    char text[32];
    for (int digits = 1; digits <= 9; ++digits)
    {
        std::snprintf (text, sizeof (text), "%.*g", digits, static_cast<double> (held));
        const auto candidate = static_cast<float> (std::strtod (text, nullptr));
        if (keptAs (candidate) == held)
            return candidate;
    }
    return held;
}
} // namespace

ParameterValues read (juce::AudioProcessorValueTreeState& parameters)
{
    ParameterValues values {};
    for (int row = 0; row < kNumParameters; ++row)
    {
        const auto& definition = parameterCatalogue()[row];
        const auto* parameter = parameters.getParameter (definition.id);
        const auto* value = parameters.getRawParameterValue (definition.id);
        values[static_cast<std::size_t> (row)] = parameter != nullptr && value != nullptr ? meantValue (*parameter, value->load())
                                                                                           : definition.defaultValue;
    }
    return values;
}

void write (juce::AudioProcessorValueTreeState& parameters, ParamID id, float plainValue)
{
    const auto& definition = parameterSpec (id);
    if (auto* parameter = parameters.getParameter (definition.id))
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (definition.clamp (plainValue)));
}

} // namespace plumora::HostParameters
