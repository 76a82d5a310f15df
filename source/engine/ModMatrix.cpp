#include "ModMatrix.h"

#include <algorithm>
#include <cmath>

namespace plumora
{
namespace
{
float clampDepth (float depth) noexcept { return std::isnan (depth) ? 0.0f : std::clamp (depth, -1.0f, 1.0f); }
} // namespace

int ModMatrix::addRouting (ModSourceID source, int target, float depth, ModScope scope, bool audioRate)
{
    routingList.push_back ({ source, target, clampDepth (depth), scope, audioRate });
    return static_cast<int> (routingList.size()) - 1;
}

void ModMatrix::removeRouting (int index)
{
    if (index >= 0 && index < static_cast<int> (routingList.size()))
        routingList.erase (routingList.begin() + index);
}

void ModMatrix::setRoutingDepth (int index, float depth) noexcept
{
    if (index >= 0 && index < static_cast<int> (routingList.size()))
        routingList[static_cast<std::size_t> (index)].depth = clampDepth (depth);
}

} // namespace plumora
