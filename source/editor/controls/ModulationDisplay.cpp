#include "ModulationDisplay.h"

#include "PlumKnob.h"

#include <cmath>

namespace plumora
{

std::optional<std::size_t> dominantRouting (const std::vector<ModRouting>& routings, ParamID target) noexcept
{
    std::optional<std::size_t> strongest;
    for (std::size_t i = 0; i < routings.size(); ++i)
        if (routings[i].target == index (target)
            && (! strongest || std::abs (routings[i].depth) > std::abs (routings[*strongest].depth)))
            strongest = i;
    return strongest;
}

void updateModulationDisplay (const EditorContext& context, const std::vector<PlumKnob*>& knobs)
{
    const auto& routings = context.routings();
    for (auto* knob : knobs)
    {
        const auto range = context.modulationRange (knob->paramId);
        const auto strongest = dominantRouting (routings, knob->paramId);
        const int source = strongest ? static_cast<int> (routings[*strongest].source) : 0;
        knob->setModulationRange (range.low, range.high, source);
    }
}

} // namespace plumora
