#pragma once

#include "Wavetable.h"

#include <string>

namespace plumora
{

// The table for a factory name such as "factory:saw". Any other name (empty,
// misspelt, a file path) gives "factory:analog_stack". Tables are built once
// per process and shared: later calls with the same name return the same table.
SharedWavetable makeFactoryWavetable (const std::string& name);

// Builds the table for a name afresh, bypassing the shared cache.
Wavetable buildFactoryWavetable (const std::string& name);

// True for the ten factory names (exact, case-sensitive).
bool isFactoryWavetableName (const std::string& name);

// The ten factory names, in catalogue order.
const std::vector<std::string>& factoryWavetableNames();

// Bessel function of the first kind J_n(x) from its power series (30 terms).
double besselJ (int order, double x) noexcept;

} // namespace plumora
