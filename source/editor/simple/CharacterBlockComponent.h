#pragma once

#include "editor/shell/EditorContext.h"
#include "simple/CharacterMapState.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

namespace plumora
{

// One character map as a row: its name, a box per step (click to apply),
// a button that animates the dimension and one that resets it.
class CharacterBlockComponent : public juce::Component,
                                public juce::TooltipClient
{
public:
    CharacterBlockComponent (EditorContext& context, CharacterMap map);

    int getCurrentStep() const noexcept { return state.currentStep; }
    bool isAnimating() const noexcept { return state.animating; }
    const CharacterMap& map() const noexcept { return state.map; }
    CharacterMapKind kind() const noexcept { return mapKind; }

    // Applies step i (what a click on its box does) and shows it.
    void setStep (int stepIndex);
    // Shows step i as chosen for a restored preset, writing nothing.
    void showRestoredStep (int stepIndex);
    void reset();
    void toggleAnimation();

    struct Layout
    {
        juce::Rectangle<int> name, animate, reset;
        std::vector<juce::Rectangle<int>> steps;
    };
    Layout layout() const noexcept;

    juce::String tooltipAt (juce::Point<int> position) const;
    juce::String getTooltip() override { return tooltipAt (getMouseXYRelative()); }

    // Screen readers and the keyboard: the chosen step by name
    // (a step's name typed sets it), Left and Right choose the step before
    // or after.
    std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;
    bool keyPressed (const juce::KeyPress&) override;
    void focusGained (FocusChangeType) override { repaint(); }
    void focusLost (FocusChangeType) override { repaint(); }
    void paint (juce::Graphics&) override;
    void mouseDown (const juce::MouseEvent&) override;

private:
    void paintAnimateButton (juce::Graphics&, juce::Rectangle<float>) const;
    void paintResetButton (juce::Graphics&, juce::Rectangle<float>) const;

    EditorContext& context;
    CharacterMapState state;
    CharacterMapKind mapKind;
    std::vector<juce::Path> glyphs;
};

} // namespace plumora
