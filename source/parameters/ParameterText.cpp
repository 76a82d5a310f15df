#include "ParameterText.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace plumora
{
namespace
{

// Truncation toward zero that does not turn 0.29 (stored as 0.28999...) into 28.
long truncateShown (double value)
{
    constexpr double representationSlack = 1.0e-6;
    return static_cast<long> (value + std::copysign (representationSlack, value));
}

template <std::size_t N>
std::string listEntry (const std::array<const char*, N>& names, float value)
{
    const auto i = truncateShown (value);
    return (i >= 0 && i < static_cast<long> (N)) ? names[static_cast<std::size_t> (i)] : "?";
}

std::string formatted (const char* format, double value, const char* unit)
{
    char text[64];
    std::snprintf (text, sizeof (text), format, value);
    return std::string (text) + unit;
}

std::string unitValueText (float value, const char* unit)
{
    const double magnitude = std::abs (static_cast<double> (value));
    if (magnitude < 10.0)
        return formatted ("%.2f", value, unit);
    if (magnitude < 100.0)
        return formatted ("%.1f", value, unit);
    return std::to_string (truncateShown (value)) + unit;
}

constexpr std::array<const char*, 6> kLfoShapes { "Sine", "Tri", "Saw Up", "Saw Down", "Square", "S&H" };
constexpr std::array<const char*, 9> kFilterTypes { "Off", "LP12", "LP24", "HP12", "HP24", "BP", "Notch", "Comb", "Formant" };
constexpr std::array<const char*, 6> kArpRates { "1/4", "1/8", "1/16", "1/8T", "1/16T", "1/32" };
constexpr std::array<const char*, 8> kArpPatterns { "Up", "Down", "UpDown", "Random", "As Played", "DownUp", "Random Unique", "Chord" };
constexpr std::array<const char*, 10> kDelayDivisions { "1/4", "1/4D", "1/4T", "1/8", "1/8D", "1/8T", "1/16", "1/16D", "1/16T", "1/32" };

} // namespace

std::optional<std::string> parameterValueText (const ParameterSpec& definition, float value)
{
    const auto whole = truncateShown (value);

    switch (definition.kind)
    {
        case ParameterKind::Numeric:
        case ParameterKind::LfoMode:
        case ParameterKind::NoiseMode:     return std::nullopt;
        case ParameterKind::Percent:       return std::to_string (truncateShown (value * 100.0)) + "%";
        case ParameterKind::UnitValue:     return unitValueText (value, definition.unit);
        case ParameterKind::Integer:       return std::to_string (whole);
        case ParameterKind::LfoShape:      return listEntry (kLfoShapes, value);
        case ParameterKind::FilterType:    return listEntry (kFilterTypes, value);
        case ParameterKind::ArpRate:       return listEntry (kArpRates, value);
        case ParameterKind::ArpPattern:    return listEntry (kArpPatterns, value);
        case ParameterKind::DelayDivision: return listEntry (kDelayDivisions, value);
        case ParameterKind::OnOff:         return std::string (whole > 0 ? "On" : "Off");
        case ParameterKind::Bypass:        return std::string (whole > 0 ? "Bypass" : "On");
        case ParameterKind::OscMode:       return std::string (whole == 1 ? "SuperSaw" : whole == 2 ? "Karplus-Strong" : "Wavetable");
        case ParameterKind::FmMode:        return std::string (value > 0.0f ? "Phase FM" : "Off");
        case ParameterKind::ChorusMode:    return std::string (value > 0.0f ? "Ensemble" : "Classic");
        case ParameterKind::PickDirection: return std::string (value > 0.0f ? "Up" : "Down");
        case ParameterKind::VoiceMode:     return std::string (value > 0.0f ? "Mono" : "Poly");
    }
    return std::nullopt;
}

} // namespace plumora
