#include "EnvelopeCurveEditor.h"

#include "editor/controls/Accessibility.h"
#include "editor/look/Palette.h"

#include <algorithm>
#include <cmath>

namespace plumora
{
namespace
{
// A drag across part of the width sweeps a time over 1 ms ... 10 s.
float sweptTime (float fraction) noexcept { return std::pow (10000.0f, juce::jlimit (0.0f, 1.0f, fraction)) * 0.001f; }
} // namespace

EnvelopeCurveEditor::EnvelopeCurveEditor (EditorContext& editorContext, int envelopeIndex)
    : context (editorContext),
      parameters (envelopeIndex == 0 ? std::array<ParamID, 4> { ParamID::modenv1_attack, ParamID::modenv1_decay, ParamID::modenv1_sustain, ParamID::modenv1_release }
                                     : std::array<ParamID, 4> { ParamID::modenv2_attack, ParamID::modenv2_decay, ParamID::modenv2_sustain, ParamID::modenv2_release })
{
    setTitle ("Envelope " + juce::String (envelopeIndex + 1));
}

void EnvelopeCurveEditor::setValues (float newAttack, float newDecay, float newSustain, float newRelease)
{
    if (newAttack == attack && newDecay == decay && newSustain == sustain && newRelease == release)
        return;
    attack = newAttack;
    decay = newDecay;
    sustain = newSustain;
    release = newRelease;
    repaint();
}

std::array<juce::Point<float>, 4> EnvelopeCurveEditor::handlePoints() const noexcept
{
    const float b = std::max (static_cast<float> (getWidth()) - 8.0f, 0.0f), d = std::max (static_cast<float> (getHeight()) - 8.0f, 0.0f);
    const float scale = 0.8f * b / std::max (0.01f, attack + decay + release);
    const juce::Point<float> a { 4.0f + attack * scale, 4.0f };
    const juce::Point<float> dp { a.x + decay * scale, 4.0f + d * (1.0f - sustain) };
    const juce::Point<float> s { dp.x + 0.2f * b, dp.y };
    const juce::Point<float> r { s.x + release * scale, 4.0f + d };
    return { a, dp, s, r };
}

juce::String EnvelopeCurveEditor::timeText (float t)
{
    if (t < 0.1f)
        return juce::String (static_cast<int> (t * 1000.0f)) + "ms";
    return juce::String (t, t < 1.0f ? 2 : 1) + "s";
}

std::array<juce::Rectangle<int>, 4> EnvelopeCurveEditor::labelAreas() const
{
    const auto points = handlePoints();
    std::array<juce::Rectangle<int>, 4> areas;
    for (std::size_t i = 0; i < areas.size(); ++i)
    {
        const auto& p = points[i];
        const int x = static_cast<int> (std::max (2.0f, std::min (p.x - 45.0f, static_cast<float> (getWidth()) - 92.0f)));
        const int y = static_cast<int> (std::max (2.0f, p.y - 20.0f));
        // Handles close together (no sustain, short times) would print their
        // labels over each other: a label that would touch one already
        // placed moves a line up, or down when there is no room above.
        const juce::Rectangle<int> wanted (x, y, 90, 16);
        const auto touches = [&areas, i] (juce::Rectangle<int> r)
        {
            return std::any_of (areas.begin(), areas.begin() + static_cast<std::ptrdiff_t> (i),
                                [r] (juce::Rectangle<int> other) { return other.intersects (r); });
        };
        auto label = wanted;
        while (touches (label) && label.getY() - 16 >= 2)
            label.translate (0, -16);
        if (touches (label))
            for (label = wanted; touches (label) && label.getBottom() + 16 <= getHeight() - 2;)
                label.translate (0, 16);
        areas[i] = label;
    }
    return areas;
}

void EnvelopeCurveEditor::paint (juce::Graphics& g)
{
    if (getWidth() <= 8 || getHeight() <= 8)
        return;
    const auto frame = getLocalBounds().reduced (2).toFloat();
    g.setColour (palette::background);
    g.fillRect (frame);

    const auto points = handlePoints();
    const juce::Point<float> start { 4.0f, static_cast<float> (getHeight()) - 4.0f };
    juce::Path curve;
    curve.startNewSubPath (start);
    for (const auto& p : points)
        curve.lineTo (p);
    auto fill = curve;
    fill.lineTo (points[releaseHandle].x, start.y);
    fill.closeSubPath();
    g.setColour (palette::envelopeFill);
    g.fillPath (fill);
    g.setColour (palette::envelopeCurve);
    g.strokePath (curve, juce::PathStrokeType (1.5f));

    const juce::String labels[] = { "Attack: " + timeText (attack), "Decay: " + timeText (decay),
                                    "Sustain: " + juce::String (static_cast<int> (sustain * 100.0f)) + "%", "Release: " + timeText (release) };
    g.setFont (palette::font (12.0f));
    const auto areas = labelAreas();
    for (int i = 0; i < 4; ++i)
    {
        const auto& p = points[static_cast<std::size_t> (i)];
        const float radius = i == dragHandle ? 6.0f : 4.0f;
        g.setColour (palette::text);
        g.fillEllipse (p.x - radius, p.y - radius, 2.0f * radius, 2.0f * radius);
        g.setColour (palette::envelopeLabel);
        g.drawText (labels[i], areas[static_cast<std::size_t> (i)], juce::Justification::centred, false);
    }
    g.setColour (palette::line);
    g.drawRect (frame, 1.0f);
}

void EnvelopeCurveEditor::mouseDown (const juce::MouseEvent& e)
{
    dragHandle = noHandle;
    const auto points = handlePoints();
    for (int i = 0; i < 4; ++i)
        if (points[static_cast<std::size_t> (i)].getDistanceFrom (e.position) < 8.0f)
        {
            dragHandle = i;
            setMouseCursor (i == sustainHandle ? juce::MouseCursor::UpDownResizeCursor : juce::MouseCursor::LeftRightResizeCursor);
            context.beginParameterGesture (parameters[static_cast<std::size_t> (i)]);
            break;
        }
    repaint();
}

void EnvelopeCurveEditor::mouseDrag (const juce::MouseEvent& e)
{
    const float bw = static_cast<float> (getWidth()) - 12.0f, bh = static_cast<float> (getHeight()) - 12.0f;
    if (dragHandle == noHandle || bw <= 0.0f || bh <= 0.0f)
        return;
    const float x = juce::jlimit (6.0f, 6.0f + bw, e.position.x), y = juce::jlimit (6.0f, 6.0f + bh, e.position.y);
    const float fx = (x - 6.0f) / bw;
    float value = 0.0f;
    switch (dragHandle)
    {
        case attackHandle:  value = sweptTime (fx / 0.3f); break;
        case decayHandle:   value = sweptTime ((fx - 0.15f) / 0.45f); break;
        case sustainHandle: value = juce::jlimit (0.0f, 1.0f, 1.0f - (y - 6.0f) / bh); break;
        default:            value = sweptTime ((fx - 0.6f) / 0.4f); break;
    }
    const auto id = parameters[static_cast<std::size_t> (dragHandle)];
    context.setParameterValueInGesture (id, parameterSpec (id).clamp (value));
    repaint();
}

void EnvelopeCurveEditor::mouseUp (const juce::MouseEvent&)
{
    if (dragHandle != noHandle)
        context.endParameterGesture (parameters[static_cast<std::size_t> (dragHandle)]);
    dragHandle = noHandle;
    setMouseCursor (juce::MouseCursor::NormalCursor);
    repaint();
}

std::unique_ptr<juce::AccessibilityHandler> EnvelopeCurveEditor::createAccessibilityHandler()
{
    return drawnControlHandler (*this, juce::AccessibilityRole::group,
                                [this] { return spokenParameters (context, { parameters[0], parameters[1], parameters[2], parameters[3] }); });
}

} // namespace plumora
