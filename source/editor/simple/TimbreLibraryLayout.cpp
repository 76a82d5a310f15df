#include "TimbreLibraryLayout.h"

#include <algorithm>
#include <cmath>

namespace plumora
{
namespace
{
constexpr float kMargin = 4.0f, kGap = 4.0f;
constexpr float kHeaderHeight = 18.0f;
constexpr float kButtonWidth = 68.0f, kButtonHeight = 22.0f, kButtonRowStep = 26.0f;
constexpr float kBelowButtons = 6.0f, kStripHeight = 60.0f;

// Left to right from origin, a new row when an item would end beyond
// rightLimit (one pixel of slack, so three columns of a third always fit).
std::vector<juce::Rectangle<float>> flow (juce::Point<float> origin, int count, float itemWidth, float itemHeight,
                                          float rowStep, float rightLimit)
{
    std::vector<juce::Rectangle<float>> items;
    auto x = origin.x, y = origin.y;
    for (int i = 0; i < count; ++i)
    {
        if (i > 0 && x + itemWidth > rightLimit)
        {
            x = origin.x;
            y += rowStep;
        }
        items.emplace_back (x, y, itemWidth, itemHeight);
        x += itemWidth + kGap;
    }
    return items;
}
} // namespace

TimbreLibraryLayout layOutTimbreLibrary (float width, float height, int categoryCount, int timbreCount)
{
    TimbreLibraryLayout layout;
    const float a = std::max (height - 2.0f * kMargin, 0.0f);
    const float d = std::min (a, kHeaderHeight);
    const float f = std::max (width - 2.0f * kMargin, 0.0f);
    const float rightLimit = f + kMargin + 1.0f;
    layout.header = { kMargin, 0.0f, f, d };

    const float buttonWidth = std::max (std::min ((f - 2.0f * kGap) / 3.0f, kButtonWidth), 0.0f);
    const float buttonsTop = d + kMargin;
    layout.categoryButtons = flow ({ kMargin, buttonsTop }, categoryCount, buttonWidth, kButtonHeight, kButtonRowStep, rightLimit);

    const float rowsHeight = layout.categoryButtons.empty() ? 0.0f : layout.categoryButtons.back().getBottom() - buttonsTop;
    const float bottom = std::max (height - kMargin, buttonsTop);
    const float buttonsBlock = std::min (rowsHeight + kBelowButtons, bottom - buttonsTop);
    const float tilesTop = buttonsTop + buttonsBlock;

    const float stripHeight = std::min (bottom - tilesTop, kStripHeight);
    layout.strip = { kMargin, bottom - stripHeight, f, stripHeight };
    layout.tileArea = { kMargin, tilesTop, f, std::max (layout.strip.getY() - kGap - tilesTop, 0.0f) };

    if (timbreCount > 0)
    {
        const float tileWidth = std::max ((f - 2.0f * kGap) / 3.0f, 0.0f);
        const int rows = (timbreCount + 2) / 3;
        const float space = layout.tileArea.getHeight();
        const float tileHeight = std::max (std::min ((space - static_cast<float> (rows - 1) * kGap) / static_cast<float> (rows), tileWidth), 0.0f);
        layout.tiles = flow ({ kMargin, tilesTop }, timbreCount, tileWidth, tileHeight, tileHeight + kGap, rightLimit);
    }
    return layout;
}

int indexAt (const std::vector<juce::Rectangle<float>>& areas, juce::Point<float> point) noexcept
{
    for (std::size_t i = 0; i < areas.size(); ++i)
        if (areas[i].contains (point))
            return static_cast<int> (i);
    return -1;
}

} // namespace plumora
