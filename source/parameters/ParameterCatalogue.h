#pragma once

// The catalogue of every host-visible parameter. One static table drives the
// host parameters, the engine's slots, preset keys and the editor's knobs.
// Plain C++ so the engine, tools and benchmarks can use it without JUCE.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace plumora
{

// Selects a parameter's step (continuous or whole numbers) and its value text.
enum class ParameterKind : std::uint8_t
{
    Numeric = 0,       // framework's default numeric text
    Percent = 1,       // 0.8 -> "80%"
    UnitValue = 2,     // decimals by magnitude, then the unit suffix
    Integer = 3,
    LfoShape = 4,
    FilterType = 5,
    ArpRate = 6,
    ArpPattern = 7,
    OnOff = 8,
    Bypass = 9,
    OscMode = 10,
    FmMode = 11,
    ChorusMode = 12,
    LfoMode = 13,      // framework's default numeric text
    NoiseMode = 14,    // framework's default numeric text
    PickDirection = 15,
    VoiceMode = 16,
    DelayDivision = 17,
};

constexpr bool isStepped (ParameterKind kind) noexcept
{
    return static_cast<int> (kind) >= static_cast<int> (ParameterKind::Integer);
}

struct ParameterSpec
{
    const char* id;
    const char* name;
    float min;
    float max;
    float defaultValue;
    ParameterKind kind;
    const char* unit;   // kind UnitValue only, with its leading space
    const char* group;  // "Top" or "Top/Sub"

    float clamp (float value) const noexcept
    {
        // NaN falls to the minimum rather than leaking into the engine.
        if (! (value >= min))
            return min;
        return value > max ? max : value;
    }
};

// Row numbers of the catalogue. The order is fixed: slots, routings and
// presets index by it.
enum class ParamID : int
{
#define PLUMORA_PARAMETER(id, ...) id,
#include "ParameterTable.inc"
#undef PLUMORA_PARAMETER
};

constexpr int kNumParameters = 143;
static_assert (static_cast<int> (ParamID::fm_feedback) == kNumParameters - 1);

constexpr int index (ParamID id) noexcept { return static_cast<int> (id); }

// One plain value per parameter, in ParamID order.
using ParameterValues = std::array<float, kNumParameters>;

// All rows in ParamID order.
const ParameterSpec* parameterCatalogue() noexcept;

// The row of a ParamID; id must be in range.
const ParameterSpec& parameterSpec (ParamID id) noexcept;

// ParamID of a row number, or nothing when out of range.
std::optional<ParamID> paramIDFromIndex (int row) noexcept;

// Exact, case-sensitive look-up of a parameter id text.
std::optional<ParamID> findParamID (std::string_view id) noexcept;

} // namespace plumora
