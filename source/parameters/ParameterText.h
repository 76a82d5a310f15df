#pragma once

#include "ParameterCatalogue.h"

#include <optional>
#include <string>
#include <string_view>

namespace plumora
{

// The text a host shows for a parameter value, by the row's kind. Nothing for
// the kinds that leave the text to the framework's default numeric format.
std::optional<std::string> parameterValueText (const ParameterSpec& definition, float value);

// The value a typed text means, read the way values are shown: a name of a
// stepped kind ("LP24", "Bypass"; any case), or a number with or without
// the row's unit ("5000", "5000 Hz", "5k" for hertz, "250 ms" for seconds),
// percentages in percent ("50" or "50%" is 0.5). Nothing when the text means
// no value; the result is not limited to the row's range.
std::optional<float> parameterValueFromText (const ParameterSpec& definition, std::string_view text);

} // namespace plumora
