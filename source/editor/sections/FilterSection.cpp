#include "FilterSection.h"

namespace plumora
{
namespace
{
bool clearsOnComplete (int scope) { return scope == static_cast<int> (PresetScope::complete); }
} // namespace

FilterSection::FilterSection (EditorContext& editorContext)
    : KnobSection (editorContext, "FILTER",
                   { { "Type", ParamID::filt_type }, { "Cutoff", ParamID::filt_cutoff }, { "Reso", ParamID::filt_reso },
                     { "Drive", ParamID::filt_drive }, { "Env", ParamID::filt_env_amount } }),
      presets (editorContext, PresetScope::filter, "Filter preset...", clearsOnComplete)
{
    addAndMakeVisible (presets);
}

void FilterSection::resized()
{
    const int b = std::max (getWidth() - 4, 0), a = std::max (getHeight() - 4, 0);
    presets.setBounds (b - std::min (b, 100) + 2, 0, std::min (b, 100), std::min (a, 14) + 4);
    const int top = 16, rest = std::max (a - 14, 0);
    const int firstRow = std::min (rest, rest / 2);
    const auto& k = getKnobs();
    k[0]->setBounds (2, top, b / 3, firstRow);                        // Type
    k[1]->setBounds (2 + b / 3, top, b / 3, firstRow);                // Cutoff
    k[4]->setBounds (2 + 2 * (b / 3), top, b - 2 * (b / 3), firstRow); // Env
    k[2]->setBounds (2, top + firstRow, b / 2, rest - firstRow);       // Reso
    k[3]->setBounds (2 + b / 2, top + firstRow, b - b / 2, rest - firstRow); // Drive
}

AmpSection::AmpSection (EditorContext& editorContext)
    : KnobSection (editorContext, "AMP",
                   { { "Atk", ParamID::amp_attack }, { "Dec", ParamID::amp_decay }, { "Sus", ParamID::amp_sustain }, { "Rel", ParamID::amp_release } })
{
}

void AmpSection::resized()
{
    layoutGrid (getKnobs(), { 2, 16, std::max (getWidth() - 4, 0), std::max (getHeight() - 18, 0) }, 2, 2);
}

} // namespace plumora
