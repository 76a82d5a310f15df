#include "ParameterText.h"

#include <array>
#include <cmath>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

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
constexpr std::array<const char*, 2> kOnOff { "Off", "On" };
constexpr std::array<const char*, 2> kBypass { "On", "Bypass" };
constexpr std::array<const char*, 3> kOscModes { "Wavetable", "SuperSaw", "Karplus-Strong" };
constexpr std::array<const char*, 2> kFmModes { "Off", "Phase FM" };
constexpr std::array<const char*, 2> kChorusModes { "Classic", "Ensemble" };
constexpr std::array<const char*, 2> kPickDirections { "Down", "Up" };
constexpr std::array<const char*, 2> kVoiceModes { "Poly", "Mono" };

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
        case ParameterKind::OnOff:         return std::string (kOnOff[whole > 0 ? 1 : 0]);
        case ParameterKind::Bypass:        return std::string (kBypass[whole > 0 ? 1 : 0]);
        case ParameterKind::OscMode:       return std::string (kOscModes[whole == 1 || whole == 2 ? static_cast<std::size_t> (whole) : 0]);
        case ParameterKind::FmMode:        return std::string (kFmModes[value > 0.0f ? 1 : 0]);
        case ParameterKind::ChorusMode:    return std::string (kChorusModes[value > 0.0f ? 1 : 0]);
        case ParameterKind::PickDirection: return std::string (kPickDirections[value > 0.0f ? 1 : 0]);
        case ParameterKind::VoiceMode:     return std::string (kVoiceModes[value > 0.0f ? 1 : 0]);
    }
    return std::nullopt;
}

namespace
{
std::string_view trimmed (std::string_view text)
{
    while (! text.empty() && std::isspace (static_cast<unsigned char> (text.front())))
        text.remove_prefix (1);
    while (! text.empty() && std::isspace (static_cast<unsigned char> (text.back())))
        text.remove_suffix (1);
    return text;
}

bool sameText (std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower (static_cast<unsigned char> (a[i])) != std::tolower (static_cast<unsigned char> (b[i])))
            return false;
    return true;
}

// The names a stepped kind shows, by value; empty for the numeric kinds.
std::vector<std::string> valueNames (ParameterKind kind)
{
    const auto all = [] (const auto& names) { return std::vector<std::string> (names.begin(), names.end()); };
    switch (kind)
    {
        case ParameterKind::LfoShape:      return all (kLfoShapes);
        case ParameterKind::FilterType:    return all (kFilterTypes);
        case ParameterKind::ArpRate:       return all (kArpRates);
        case ParameterKind::ArpPattern:    return all (kArpPatterns);
        case ParameterKind::DelayDivision: return all (kDelayDivisions);
        case ParameterKind::OnOff:         return all (kOnOff);
        case ParameterKind::Bypass:        return all (kBypass);
        case ParameterKind::OscMode:       return all (kOscModes);
        case ParameterKind::FmMode:        return all (kFmModes);
        case ParameterKind::ChorusMode:    return all (kChorusModes);
        case ParameterKind::PickDirection: return all (kPickDirections);
        case ParameterKind::VoiceMode:     return all (kVoiceModes);
        default:                           return {};
    }
}

// How many of the row's units a suffix after the number stands for.
std::optional<double> unitScale (const ParameterSpec& definition, std::string_view suffix)
{
    if (suffix.empty())
        return 1.0;
    if (definition.kind == ParameterKind::Percent)
        return suffix == "%" ? std::optional<double> (1.0) : std::nullopt;
    if (definition.kind != ParameterKind::UnitValue)
        return std::nullopt;
    const auto unit = trimmed (definition.unit);
    if (sameText (suffix, unit))
        return 1.0;
    if (sameText (unit, "Hz") && (sameText (suffix, "k") || sameText (suffix, "kHz")))
        return 1000.0;
    if (sameText (unit, "s") && sameText (suffix, "ms"))
        return 0.001;
    return std::nullopt;
}
} // namespace

std::optional<float> parameterValueFromText (const ParameterSpec& definition, std::string_view text)
{
    text = trimmed (text);
    const auto names = valueNames (definition.kind);
    for (std::size_t i = 0; i < names.size(); ++i)
        if (sameText (text, names[i]))
            return static_cast<float> (i);

    const std::string number (text);
    char* end = nullptr;
    const double value = std::strtod (number.c_str(), &end);
    if (end == number.c_str() || ! std::isfinite (value))
        return std::nullopt;
    const auto scale = unitScale (definition, trimmed (std::string_view (end)));
    if (! scale)
        return std::nullopt;
    const double percent = definition.kind == ParameterKind::Percent ? 0.01 : 1.0;
    const double result = value * *scale * percent;
    if (! std::isfinite (static_cast<float> (result)))
        return std::nullopt;
    return static_cast<float> (result);
}

} // namespace plumora
