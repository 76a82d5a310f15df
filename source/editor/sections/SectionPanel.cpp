#include "SectionPanel.h"

#include "editor/look/PlumoraLookAndFeel.h"

namespace plumora
{

SectionPanel::SectionPanel (juce::String headerText) : title (std::move (headerText))
{
    setName (title);
    setOpaque (false);
}

void SectionPanel::paint (juce::Graphics& g)
{
    PlumoraLookAndFeel::drawSectionPanel (g, getLocalBounds().toFloat());
    PlumoraLookAndFeel::drawSectionHeader (g, title, headerBounds());
}

} // namespace plumora
