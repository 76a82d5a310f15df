#pragma once

#include "ModRouting.h"

#include <vector>

namespace plumora
{

// The routing list. Evaluation of the routings comes with the modulation
// stages; until then routings are stored, listed and snapshotted.
class ModMatrix
{
public:
    // Appends a routing (depth clamped to -1..1) and returns its index.
    int addRouting (ModSourceID source, int target, float depth, ModScope scope, bool audioRate);
    // Out-of-range indices do nothing.
    void removeRouting (int index);
    void setRoutingDepth (int index, float depth) noexcept;

    const std::vector<ModRouting>& routings() const noexcept { return routingList; }

private:
    std::vector<ModRouting> routingList;
};

} // namespace plumora
