#pragma once

#include "engine/ModRouting.h"
#include "parameters/ParameterCatalogue.h"

#include <optional>
#include <vector>

namespace plumora
{

class EditorContext;
class PlumKnob;

// The routing onto target with the largest absolute depth; the first of
// equal depths wins. Nothing when no routing targets it.
std::optional<std::size_t> dominantRouting (const std::vector<ModRouting>& routings, ParamID target) noexcept;

// Shows on each knob the span the engine modulated its parameter over,
// coloured by the strongest routing onto it.
void updateModulationDisplay (const EditorContext& context, const std::vector<PlumKnob*>& knobs);

} // namespace plumora
