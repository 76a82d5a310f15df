#include "HostParameters.h"

namespace plumora::HostParameters
{

ParameterValues read (juce::AudioProcessorValueTreeState& parameters)
{
    ParameterValues values {};
    for (int row = 0; row < kNumParameters; ++row)
    {
        const auto& definition = parameterCatalogue()[row];
        const auto* value = parameters.getRawParameterValue (definition.id);
        values[static_cast<std::size_t> (row)] = value != nullptr ? value->load() : definition.defaultValue;
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
