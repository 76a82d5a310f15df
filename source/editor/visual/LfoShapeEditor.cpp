#include "LfoShapeEditor.h"

#include "editor/controls/Accessibility.h"
#include "editor/look/Palette.h"

#include <array>
#include <cmath>

namespace plumora
{

LfoShapeEditor::LfoShapeEditor (EditorContext& editorContext, int lfoIndex)
    : context (editorContext),
      shapeParameter (std::array<ParamID, 4> { ParamID::lfo1_shape, ParamID::lfo2_shape, ParamID::lfo3_shape, ParamID::lfo4_shape }
                          [static_cast<std::size_t> (juce::jlimit (0, 3, lfoIndex))])
{
    setTitle ("LFO " + juce::String (juce::jlimit (0, 3, lfoIndex) + 1) + " shape");
}

void LfoShapeEditor::setShape (int shape)
{
    if (shape == shownShape)
        return;
    shownShape = shape;
    repaint();
}

float LfoShapeEditor::shapeValue (int shape, float g) noexcept
{
    switch (shape)
    {
        case 0: return std::sin (juce::MathConstants<float>::twoPi * g);
        case 1: return g < 0.25f ? 4.0f * g : g < 0.75f ? 2.0f - 4.0f * g : 4.0f * g - 4.0f;
        case 2: return 2.0f * g - 1.0f;
        case 3: return 1.0f - 2.0f * g;
        case 4: return g < 0.5f ? 1.0f : -1.0f;
        case 5: return std::sin ((3.0f + 7.0f * std::floor (8.0f * g)) * 2.3f); // eight steps of fixed heights
        default: return 0.0f;
    }
}

void LfoShapeEditor::paint (juce::Graphics& g)
{
    const auto frame = getLocalBounds().reduced (2).toFloat();
    const auto area = getLocalBounds().reduced (6).toFloat();
    if (frame.isEmpty())
        return;
    g.setColour (palette::background);
    g.fillRect (frame);

    juce::Path curve;
    for (int i = 0; i <= 64; ++i)
    {
        const float phase = static_cast<float> (i) / 64.0f;
        const juce::Point<float> p { area.getX() + area.getWidth() * phase,
                                     area.getCentreY() - area.getHeight() * shapeValue (shownShape, phase) * 0.45f };
        if (i == 0)
            curve.startNewSubPath (p);
        else
            curve.lineTo (p);
    }
    g.setColour (palette::lfoCurve);
    g.strokePath (curve, juce::PathStrokeType (1.5f));
    g.setColour (palette::line);
    g.drawRect (frame, 1.0f);
}

void LfoShapeEditor::mouseDown (const juce::MouseEvent&) { nextShape(); }

void LfoShapeEditor::nextShape() { context.setParameterValue (shapeParameter, static_cast<float> ((shownShape + 1) % shapeCount)); }

// Pressing it, as clicking it, moves to the next shape.
std::unique_ptr<juce::AccessibilityHandler> LfoShapeEditor::createAccessibilityHandler()
{
    return drawnControlHandler (*this, juce::AccessibilityRole::button,
                                [this] { return spokenParameters (context, { shapeParameter }); }, {}, [this] { nextShape(); });
}

} // namespace plumora
