#include "ParameterWriter.h"

#include "presets/HostParameters.h"

namespace plumora
{

void ParameterWriter::set (ParamID id, float plainValue) const
{
    HostParameters::write (tree, id, plainValue);
}

} // namespace plumora
