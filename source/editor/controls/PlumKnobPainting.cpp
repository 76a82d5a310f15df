// How a PlumKnob draws itself: ring, track, value arc, lit body, pointer,
// value text and the drop highlight, in that order.

#include "PlumKnob.h"

#include "ModSourceInfo.h"
#include "editor/look/Palette.h"
#include "editor/look/PlumoraLookAndFeel.h"

#include <cmath>

namespace plumora
{
namespace
{
constexpr float kPi = juce::MathConstants<float>::pi;
constexpr float kStart = kPi * 1.25f;
constexpr float kSweep = kPi * 1.5f;

float angleOf (double proportion) noexcept { return kStart + static_cast<float> (juce::jlimit (0.0, 1.0, proportion)) * kSweep; }

void strokeArc (juce::Graphics& g, float cx, float cy, float radius, float from, float to, float thickness)
{
    juce::Path arc;
    arc.addCentredArc (cx, cy, radius, radius, 0.0f, from, to, true);
    g.strokePath (arc, juce::PathStrokeType (thickness, juce::PathStrokeType::mitered, juce::PathStrokeType::butt));
}
} // namespace

PlumKnob::Geometry PlumKnob::geometry() const noexcept
{
    const float w = static_cast<float> (getWidth()), h = static_cast<float> (getHeight());
    // Below 32 pixels of height the reserved text bands give way first.
    const float dialHeight = std::max (h - 32.0f, 0.0f);
    const float size = std::min (dialHeight, w);
    return { size, w * 0.5f, h < 32.0f ? h * 0.5f : 16.0f + dialHeight * 0.5f, 0.38f * size, 0.3f * size, 0.24f * size };
}

bool PlumKnob::isOnModulationRing (juce::Point<float> position) const noexcept
{
    const auto d = geometry();
    const float distance = position.getDistanceFrom ({ d.cx, d.cy });
    return distance >= 0.42f * d.size && distance <= 0.54f * d.size;
}

void PlumKnob::paint (juce::Graphics& g)
{
    const auto d = geometry();
    const auto& row = parameterSpec (paramId);
    const double v = valueToProportionOfLength (getValue());
    const float a = angleOf (v);

    // The ring follows the knob's own scale, so it sits where the pointer
    // would point at its low and high values.
    if (hasModRange && row.max - row.min >= 1.0e-10f)
    {
        const float lo = angleOf (valueToProportionOfLength (juce::jlimit<double> (getMinimum(), getMaximum(), modLow)));
        const float hi = angleOf (valueToProportionOfLength (juce::jlimit<double> (getMinimum(), getMaximum(), modHigh)));
        if (std::abs (hi - lo) >= 0.01f)
        {
            g.setColour (modSourceColour (static_cast<ModSourceID> (modSource)).withAlpha (palette::modulationRingAlpha));
            strokeArc (g, d.cx, d.cy, 0.48f * d.size, lo, hi, 4.0f);
        }
    }

    g.setColour (palette::control);
    strokeArc (g, d.cx, d.cy, d.outer, kStart, kStart + kSweep, 2.5f);
    if (v > 0.001)
    {
        g.setColour (palette::accent);
        strokeArc (g, d.cx, d.cy, d.outer, kStart, a, 2.5f);
    }

    const float r = d.body;
    g.setColour (palette::knobShadow);
    g.fillEllipse (d.cx - r + 1.0f, d.cy - r + 1.5f, 2.0f * r, 2.0f * r);
    g.setColour (palette::knobBody);
    g.fillEllipse (d.cx - r, d.cy - r, 2.0f * r, 2.0f * r);
    g.setColour (palette::knobHighlight);
    strokeArc (g, d.cx, d.cy, r - 1.0f, -0.8f * kPi, 0.8f * kPi, 1.5f);
    g.setColour (palette::knobShade);
    strokeArc (g, d.cx, d.cy, r - 1.0f, 0.2f * kPi, 1.8f * kPi, 1.5f);
    g.setColour (palette::knobRim);
    g.drawEllipse (d.cx - r, d.cy - r, 2.0f * r, 2.0f * r, 0.8f);
    g.setColour (palette::knobInnerRing);
    g.drawEllipse (d.cx - 0.65f * r, d.cy - 0.65f * r, 1.3f * r, 1.3f * r, 0.5f);

    const juce::Point<float> tip { d.cx + std::sin (a) * d.pointer, d.cy - std::cos (a) * d.pointer };
    g.setColour (palette::accent);
    g.drawLine ({ { d.cx + std::sin (a) * 0.2f * r, d.cy - std::cos (a) * 0.2f * r }, tip }, 2.5f);
    g.fillRect (juce::Rectangle<float> (4.0f, 4.0f).withCentre (tip));

    g.setColour (palette::text);
    g.setFont (palette::font (11.0f));
    g.drawText (getTextFromValue (getValue()), juce::Rectangle<float> (d.cx - 40.0f, d.cy + d.outer + 2.0f, 80.0f, 16.0f),
                juce::Justification::centred, false);

    if (hasKeyboardFocus (false))
        PlumoraLookAndFeel::drawFocusOutline (g, getLocalBounds().toFloat());

    if (dragOver)
    {
        g.setColour (palette::dropHighlight);
        g.fillRoundedRectangle (2.0f, 2.0f, static_cast<float> (getWidth()) - 4.0f, static_cast<float> (getHeight()) - 4.0f, 4.0f);
    }
}

} // namespace plumora
