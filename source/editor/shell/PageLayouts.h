#pragma once

#include <juce_graphics/juce_graphics.h>

namespace plumora
{

// Where the PRO page puts its eleven sections in a page of the given size.
struct ProPageLayout
{
    juce::Rectangle<int> oscillator, subNoise, filter, amp, lfo, envelope, matrix, effects, master, meter, presetBar;
};
ProPageLayout layoutProPage (int width, int height) noexcept;
// The matrix alone, expanded over the page.
juce::Rectangle<int> expandedMatrixBounds (int width, int height) noexcept;

// Where the S!MPLE page puts its parts in a page of the given size, with
// blockCount character blocks and the arpeggiator strip open or folded.
struct SimplePageLayout
{
    juce::Rectangle<int> timbreLibrary, soundMap, arpeggiator, pickKnob, saveButton, resetAllButton;
    std::vector<juce::Rectangle<int>> blocks;
};
SimplePageLayout layoutSimplePage (int width, int height, int blockCount, bool arpeggiatorOpen);

// The editor's bands and top-bar controls in a window of the given size.
struct EditorLayout
{
    juce::Rectangle<int> topBar, page, keyboard, previousButton, presetBox, nextButton, modeButton;
};
EditorLayout layoutEditor (int width, int height) noexcept;

} // namespace plumora
