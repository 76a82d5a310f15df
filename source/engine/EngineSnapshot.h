#pragma once

#include <cstdint>
#include <vector>

namespace plumora
{

// A flat picture of the sound: word 0 = parameter count, then every slot
// target as float bits, the routing count, five words per routing
// {source, target, depth bits, scope, audioRate}, and the MPE flag last.
using EngineSnapshot = std::vector<std::uint32_t>;

} // namespace plumora
