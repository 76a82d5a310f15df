#pragma once

#include "editor/shell/EditorContext.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

namespace plumora
{

// A modulation envelope drawn as its curve, with four handles (attack,
// decay, sustain, release) that drag its four parameters.
class EnvelopeCurveEditor : public juce::Component
{
public:
    EnvelopeCurveEditor (EditorContext& context, int envelopeIndex);

    // The values to draw, as the engine plays them.
    void setValues (float attack, float decay, float sustain, float release);

    enum Handle { attackHandle, decayHandle, sustainHandle, releaseHandle, noHandle = -1 };
    std::array<juce::Point<float>, 4> handlePoints() const noexcept;
    // Where the four value labels go: above their handles, apart from each
    // other.
    std::array<juce::Rectangle<int>, 4> labelAreas() const;
    int draggedHandle() const noexcept { return dragHandle; }
    // "12ms", "0.30s", "2.5s".
    static juce::String timeText (float seconds);

    std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;
    void paint (juce::Graphics&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;

private:
    EditorContext& context;
    std::array<ParamID, 4> parameters;
    float attack = 0.01f, decay = 0.3f, sustain = 0.5f, release = 0.5f;
    int dragHandle = noHandle;
};

} // namespace plumora
