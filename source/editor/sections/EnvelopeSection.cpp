#include "EnvelopeSection.h"

#include "editor/look/PlumoraLookAndFeel.h"

namespace plumora
{

EnvelopeSection::EnvelopeSection (EditorContext& context) : SectionPanel ("ENV")
{
    for (int i = 0; i < 2; ++i)
    {
        const auto slot = static_cast<std::size_t> (i);
        curves[slot] = std::make_unique<EnvelopeCurveEditor> (context, i);
        handles[slot] = std::make_unique<ModSourceDragHandle> (i == 0 ? ModSourceID::modenv1 : ModSourceID::modenv2);
        tabs[slot].onClick = [this, i] { showEnvelope (i); };
        addAndMakeVisible (tabs[slot]);
        addChildComponent (*curves[slot]);
        addChildComponent (*handles[slot]);
    }
    showEnvelope (0);
}

void EnvelopeSection::showEnvelope (int envelope)
{
    shown = envelope == 1 ? 1 : 0;
    for (int i = 0; i < 2; ++i)
    {
        const auto slot = static_cast<std::size_t> (i);
        curves[slot]->setVisible (i == shown);
        handles[slot]->setVisible (i == shown);
        PlumoraLookAndFeel::styleTab (tabs[slot], i == shown);
    }
    resized();
    repaint();
}

void EnvelopeSection::showValues (const EditorContext& context)
{
    const ParamID ids[2][4] = {
        { ParamID::modenv1_attack, ParamID::modenv1_decay, ParamID::modenv1_sustain, ParamID::modenv1_release },
        { ParamID::modenv2_attack, ParamID::modenv2_decay, ParamID::modenv2_sustain, ParamID::modenv2_release },
    };
    for (int i = 0; i < 2; ++i)
        curves[static_cast<std::size_t> (i)]->setValues (context.engineValue (ids[i][0]), context.engineValue (ids[i][1]),
                                                         context.engineValue (ids[i][2]), context.engineValue (ids[i][3]));
}

void EnvelopeSection::resized()
{
    const int body = std::max (getHeight() - 4 - 14, 0), inner = std::max (getWidth() - 4, 0);
    const int third = body / 3;
    tabs[0].setBounds (3, 17, 38, std::max (third - 2, 0));
    tabs[1].setBounds (3, 17 + third, 38, std::max (third - 2, 0));
    for (int i = 0; i < 2; ++i)
    {
        const auto slot = static_cast<std::size_t> (i);
        handles[slot]->setBounds (3, 17 + 2 * third, 38, std::max (body - 2 * third - 2, 0));
        curves[slot]->setBounds (42, 16, std::max (inner - 40, 0), body);
    }
}

} // namespace plumora
