#pragma once

#include "editor/shell/EditorContext.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <optional>

namespace plumora
{

// The sub oscillator (shape buttons, level bar) and the noise (filter
// buttons, level and cutoff bars), drawn by hand from what the engine plays.
class SubNoisePanel : public juce::Component
{
public:
    explicit SubNoisePanel (EditorContext& context);

    // Where each control sits at the panel's size.
    struct Hits
    {
        std::array<juce::Rectangle<float>, 2> shapeButtons;
        juce::Rectangle<float> subLevel, noiseLevel, noiseCutoff;
        std::array<juce::Rectangle<float>, 3> filterButtons;
    };
    Hits hits() const noexcept;

    // Repaints when what the engine plays differs from what is drawn.
    void refresh();
    std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;
    void paint (juce::Graphics&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;

private:
    void setBarFrom (float x);

    std::array<float, 5> shownValues() const noexcept;

    EditorContext& context;
    std::optional<ParamID> activeBar;
    std::array<float, 5> drawn {};
};

} // namespace plumora
