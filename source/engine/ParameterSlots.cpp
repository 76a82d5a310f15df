#include "ParameterSlots.h"

namespace plumora
{
namespace
{
constexpr float kTraceFollow = 0.05f;
}

ParameterSlots::ParameterSlots() noexcept
{
    for (int row = 0; row < kNumParameters; ++row)
    {
        const auto defaultValue = parameterCatalogue()[row].defaultValue;
        slots[static_cast<std::size_t> (row)].target.store (defaultValue, std::memory_order_relaxed);
        slots[static_cast<std::size_t> (row)].blockValue = defaultValue;
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

void ParameterSlots::updateTraces() noexcept
{
    for (auto& s : slots)
    {
        const auto value = s.blockValue;
        const auto low = s.lowTrace.load (std::memory_order_relaxed);
        const auto high = s.highTrace.load (std::memory_order_relaxed);
        s.lowTrace.store (value < low ? value : low + (value - low) * kTraceFollow, std::memory_order_relaxed);
        s.highTrace.store (value > high ? value : high + (value - high) * kTraceFollow, std::memory_order_relaxed);
    }
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
