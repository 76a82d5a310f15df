#include "TimbreLibrary.h"

#include "TimbreWaveforms.h"
#include "editor/look/Palette.h"
#include "editor/look/PlumoraLookAndFeel.h"

namespace plumora
{
namespace
{
constexpr float kCorner = 3.0f;
constexpr float kTileNameHeight = 16.0f; // tile names sit in the bottom of their tiles
} // namespace

void TimbreLibrary::paint (juce::Graphics& g)
{
    PlumoraLookAndFeel::drawSectionPanel (g, getLocalBounds().toFloat());
    if (hasKeyboardFocus (false))
        PlumoraLookAndFeel::drawFocusOutline (g, getLocalBounds().toFloat());
    g.setColour (palette::textDim);
    g.setFont (palette::font (10.0f));
    g.drawText ("TIMBRE", juce::Rectangle<float> (8.0f, 4.0f, 60.0f, 14.0f), juce::Justification::centredLeft, false);

    paintCategories (g);
    paintTiles (g);
    paintStrip (g);
    paintNotice (g);
}

void TimbreLibrary::paintCategories (juce::Graphics& g) const
{
    g.setFont (palette::font (palette::headerFontHeight));
    for (std::size_t i = 0; i < layout.categoryButtons.size(); ++i)
    {
        const auto& area = layout.categoryButtons[i];
        const bool chosen = static_cast<int> (i) == category;
        if (chosen)
        {
            g.setColour (palette::selected);
            g.fillRoundedRectangle (area, kCorner);
        }
        else
        {
            g.setColour (palette::line);
            g.drawRoundedRectangle (area.reduced (0.5f), kCorner, 1.0f);
        }
        g.setColour (chosen ? palette::accent : palette::textDim);
        g.drawText (categories[i].name, area.reduced (3.0f, 0.0f), juce::Justification::centred, true);
    }
}

void TimbreLibrary::paintTiles (juce::Graphics& g) const
{
    const auto* timbres = shownTimbres();
    if (timbres == nullptr)
        return;
    g.setFont (palette::font (10.0f));
    for (std::size_t i = 0; i < layout.tiles.size(); ++i)
    {
        const auto& area = layout.tiles[i];
        const bool chosen = static_cast<int> (i) == timbre;
        g.setColour (chosen ? palette::selected.withAlpha (0.25f) : palette::panel);
        g.fillRoundedRectangle (area, kCorner);
        g.setColour (chosen ? palette::accent.withAlpha (0.6f) : palette::line);
        g.drawRoundedRectangle (area.reduced (0.5f), kCorner, 1.0f);

        const auto picture = area.withTrimmedBottom (kTileNameHeight).reduced (4.0f, 2.0f);
        if (i < thumbnails.size() && ! thumbnails[i].isEmpty() && ! picture.isEmpty())
        {
            g.setColour (palette::accent);
            g.strokePath (thumbnails[i], juce::PathStrokeType (chosen ? 1.5f : 1.0f),
                          juce::AffineTransform::scale (picture.getWidth(), picture.getHeight()).translated (picture.getX(), picture.getY()));
        }
        g.setColour (chosen ? palette::text : palette::textDim);
        g.drawText ((*timbres)[i].name, area.withTop (area.getBottom() - kTileNameHeight).reduced (2.0f, 0.0f),
                    juce::Justification::centred, true);
    }
}

void TimbreLibrary::paintStrip (juce::Graphics& g) const
{
    const auto& strip = layout.strip;
    if (strip.isEmpty())
        return;
    g.setColour (palette::background);
    g.fillRoundedRectangle (strip, kCorner);
    g.setColour (palette::textDim);
    g.setFont (palette::font (10.0f));
    g.drawText ("WT POSITION", strip.withHeight (std::min (14.0f, strip.getHeight())).withTrimmedLeft (kStripInset),
                juce::Justification::centredLeft, false);

    g.setColour (palette::accent.withAlpha (0.3f));
    for (const auto& trace : traces)
        g.strokePath (trace, juce::PathStrokeType (0.8f));

    const float top = strip.getY() + kStripCaptionHeight;
    if (strip.getBottom() > top && strip.getWidth() > 2.0f * kStripInset)
    {
        const float x = strip.getX() + kStripInset + position * (strip.getWidth() - 2.0f * kStripInset);
        g.setColour (palette::accent);
        g.drawLine (x, top, x, strip.getBottom(), 1.5f);
    }
}

void TimbreLibrary::paintNotice (juce::Graphics& g) const
{
    if (note.isEmpty())
        return;
    g.setColour (palette::dataNotice);
    if (categories.empty())
    {
        g.setFont (palette::font (12.0f));
        g.drawFittedText (note, layout.tileArea.getSmallestIntegerContainer(), juce::Justification::centred, 2);
        return;
    }
    g.setFont (palette::font (10.0f));
    g.drawText (note, noticeArea(), juce::Justification::centredRight, true);
}

} // namespace plumora
