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
} // namespace

// The engine keeps the short names with the source ids, so presets, the
// matrix and the knobs all say the same.
juce::String modSourceShortName (ModSourceID source) { return modSourceLabel (source); }

juce::Colour modSourceColour (ModSourceID source)
{
    const auto i = static_cast<int> (source);
    return i >= 0 && i < kNumModSources ? *kColours[static_cast<std::size_t> (i)] : palette::sourceIntelligent;
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
