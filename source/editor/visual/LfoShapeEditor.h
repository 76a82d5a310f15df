#pragma once

#include "editor/shell/EditorContext.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace plumora
{

// One LFO's waveform; a click steps the LFO to its next shape.
class LfoShapeEditor : public juce::Component
{
public:
    LfoShapeEditor (EditorContext& context, int lfoIndex);

    static constexpr int shapeCount = 6;
    // The shape to draw, as the LFO section last saw it.
    void setShape (int shape);
    int shape() const noexcept { return shownShape; }
    // The shape's value at phase 0 ... 1 as drawn (-1 ... 1).
    static float shapeValue (int shape, float phase) noexcept;

    std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;
    void paint (juce::Graphics&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void nextShape();

private:
    EditorContext& context;
    ParamID shapeParameter;
    int shownShape = 0;
};

} // namespace plumora
