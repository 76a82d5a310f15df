#include "MasterSection.h"

#include "editor/look/Palette.h"

namespace plumora
{

MasterSection::MasterSection (EditorContext& editorContext)
    : KnobSection (editorContext, "MASTER", { { "Master", ParamID::master_vol } })
{
    wheel.setRange (0.0, 1.0, 0.01);
    wheel.setValue (0.0, juce::dontSendNotification);
    wheel.setColour (juce::Slider::thumbColourId, palette::accent);
    wheel.setColour (juce::Slider::trackColourId, palette::line);
    wheel.setTitle ("Mod Wheel");
    wheel.setTooltip ("Virtual Mod Wheel (CC#1). Route in the mod matrix to control any parameter.");
    wheel.onValueChange = [this] { context.setModWheel (static_cast<float> (wheel.getValue())); };
    addAndMakeVisible (wheel);
}

void MasterSection::paint (juce::Graphics& g)
{
    KnobSection::paint (g);
    const auto area = wheel.getBounds();
    g.setColour (palette::textDim);
    g.setFont (palette::font (palette::headerFontHeight));
    g.drawText ("Mod", area.getX(), area.getBottom(), area.getWidth(), 12, juce::Justification::centredTop);
    g.drawText ("Wheel", area.getX(), area.getBottom() + 12, area.getWidth(), 12, juce::Justification::centredTop);
}

void MasterSection::resized()
{
    auto area = getLocalBounds().reduced (2);
    area.removeFromTop (14);
    auto wheelColumn = area.removeFromLeft (30);
    wheel.setBounds (wheelColumn.withTrimmedBottom (24));
    knob (0).setBounds (area);
}

} // namespace plumora
