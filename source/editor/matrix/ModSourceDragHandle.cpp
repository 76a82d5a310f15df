#include "ModSourceDragHandle.h"

#include "editor/controls/Accessibility.h"
#include "editor/controls/ModSourceInfo.h"
#include "editor/look/Palette.h"

namespace plumora
{

ModSourceDragHandle::ModSourceDragHandle (ModSourceID source) : handleSource (source)
{
    setName (modSourceShortName (source));
    setTitle (modSourceShortName (source) + ": drag onto a knob to modulate it");
    setMouseCursor (juce::MouseCursor::DraggingHandCursor);
}

void ModSourceDragHandle::paint (juce::Graphics& g)
{
    const auto colour = modSourceColour (handleSource);
    const auto r = juce::Rectangle<float> (2.0f, 2.0f, std::max (static_cast<float> (getWidth()) - 4.0f, 0.0f),
                                           std::max (static_cast<float> (getHeight()) - 4.0f, 0.0f));
    g.setColour (colour.withAlpha (pressed ? palette::handlePressedAlpha : palette::handleAlpha));
    g.fillRoundedRectangle (r, 4.0f);
    g.setColour (colour.withAlpha (palette::modulationRingAlpha));
    g.drawRoundedRectangle (r, 4.0f, 1.0f);
    g.setFont (palette::font (10.0f));
    g.drawFittedText (modSourceShortName (handleSource), r.toNearestInt(), juce::Justification::centred, 1);
}

void ModSourceDragHandle::mouseDown (const juce::MouseEvent&)
{
    pressed = true;
    repaint();
}

void ModSourceDragHandle::mouseDrag (const juce::MouseEvent&)
{
    auto* container = juce::DragAndDropContainer::findParentDragContainerFor (this);
    if (container != nullptr && ! container->isDragAndDropActive())
        container->startDragging (static_cast<int> (handleSource), this, juce::ScaledImage(), false);
}

void ModSourceDragHandle::mouseUp (const juce::MouseEvent&) { dragEnded(); }

void ModSourceDragHandle::dragEnded()
{
    if (! pressed)
        return;
    pressed = false;
    repaint();
}

std::unique_ptr<juce::AccessibilityHandler> ModSourceDragHandle::createAccessibilityHandler()
{
    return drawnControlHandler (*this, juce::AccessibilityRole::image, [this] { return modSourceDescription (handleSource); });
}

} // namespace plumora
