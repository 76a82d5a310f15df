#pragma once

#include <juce_graphics/juce_graphics.h>

#include <vector>

namespace plumora
{

// Where the timbre library draws and hit-tests: a header row, the category
// buttons, the timbre tiles of the selected category and the wavetable
// position strip along the bottom. All in the component's own pixels.
struct TimbreLibraryLayout
{
    juce::Rectangle<float> header;
    std::vector<juce::Rectangle<float>> categoryButtons;
    std::vector<juce::Rectangle<float>> tiles;
    juce::Rectangle<float> tileArea; // between the buttons and the strip
    juce::Rectangle<float> strip;
};

TimbreLibraryLayout layOutTimbreLibrary (float width, float height, int categoryCount, int timbreCount);

// The index of the rectangle holding point, or -1.
int indexAt (const std::vector<juce::Rectangle<float>>& areas, juce::Point<float> point) noexcept;

} // namespace plumora
