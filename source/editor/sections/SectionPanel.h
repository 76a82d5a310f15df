#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace plumora
{

// A section of a page: a rounded panel with its header. The sections that
// fill the pages build on it; until one is built its panel stands in.
class SectionPanel : public juce::Component
{
public:
    explicit SectionPanel (juce::String headerText);
    const juce::String& header() const noexcept { return title; }
    void paint (juce::Graphics& g) override;

protected:
    // Where the header is written; sections place it as their layout needs.
    virtual juce::Rectangle<int> headerBounds() const noexcept { return { 4, 0, std::max (getWidth() - 8, 0), 14 }; }

private:
    juce::String title;
};

} // namespace plumora
