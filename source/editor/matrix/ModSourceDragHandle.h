#pragma once

#include "engine/ModRouting.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace plumora
{

// A small coloured tag naming one modulation source; dragged onto a knob it
// makes a routing to the knob's parameter.
class ModSourceDragHandle : public juce::Component
{
public:
    explicit ModSourceDragHandle (ModSourceID source);

    ModSourceID source() const noexcept { return handleSource; }
    bool isPressed() const noexcept { return pressed; }
    // The drag it started has ended (dropped anywhere or cancelled).
    void dragEnded();

    std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;
    void paint (juce::Graphics&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;

private:
    ModSourceID handleSource;
    bool pressed = false;
};

} // namespace plumora
