#include "ModMatrixSection.h"

#include "editor/look/Palette.h"
#include "editor/look/PlumoraLookAndFeel.h"

namespace plumora
{

ModMatrixSection::ModMatrixSection (EditorContext& context) : matrixGrid (context)
{
    setName ("MOD MATRIX");
    expand.setColour (juce::TextButton::buttonColourId, palette::line);
    expand.setColour (juce::TextButton::textColourOffId, palette::textDim);
    expand.onClick = [this]
    {
        expanded = ! expanded;
        expand.setButtonText (expanded ? "[-]" : "[+]");
        if (onExpandChanged)
            onExpandChanged (expanded);
    };
    addAndMakeVisible (matrixGrid);
    addAndMakeVisible (expand);
}

void ModMatrixSection::paint (juce::Graphics& g)
{
    PlumoraLookAndFeel::drawSectionPanel (g, getLocalBounds().toFloat());
    PlumoraLookAndFeel::drawSectionHeader (g, "MOD MATRIX", { 4, 0, std::max (getWidth() - 8, 0), 14 });
}

void ModMatrixSection::resized()
{
    const int b = std::max (getWidth() - 4, 0), a = std::max (getHeight() - 4, 0);
    const int header = std::min (a, 14);
    expand.setBounds (b - std::min (b, 24) + 2, 2, std::min (b, 24), header);
    matrixGrid.setBounds (2, 2 + header, b, a - header);
}

} // namespace plumora
