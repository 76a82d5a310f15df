#pragma once

#include "ParameterCatalogue.h"

#include <optional>
#include <string>

namespace plumora
{

// The text a host shows for a parameter value, by the row's kind. Nothing for
// the kinds that leave the text to the framework's default numeric format.
std::optional<std::string> parameterValueText (const ParameterSpec& definition, float value);

} // namespace plumora
