#include "HostParameters.h"

#include "ShortestDecimal.h"

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
    return static_cast<float> (shortestDecimal (held, [&parameter, held] (double candidate)
    {
        const auto plain = static_cast<float> (candidate);
        return parameter.convertFrom0to1 (parameter.convertTo0to1 (plain)) == held;
    }));
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
