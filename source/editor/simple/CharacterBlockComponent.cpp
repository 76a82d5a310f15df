#include "CharacterBlockComponent.h"

#include "CharacterGlyphs.h"
#include "editor/controls/Accessibility.h"
#include "editor/look/Palette.h"
#include "editor/look/PlumoraLookAndFeel.h"

#include <cmath>

namespace plumora
{

CharacterBlockComponent::CharacterBlockComponent (EditorContext& editorContext, CharacterMap characterMap)
    : context (editorContext), state (std::move (characterMap)), mapKind (characterMapKind (state.map.name))
{
    setName (state.map.name);
    setTitle (state.map.name);
    setWantsKeyboardFocus (true);
    setMouseClickGrabsKeyboardFocus (false); // the on-screen keyboard keeps the focus
    for (const auto& step : state.map.steps)
        glyphs.push_back (characterGlyph (mapKind, step));
}

void CharacterBlockComponent::setStep (int stepIndex)
{
    applyStep (state, stepIndex, context.parameterWriter());
    repaint();
}

void CharacterBlockComponent::showRestoredStep (int stepIndex)
{
    restoreStep (state, stepIndex);
    repaint();
}

void CharacterBlockComponent::reset()
{
    resetMap (state, context.parameterWriter());
    repaint();
}

void CharacterBlockComponent::toggleAnimation()
{
    plumora::toggleAnimation (state, context.parameterWriter());
    repaint();
}

CharacterBlockComponent::Layout CharacterBlockComponent::layout() const noexcept
{
    Layout l;
    auto area = getLocalBounds();
    l.name = area.removeFromLeft (std::min (area.getWidth(), 70));
    area.removeFromLeft (std::min (area.getWidth(), 6));
    auto column = area.removeFromRight (std::min (area.getWidth(), 30));
    const int h = column.getHeight(), half = std::max ((h - 4) / 2, 0);
    l.animate = column.removeFromTop (std::min (h, half));
    column.removeFromTop (std::min (column.getHeight(), 4));
    l.reset = column.removeFromTop (std::min (column.getHeight(), half));
    area.removeFromRight (std::min (area.getWidth(), 6));

    const int n = static_cast<int> (state.map.steps.size());
    if (n > 0)
    {
        const int boxWidth = std::max ((area.getWidth() - (n - 1) * 5) / n, 0);
        for (int i = 0; i < n; ++i)
            l.steps.push_back ({ area.getX() + i * (boxWidth + 5), area.getY(), boxWidth, area.getHeight() });
    }
    return l;
}

juce::String CharacterBlockComponent::tooltipAt (juce::Point<int> position) const
{
    const auto l = layout();
    if (l.animate.contains (position))
        return state.animating ? "Stop animation" : "Animate this dimension with an LFO";
    if (l.reset.contains (position))
        return "Reset " + state.map.name + " to default";
    for (std::size_t i = 0; i < l.steps.size(); ++i)
        if (l.steps[i].contains (position))
            return state.map.steps[i].label + characterStepDescription (mapKind, state.map.steps[i]);
    return characterMapDescription (mapKind);
}

void CharacterBlockComponent::mouseDown (const juce::MouseEvent& e)
{
    const auto l = layout();
    const auto p = e.getPosition();
    for (std::size_t i = 0; i < l.steps.size(); ++i)
        if (l.steps[i].contains (p))
            return setStep (static_cast<int> (i));
    if (l.animate.contains (p))
        toggleAnimation();
    else if (l.reset.contains (p))
        reset();
}

void CharacterBlockComponent::paint (juce::Graphics& g)
{
    if (hasKeyboardFocus (false))
        PlumoraLookAndFeel::drawFocusOutline (g, getLocalBounds().toFloat());
    const auto l = layout();
    g.setColour (palette::textDim);
    g.setFont (palette::font (13.0f));
    g.drawText (state.map.name, l.name, juce::Justification::centredRight, true);

    for (std::size_t i = 0; i < l.steps.size(); ++i)
    {
        const bool chosen = static_cast<int> (i) == state.currentStep;
        const auto box = l.steps[i].toFloat();
        g.setColour (chosen ? palette::selected : palette::blockBox);
        g.fillRoundedRectangle (box, 4.0f);
        g.setColour (palette::line);
        g.drawRoundedRectangle (box.reduced (0.5f), 4.0f, 1.0f);

        auto pictureArea = box.reduced (6.0f, 4.0f);
        const auto labelStrip = pictureArea.removeFromBottom (std::min (pictureArea.getHeight(), 20.0f));
        if (! glyphs[i].isEmpty() && ! pictureArea.isEmpty())
        {
            g.setColour (chosen ? palette::text : palette::textDim);
            const auto scaled = juce::AffineTransform::scale (pictureArea.getWidth(), pictureArea.getHeight())
                                    .translated (pictureArea.getX(), pictureArea.getY());
            g.strokePath (glyphs[i], juce::PathStrokeType (chosen ? 1.8f : 1.2f), scaled);
        }
        g.setColour (chosen ? palette::text : palette::textDim);
        g.setFont (palette::font (11.0f));
        g.drawText (state.map.steps[i].label, labelStrip, juce::Justification::centred, true);
    }
    paintAnimateButton (g, l.animate.toFloat());
    paintResetButton (g, l.reset.toFloat());
}

// The two buttons share their body: a dark box with a faint outline.
static void paintButtonBody (juce::Graphics& g, juce::Rectangle<float> r)
{
    g.setColour (palette::blockBox);
    g.fillRoundedRectangle (r, 4.0f);
    g.setColour (palette::line.withMultipliedAlpha (0.3f));
    g.drawRoundedRectangle (r, 4.0f, 1.0f);
}

void CharacterBlockComponent::paintAnimateButton (juce::Graphics& g, juce::Rectangle<float> r) const
{
    if (r.isEmpty())
        return;
    paintButtonBody (g, r);

    const auto colour = state.animating ? palette::sourceLfo : palette::textDim.withMultipliedAlpha (0.5f);
    const auto c = r.getCentre();
    const float side = std::min (r.getWidth(), r.getHeight());
    g.setColour (colour);
    g.fillEllipse (juce::Rectangle<float> (4.0f, 4.0f).withCentre (c));
    for (const auto& [radius, span] : { std::pair<float, float> { 0.22f, 0.8f }, { 0.352f, 0.6f } })
    {
        juce::Path arc;
        arc.addCentredArc (c.x, c.y, radius * side, radius * side, 0.0f, -span, span, true);
        g.strokePath (arc, juce::PathStrokeType (1.2f));
    }
}

void CharacterBlockComponent::paintResetButton (juce::Graphics& g, juce::Rectangle<float> r) const
{
    if (r.isEmpty())
        return;
    paintButtonBody (g, r);
    const float inset = 0.3f * std::min (r.getWidth(), r.getHeight());
    const auto cross = r.reduced (inset);
    g.setColour (palette::textDim.withMultipliedAlpha (0.5f));
    g.drawLine ({ cross.getTopLeft(), cross.getBottomRight() }, 1.5f);
    g.drawLine ({ cross.getTopRight(), cross.getBottomLeft() }, 1.5f);
}

bool CharacterBlockComponent::keyPressed (const juce::KeyPress& key)
{
    const auto step = choiceAfterArrowKey (key, state.currentStep, static_cast<int> (state.map.steps.size()));
    if (! step)
        return false;
    setStep (*step);
    announceValueChange (*this);
    return true;
}

std::unique_ptr<juce::AccessibilityHandler> CharacterBlockComponent::createAccessibilityHandler()
{
    return drawnControlHandler (*this, juce::AccessibilityRole::group,
                                [this]
                                {
                                    const auto step = state.currentStep;
                                    return step >= 0 && step < static_cast<int> (state.map.steps.size())
                                               ? state.map.steps[static_cast<std::size_t> (step)].label
                                               : juce::String ("No step");
                                },
                                [this] (const juce::String& text)
                                {
                                    for (std::size_t i = 0; i < state.map.steps.size(); ++i)
                                        if (state.map.steps[i].label.equalsIgnoreCase (text.trim()))
                                            setStep (static_cast<int> (i));
                                });
}

} // namespace plumora
