#include "ParameterSlots.h"

#include <cmath>

namespace plumora
{
namespace
{
// How fast a trace falls back towards the value once it stops moving.
constexpr double kTraceTimeConstantSeconds = 0.25;
}

ParameterSlots::ParameterSlots() noexcept
{
    for (int row = 0; row < kNumParameters; ++row)
    {
        const auto defaultValue = parameterCatalogue()[row].defaultValue;
        slots[static_cast<std::size_t> (row)].target.store (defaultValue, std::memory_order_relaxed);
        slots[static_cast<std::size_t> (row)].blockValue = defaultValue;
        slots[static_cast<std::size_t> (row)].lowTrace.store (defaultValue, std::memory_order_relaxed);
        slots[static_cast<std::size_t> (row)].highTrace.store (defaultValue, std::memory_order_relaxed);
    }
}

void ParameterSlots::setTarget (ParamID id, float value) noexcept
{
    slot (id).target.store (parameterSpec (id).clamp (value), std::memory_order_relaxed);
}

void ParameterSlots::beginBlock() noexcept
{
    for (auto& s : slots)
        s.blockValue = s.target.load (std::memory_order_relaxed);
}

void ParameterSlots::updateTraces (int numSamples, double sampleRate, const VoiceParameters* voiceValues) noexcept
{
    const auto follow = static_cast<float> (1.0 - std::exp (-numSamples / (sampleRate * kTraceTimeConstantSeconds)));
    for (std::size_t row = 0; row < slots.size(); ++row)
    {
        auto& s = slots[row];
        const auto value = voiceValues != nullptr ? (*voiceValues)[row] : s.blockValue;
        const auto low = s.lowTrace.load (std::memory_order_relaxed);
        const auto high = s.highTrace.load (std::memory_order_relaxed);
        s.lowTrace.store (! tracesStarted || value < low ? value : low + (value - low) * follow, std::memory_order_relaxed);
        s.highTrace.store (! tracesStarted || value > high ? value : high + (value - high) * follow, std::memory_order_relaxed);
    }
    tracesStarted = true;
}

ParameterSlots::Range ParameterSlots::traceRange (ParamID id) const noexcept
{
    return { slot (id).lowTrace.load (std::memory_order_relaxed), slot (id).highTrace.load (std::memory_order_relaxed) };
}

void ParameterSlots::copyBlockValues (VoiceParameters& destination) const noexcept
{
    for (std::size_t row = 0; row < slots.size(); ++row)
        destination[row] = slots[row].blockValue;
}

} // namespace plumora
