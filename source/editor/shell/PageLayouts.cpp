#include "PageLayouts.h"

#include <algorithm>

namespace plumora
{
namespace
{
using Rect = juce::Rectangle<int>;

// Each gap between strips is 3 pixels, or what remains when less does.
int takeGap (int& remaining) noexcept
{
    const int gap = std::min (3, std::max (remaining, 0));
    remaining -= gap;
    return gap;
}

// A row inset by 3 on the left, right and top and 3 at the bottom.
Rect rowArea (int y, int width, int height) noexcept
{
    return { 3, y + 3, std::max (width - 6, 0), std::max (height - 6, 0) };
}
} // namespace

ProPageLayout layoutProPage (int width, int height) noexcept
{
    ProPageLayout layout;
    const int top = std::min (height, static_cast<int> (height * 0.35));
    const int second = std::min (height - top, static_cast<int> (height * 0.25));
    const int third = std::min (height - top - second, static_cast<int> (height * 0.25));
    const int rest = height - top - second - third;
    const int inner = std::max (width - 6, 0);

    // Top row, from the right: amp, filter, sub/noise; the oscillators take the rest.
    {
        auto row = rowArea (0, width, top);
        int remaining = row.getWidth();
        const auto fromRight = [&] (int wanted)
        {
            const int w = std::min (wanted, remaining);
            remaining -= w;
            return row.removeFromRight (w);
        };
        layout.amp = fromRight (std::min (inner, static_cast<int> (inner * 0.16)));
        row.removeFromRight (takeGap (remaining));
        layout.filter = fromRight (layout.amp.getWidth());
        row.removeFromRight (takeGap (remaining));
        layout.subNoise = fromRight (static_cast<int> (inner * 0.1));
        row.removeFromRight (takeGap (remaining));
        layout.oscillator = row;
    }
    // Second row, from the left: LFO, envelope; the matrix takes the rest.
    {
        auto row = rowArea (top, width, second);
        int remaining = row.getWidth();
        const auto fromLeft = [&] (int wanted)
        {
            const int w = std::min (wanted, remaining);
            remaining -= w;
            return row.removeFromLeft (w);
        };
        layout.lfo = fromLeft (std::max (std::min (inner, (inner - 6) / 3), 0));
        row.removeFromLeft (takeGap (remaining));
        layout.envelope = fromLeft (layout.lfo.getWidth());
        row.removeFromLeft (takeGap (remaining));
        layout.matrix = row;
    }
    // Third row, from the right: meter, master; the effects take the rest.
    {
        auto row = rowArea (top + second, width, third);
        int remaining = row.getWidth();
        const auto fromRight = [&] (int wanted)
        {
            const int w = std::min (wanted, remaining);
            remaining -= w;
            return row.removeFromRight (w);
        };
        layout.meter = fromRight (std::min (inner, 100));
        row.removeFromRight (takeGap (remaining));
        layout.master = fromRight (100);
        row.removeFromRight (takeGap (remaining));
        layout.effects = row;
    }
    layout.presetBar = { 3, top + second + third + 3, inner, std::max (rest - 6, 0) };
    return layout;
}

juce::Rectangle<int> expandedMatrixBounds (int width, int height) noexcept
{
    return { 2, 2, std::max (width - 4, 0), std::max (height - 4, 0) };
}

SimplePageLayout layoutSimplePage (int width, int height, int blockCount, bool arpeggiatorOpen)
{
    SimplePageLayout layout;
    auto area = Rect (0, 0, width, height).reduced (8);

    auto bar = area.removeFromBottom (std::min (area.getHeight(), 48));
    layout.resetAllButton = bar.removeFromRight (80).reduced (0, 10);
    bar.removeFromRight (4);
    layout.saveButton = bar.removeFromRight (50).reduced (0, 10);
    bar.removeFromRight (8);
    layout.pickKnob = bar.removeFromLeft (56);

    area.removeFromBottom (6);
    layout.arpeggiator = area.removeFromBottom (arpeggiatorOpen ? 84 : 28);
    area.removeFromBottom (4);

    auto stack = area.removeFromBottom (blockCount > 0 ? blockCount * 82 - 4 : 0);
    for (int i = 0; i < blockCount; ++i)
    {
        layout.blocks.push_back (stack.removeFromTop (78));
        stack.removeFromTop (4);
    }
    area.removeFromBottom (8);

    layout.timbreLibrary = area.removeFromLeft (std::min (area.getWidth(), static_cast<int> (area.getWidth() * 0.28)));
    area.removeFromLeft (8);
    layout.soundMap = area;
    return layout;
}

EditorLayout layoutEditor (int width, int height) noexcept
{
    EditorLayout layout;
    auto area = Rect (0, 0, width, height);
    layout.keyboard = area.removeFromBottom (std::min (area.getHeight(), 80));
    layout.topBar = area.removeFromTop (std::min (area.getHeight(), 44));
    layout.page = area;

    auto bar = layout.topBar;
    layout.modeButton = bar.removeFromRight (80).reduced (6, 8);
    bar.removeFromRight (4);
    bar.removeFromLeft (100); // the title
    layout.previousButton = bar.removeFromLeft (36).reduced (2, 8);
    layout.presetBox = bar.removeFromLeft (200).reduced (4, 8);
    layout.nextButton = bar.removeFromLeft (36).reduced (2, 8);
    return layout;
}

} // namespace plumora
