#include "CharacterGlyphs.h"

#include <cmath>
#include <optional>

namespace plumora
{
namespace
{
constexpr float kTwoPi = juce::MathConstants<float>::twoPi;

// The first value the step gives the parameter, if any.
std::optional<float> valueIn (const CharacterStep& step, ParamID id)
{
    for (const auto& setting : step.params)
        if (setting.id == id)
            return setting.value;
    return std::nullopt;
}

float valueOr (const CharacterStep& step, ParamID id, float absent) { return valueIn (step, id).value_or (absent); }

// A polyline through y(x) at count + 1 points from x = 0 to 1.
template <class Curve>
void addCurve (juce::Path& path, int count, Curve&& y)
{
    for (int i = 0; i <= count; ++i)
    {
        const float x = static_cast<float> (i) / static_cast<float> (count);
        if (i == 0)
            path.startNewSubPath (x, y (x));
        else
            path.lineTo (x, y (x));
    }
}

juce::Path toneGlyph (const CharacterStep& step)
{
    const float c = valueOr (step, ParamID::filt_cutoff, 5000.0f), g = valueOr (step, ParamID::eq_high_gain, 0.0f);
    const float k = juce::jlimit (0.05f, 0.95f, std::log (c / 20.0f) / std::log (1000.0f));
    const float t = juce::jlimit (0.4f, 0.9f, 0.8f - (g + 12.0f) / 24.0f * 0.4f);
    juce::Path path;
    addCurve (path, 32, [k, t] (float x)
    {
        if (x < 0.8f * k)
            return 0.15f;
        if (x < k)
            return 0.15f + std::pow ((x - 0.8f * k) / (0.2f * k), 2.0f) * (t - 0.15f) * 0.3f;
        return 0.15f + (1.0f - std::exp (-4.0f * (x - k) / (1.0f - k))) * (t - 0.15f);
    });
    return path;
}

juce::Path punchGlyph (const CharacterStep& step)
{
    const float a0 = valueOr (step, ParamID::amp_attack, 0.01f), d = valueOr (step, ParamID::amp_decay, 0.3f);
    const float s = valueOr (step, ParamID::amp_sustain, 0.7f), r = valueOr (step, ParamID::amp_release, 0.5f);
    const float e = a0 + d + r + 0.2f, a = a0 / e, f = 0.9f - 0.8f * s;
    juce::Path path;
    path.startNewSubPath (0.0f, 0.9f);
    path.quadraticTo (a / 2.0f, 0.66f, a, 0.1f);
    path.quadraticTo (a + 0.3f * d / e, 0.1f + 0.1f * (f - 0.1f), a + d / e, f);
    const float held = a + d / e + 0.2f / e;
    path.lineTo (held, f);
    path.quadraticTo (held + 0.4f * r / e, f + 0.5f * (0.9f - f), 1.0f, 0.9f);
    return path;
}

juce::Path movementGlyph (const CharacterStep& step)
{
    const float rate = valueOr (step, ParamID::lfo1_rate, 0.01f), depth = valueOr (step, ParamID::lfo1_depth, 0.0f);
    const float cycles = juce::jlimit (0.15f, 4.0f, 0.5f * rate);
    juce::Path path;
    addCurve (path, 48, [=] (float x) { return 0.5f - 0.35f * depth * std::sin (kTwoPi * cycles * x); });
    return path;
}

juce::Path spaceGlyph (const CharacterStep& step)
{
    const float z = valueOr (step, ParamID::reverb_size, 0.0f), m = valueOr (step, ParamID::reverb_mix, 0.0f);
    const float q = valueOr (step, ParamID::delay_mix, 0.0f);
    juce::Path path;
    addCurve (path, 32, [=] (float x)
    {
        float e = std::max (0.1f, m) * 0.7f * std::exp (-x * (5.0f - 4.0f * z));
        if (q > 0.05f && x > 0.15f)
        {
            const float u = 8.0f * (x - 0.15f);
            e += std::exp (-u / 2.0f) * 0.15f * q * std::max (0.0f, std::sin (juce::MathConstants<float>::pi * u));
        }
        return juce::jlimit (0.1f, 0.9f, 0.9f - e);
    });
    return path;
}

juce::Path densityGlyph (const CharacterStep& step)
{
    const int v = juce::jlimit (1, 8, static_cast<int> (valueOr (step, ParamID::osc1_unison, 1.0f)));
    const float t = valueOr (step, ParamID::osc1_detune, 0.0f);
    juce::Path path;
    for (int i = 0; i < v; ++i)
    {
        float phase = 0.0f, amplitude = 0.25f;
        if (v > 1)
        {
            const float middle = static_cast<float> (v - 1) / 2.0f;
            phase = (static_cast<float> (i) / static_cast<float> (v - 1) - 0.5f) * 2.0f * (t / 100.0f * 0.15f) * kTwoPi;
            amplitude = 0.25f * (1.0f - std::abs (static_cast<float> (i) - middle) / (middle + 0.001f) * 0.3f);
        }
        addCurve (path, 40, [=] (float x) { return 0.5f - amplitude * std::sin (kTwoPi * x + phase); });
    }
    return path;
}
} // namespace

juce::Path characterGlyph (CharacterMapKind kind, const CharacterStep& step)
{
    switch (kind)
    {
        case CharacterMapKind::tone:     return toneGlyph (step);
        case CharacterMapKind::punch:    return punchGlyph (step);
        case CharacterMapKind::movement: return movementGlyph (step);
        case CharacterMapKind::space:    return spaceGlyph (step);
        case CharacterMapKind::density:  return densityGlyph (step);
        case CharacterMapKind::none:     break;
    }
    return {};
}

juce::String characterStepDescription (CharacterMapKind kind, const CharacterStep& step)
{
    const auto has = [&step] (ParamID id) { return valueIn (step, id).has_value(); };
    const auto value = [&step] (ParamID id) { return valueIn (step, id).value_or (0.0f); };
    switch (kind)
    {
        case CharacterMapKind::tone:
        {
            const float c = valueOr (step, ParamID::filt_cutoff, 5000.0f);
            if (has (ParamID::filt_cutoff) && c > 12000.0f) return " - Filter wide open with boosted highs, no saturation";
            if (has (ParamID::filt_cutoff) && c > 7000.0f) return " - Gentle high-frequency rolloff, keeps the sound present and defined";
            if (c > 3000.0f) return " - LP filter at 5 kHz with light saturation for analog character";
            if (c > 1000.0f) return " - Heavy filtering removes upper harmonics, suits deep basses";
            return " - Aggressive LP at 800 Hz with saturation, lo-fi underwater character";
        }
        case CharacterMapKind::punch:
            if (valueOr (step, ParamID::amp_attack, 0.01f) > 0.3f) return juce::String::fromUTF8 (" - 800ms fade-in, high sustain \xe2\x80\x94 ideal for evolving pads");
            if (valueOr (step, ParamID::amp_sustain, 0.7f) > 0.5f) return " - 150ms attack eases in without a hard transient";
            if (value (ParamID::amp_sustain) > 0.2f) return " - Near-instant attack with low sustain, plucked string feel";
            if (value (ParamID::amp_sustain) > 0.05f) return juce::String::fromUTF8 (" - Instant attack, very short sustain \xe2\x80\x94 tight staccato hits");
            return " - Zero sustain with pitch envelope sweep, classic synth stab";
        case CharacterMapKind::movement:
            if (step.params.empty() || ! has (ParamID::lfo1_depth) || value (ParamID::lfo1_depth) < 0.05f)
                return " - No modulation, the sound stays completely static";
            if (valueOr (step, ParamID::lfo1_rate, 0.01f) < 0.1f) return " - LFO at 0.08 Hz with light drift, subtle tonal wandering";
            if (value (ParamID::lfo1_rate) < 1.0f) return " - 0.15 Hz modulation creates an inhale-exhale pulsing feel";
            if (value (ParamID::lfo1_rate) < 3.0f) return " - 1.5 Hz wobble with strong drift, adds rhythmic motion";
            return " - 6 Hz vibrato with heavy drift, intense jittery texture";
        case CharacterMapKind::space:
            if (! has (ParamID::reverb_mix) || value (ParamID::reverb_mix) < 0.05f) return " - No reverb or delay, the raw close-miked sound";
            if (value (ParamID::reverb_mix) < 0.2f) return " - Small reverb at 15% mix, adds depth without washing out";
            if (value (ParamID::reverb_mix) < 0.4f) return " - Medium hall reverb with a touch of stereo delay";
            if (value (ParamID::reverb_mix) < 0.5f) return " - Large reverb with long tail and delay feedback";
            return " - Maximum reverb and heavy delay, sound dissolves into atmosphere";
        case CharacterMapKind::density:
            if (! has (ParamID::osc1_unison) || value (ParamID::osc1_unison) <= 1.0f) return " - Single oscillator voice, clean and focused";
            if (value (ParamID::osc1_unison) <= 3.0f) return " - Two voices detuned 8 cents apart, subtle thickening";
            if (value (ParamID::osc1_unison) <= 5.0f) return " - Four voices with 15-cent spread and light chorus";
            if (value (ParamID::osc1_unison) <= 12.0f) return " - Eight voices with wide 25-cent detune and chorus";
            return " - Sixteen voices, 50-cent spread and deep chorus, supersaw territory";
        case CharacterMapKind::none:
            break;
    }
    return {};
}

juce::String characterMapDescription (CharacterMapKind kind)
{
    switch (kind)
    {
        case CharacterMapKind::tone:     return "Tone - Controls brightness and filter character";
        case CharacterMapKind::punch:    return "Punch - Controls how the note starts and fades";
        case CharacterMapKind::movement: return "Movement - Controls modulation speed and depth";
        case CharacterMapKind::space:    return "Space - Controls reverb and spatial depth";
        case CharacterMapKind::density:  return "Density - Controls thickness via unison voices";
        case CharacterMapKind::none:     break;
    }
    return {};
}

} // namespace plumora
