#include "SubNoisePanel.h"

#include "editor/controls/Accessibility.h"
#include "editor/look/Palette.h"
#include "editor/look/PlumoraLookAndFeel.h"

#include <cmath>

namespace plumora
{
namespace
{
struct Bar
{
    ParamID parameter;
    float min, max;
};
constexpr Bar kSubLevel { ParamID::sub_level, 0.0f, 1.0f };
constexpr Bar kNoiseLevel { ParamID::noise_level, 0.0f, 1.0f };
constexpr Bar kNoiseCutoff { ParamID::noise_cutoff, 20.0f, 20000.0f };

void drawBar (juce::Graphics& g, juce::Rectangle<float> r, float value, const Bar& bar, juce::Colour colour, const juce::String& text)
{
    g.setColour (palette::line);
    g.fillRoundedRectangle (r, 3.0f);
    const float fill = r.getWidth() * juce::jlimit (0.0f, 1.0f, (value - bar.min) / (bar.max - bar.min));
    if (fill > 1.0f)
    {
        g.setColour (colour);
        g.fillRoundedRectangle (r.withWidth (fill), 3.0f);
    }
    g.setColour (palette::text);
    g.setFont (palette::font (9.0f));
    g.drawText (text, r.reduced (4.0f, 0.0f), juce::Justification::centredLeft, false);
}

void fillButton (juce::Graphics& g, juce::Rectangle<float> r, bool selected)
{
    g.setColour (selected ? palette::selected : palette::buttonOff);
    g.fillRoundedRectangle (r, 3.0f);
}
} // namespace

SubNoisePanel::SubNoisePanel (EditorContext& editorContext) : context (editorContext)
{
    setName ("SUB / NOISE");
    setTitle ("Sub oscillator and noise");
}

SubNoisePanel::Hits SubNoisePanel::hits() const noexcept
{
    Hits h;
    const float w = static_cast<float> (getWidth()), half = static_cast<float> (getHeight()) / 2.0f;
    const float x = 4.0f, inner = std::max (w - 8.0f, 0.0f);

    // Sub: header, shape buttons, level bar.
    const float subBody = std::max (half - 16.0f, 0.0f);
    const float shapeHeight = std::max (std::min (subBody / 3.0f, 28.0f) - 4.0f, 0.0f);
    const float buttonWidth = std::max (inner / 2.0f - 4.0f, 0.0f);
    h.shapeButtons = { juce::Rectangle<float> (x, 16.0f, buttonWidth, shapeHeight),
                       juce::Rectangle<float> (x + inner / 2.0f, 16.0f, buttonWidth, shapeHeight) };
    h.subLevel = { x, 16.0f + shapeHeight + 4.0f, inner, 16.0f };

    // Noise: header, filter buttons, level and cutoff bars.
    const float top = half + 16.0f, noiseBody = std::max (half - 16.0f, 0.0f);
    const float filterHeight = std::max (std::min (noiseBody / 4.0f, 18.0f) - 2.0f, 0.0f);
    const float third = inner / 3.0f;
    for (int i = 0; i < 3; ++i)
    {
        const float left = x + third * static_cast<float> (i);
        const float width = i < 2 ? third - 4.0f : x + inner - left - 4.0f;
        h.filterButtons[static_cast<std::size_t> (i)] = { left, top, std::max (width, 0.0f), filterHeight };
    }
    h.noiseLevel = { x, top + filterHeight + 2.0f, inner, 16.0f };
    h.noiseCutoff = { x, h.noiseLevel.getBottom() + 4.0f, inner, 16.0f };
    return h;
}

std::array<float, 5> SubNoisePanel::shownValues() const noexcept
{
    return { context.engineValue (ParamID::sub_shape), context.engineValue (ParamID::sub_level), context.engineValue (ParamID::noise_level),
             context.engineValue (ParamID::noise_cutoff), context.engineValue (ParamID::noise_filter_mode) };
}

void SubNoisePanel::refresh()
{
    if (shownValues() != drawn)
        repaint();
}

void SubNoisePanel::paint (juce::Graphics& g)
{
    drawn = shownValues();
    PlumoraLookAndFeel::drawSectionPanel (g, getLocalBounds().toFloat());
    const float w = static_cast<float> (getWidth()), half = static_cast<float> (getHeight()) / 2.0f;
    g.setColour (palette::line);
    g.drawHorizontalLine (static_cast<int> (half), 4.0f, w - 4.0f);
    PlumoraLookAndFeel::drawSectionHeader (g, "SUB", { 4, 0, std::max (getWidth() - 8, 0), 14 });
    PlumoraLookAndFeel::drawSectionHeader (g, "NOISE", { 4, static_cast<int> (half), std::max (getWidth() - 8, 0), 14 });

    const auto h = hits();
    const bool square = context.engineValue (ParamID::sub_shape) >= 0.5f;
    for (int i = 0; i < 2; ++i)
    {
        const auto r = h.shapeButtons[static_cast<std::size_t> (i)];
        const bool selected = (i == 1) == square;
        fillButton (g, r, selected);
        juce::Path icon;
        const float left = r.getX() + 4.0f, right = r.getRight() - 4.0f, mid = r.getCentreY(), amp = 0.3f * r.getHeight();
        if (i == 0)
            for (int p = 0; p <= 20; ++p)
            {
                const float t = static_cast<float> (p) / 20.0f;
                const juce::Point<float> point { left + (right - left) * t, mid - amp * std::sin (juce::MathConstants<float>::twoPi * t) };
                p == 0 ? icon.startNewSubPath (point) : icon.lineTo (point);
            }
        else
        {
            const float centre = (left + right) / 2.0f;
            icon.startNewSubPath (left, mid + amp);
            icon.lineTo (left, mid - amp);
            icon.lineTo (centre, mid - amp);
            icon.lineTo (centre, mid + amp);
            icon.lineTo (right, mid + amp);
        }
        g.setColour (selected ? palette::accent : palette::textDim);
        g.strokePath (icon, juce::PathStrokeType (1.5f));
    }
    const float subLevel = context.engineValue (ParamID::sub_level);
    drawBar (g, h.subLevel, subLevel, kSubLevel, palette::levelBar, "Level " + juce::String (static_cast<int> (subLevel * 100.0f)) + "%");

    const int mode = juce::jlimit (0, 2, juce::roundToInt (context.engineValue (ParamID::noise_filter_mode)));
    const char* const names[] = { "LP", "HP", "BP" };
    for (int i = 0; i < 3; ++i)
    {
        const auto r = h.filterButtons[static_cast<std::size_t> (i)];
        fillButton (g, r, i == mode);
        g.setColour (i == mode ? palette::text : palette::textDim);
        g.setFont (palette::font (9.0f));
        g.drawText (names[i], r, juce::Justification::centred, false);
    }
    const float noiseLevel = context.engineValue (ParamID::noise_level), cutoff = context.engineValue (ParamID::noise_cutoff);
    drawBar (g, h.noiseLevel, noiseLevel, kNoiseLevel, palette::levelBar, "Level " + juce::String (static_cast<int> (noiseLevel * 100.0f)) + "%");
    drawBar (g, h.noiseCutoff, cutoff, kNoiseCutoff, palette::cutoffBar, "Cutoff " + juce::String (static_cast<int> (cutoff)) + "Hz");
}

void SubNoisePanel::setBarFrom (float x)
{
    const auto h = hits();
    const auto& bar = *activeBar == ParamID::sub_level ? kSubLevel : *activeBar == ParamID::noise_level ? kNoiseLevel : kNoiseCutoff;
    const auto& r = *activeBar == ParamID::sub_level ? h.subLevel : *activeBar == ParamID::noise_level ? h.noiseLevel : h.noiseCutoff;
    if (r.getWidth() <= 0.0f)
        return;
    const float fraction = juce::jlimit (0.0f, 1.0f, (x - r.getX()) / r.getWidth());
    context.setParameterValueInGesture (bar.parameter, bar.min + (bar.max - bar.min) * fraction);
    repaint();
}

void SubNoisePanel::mouseDown (const juce::MouseEvent& e)
{
    activeBar.reset();
    const auto h = hits();
    const auto p = e.position;
    if (h.shapeButtons[0].contains (p))
        context.setParameterValue (ParamID::sub_shape, 0.0f);
    else if (h.shapeButtons[1].contains (p))
        context.setParameterValue (ParamID::sub_shape, 1.0f);
    else if (h.subLevel.contains (p))
        activeBar = ParamID::sub_level;
    else if (h.noiseLevel.contains (p))
        activeBar = ParamID::noise_level;
    else if (h.noiseCutoff.contains (p))
        activeBar = ParamID::noise_cutoff;
    else
    {
        for (int i = 0; i < 3; ++i)
            if (h.filterButtons[static_cast<std::size_t> (i)].contains (p))
                context.setParameterValue (ParamID::noise_filter_mode, static_cast<float> (i));
    }
    if (activeBar)
    {
        context.beginParameterGesture (*activeBar); // a bar's drag is one touch for the host
        setBarFrom (p.x);
    }
    repaint();
}

void SubNoisePanel::mouseDrag (const juce::MouseEvent& e)
{
    if (activeBar)
        setBarFrom (e.position.x);
}

void SubNoisePanel::mouseUp (const juce::MouseEvent&)
{
    if (activeBar)
        context.endParameterGesture (*activeBar);
    activeBar.reset();
}

std::unique_ptr<juce::AccessibilityHandler> SubNoisePanel::createAccessibilityHandler()
{
    return drawnControlHandler (*this, juce::AccessibilityRole::group, [this]
    {
        return spokenParameters (context, { ParamID::sub_shape, ParamID::sub_level, ParamID::noise_filter_mode, ParamID::noise_level, ParamID::noise_cutoff });
    });
}

} // namespace plumora
