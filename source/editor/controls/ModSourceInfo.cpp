#include "ModSourceInfo.h"

#include "engine/ModMatrix.h"
#include "editor/look/Palette.h"

#include <array>

namespace plumora
{
namespace
{
// Each source's family colour, in ModSourceID order.
const std::array<const juce::Colour*, kNumModSources> kColours {
    &palette::sourceLfo, &palette::sourceLfo, &palette::sourceLfo, &palette::sourceLfo,
    &palette::sourceEnvelope, &palette::sourceEnvelope,
    &palette::sourceMacro, &palette::sourceMacro,
    &palette::sourceRandom,
    &palette::sourcePerformance, &palette::sourcePerformance, &palette::sourcePerformance, &palette::sourcePerformance,
    &palette::sourcePerformance, &palette::sourcePerformance, &palette::sourcePerformance,
    &palette::sourceIntelligent, &palette::sourceIntelligent, &palette::sourceIntelligent,
};

const char* const kLfo = "Low-frequency oscillator. Global (shared across voices). Set rate and shape in the LFO section.";
const char* const kEnvelope = "Modulation envelope (ADSR). Per-voice: retriggers on every note. Use long attack to fade parameters in.";
const char* const kMacro = "User-assignable knob. Route to multiple targets for a single-knob macro. Automatable from the DAW.";

// Each source's description, in ModSourceID order.
const std::array<const char*, kNumModSources> kDescriptions {
    kLfo, kLfo, kLfo, kLfo, kEnvelope, kEnvelope, kMacro, kMacro,
    "Sample & Hold: random stepped values at 4 Hz, lightly slewed. Good for burbling/glitchy modulation.",
    "MIDI note velocity (0-1). Sampled at note-on and held for the voice's lifetime \u2014 louder hits \u2192 stronger modulation.",
    "MIDI mod wheel (CC1). Global 0-1 value from your keyboard.",
    "Channel aftertouch: pressure applied after a note is held. Global (shared across voices).",
    "Pitch bend wheel, -1 to +1. Separate from the built-in pitch bend \u2014 route it anywhere.",
    "MPE per-note pressure. Needs an MPE controller (Seaboard, LinnStrument, etc.). Per-voice.",
    "MPE per-note slide (Y-axis on the key). Needs an MPE controller. Per-voice.",
    "MPE per-note glide (X-axis / pitch). Needs an MPE controller. Per-voice.",
    "Chord complexity: dissonance score of currently held notes (0-1). Rises with denser/more dissonant chords.",
    "Note Bloom: per-note time ramp from 0 to 1 over note_bloom_rate seconds. Per-voice \u2014 use to fade effects or parameters in after note-on.",
    "Repetition Bloom: per-voice heat that rises when the same pitch class repeats. Cools down over time.",
};
} // namespace

// The engine keeps the short names with the source ids, so presets, the
// matrix and the knobs all say the same.
juce::String modSourceShortName (ModSourceID source) { return modSourceLabel (source); }

juce::Colour modSourceColour (ModSourceID source)
{
    const auto i = static_cast<int> (source);
    return i >= 0 && i < kNumModSources ? *kColours[static_cast<std::size_t> (i)] : palette::sourceIntelligent;
}

juce::String modSourceDescription (ModSourceID source)
{
    const auto i = static_cast<int> (source);
    return i >= 0 && i < kNumModSources ? juce::String (juce::CharPointer_UTF8 (kDescriptions[static_cast<std::size_t> (i)])) : juce::String();
}

ModScope scopeForDroppedSource (ModSourceID source) noexcept
{
    if (source == ModSourceID::velocity)
        return ModScope::per_note_capture;
    const bool perVoice = source == ModSourceID::modenv1 || source == ModSourceID::modenv2 || source == ModSourceID::aftertouch
                          || source == ModSourceID::mpe_pressure || source == ModSourceID::mpe_slide || source == ModSourceID::mpe_glide;
    return perVoice ? ModScope::per_voice : ModScope::global;
}

} // namespace plumora
