#include "ParameterWriter.h"

namespace plumora
{

void ParameterWriter::set (ParamID id, float plainValue) const
{
    const auto& definition = parameterSpec (id);
    const float value = definition.clamp (plainValue);
    synth.setParameter (id, value);
    if (auto* parameter = tree.getParameter (definition.id))
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
}

} // namespace plumora
