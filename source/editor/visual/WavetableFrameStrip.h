#pragma once

#include "editor/shell/EditorContext.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

namespace plumora
{

// The shown oscillator's wavetable as a stack of its frames, with the
// current position, the unison spread and a preview of the current frame;
// a click or drag on the stack sets the position.
class WavetableFrameStrip : public juce::Component
{
public:
    explicit WavetableFrameStrip (EditorContext& context);

    // 0 shows oscillator 1, 1 oscillator 2.
    void showOscillator (int oscillator);
    int shownOscillator() const noexcept { return slot; }

    struct Display
    {
        float position = 0.0f;
        int unison = 1;
        float detune = 0.0f, drift = 0.0f, level = 1.0f, pan = 0.0f;
        bool operator== (const Display& o) const noexcept
        {
            return position == o.position && unison == o.unison && detune == o.detune && drift == o.drift && level == o.level && pan == o.pan;
        }
    };
    // What the engine plays now; the strip repaints when it changed or the
    // engine was handed another table (whose frames it then draws anew).
    void show (const Display& display);
    const Display& display() const noexcept { return shown; }

    // The frame paths, built from the table the strip holds.
    void rebuildFrames();
    std::size_t frameCount() const noexcept { return frames.size(); }

    std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;
    void paint (juce::Graphics&) override;
    void resized() override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;

private:
    struct Bands
    {
        float inner, height, preview; // inner width c, inner height d, preview band p
    };
    Bands bands() const noexcept;
    void setPositionFrom (float y);
    ParamID positionParameter() const noexcept;

    EditorContext& context;
    int slot = 0;
    Display shown;
    SharedWavetable table; // held while drawn: a replaced table stays whole
    std::vector<juce::Path> frames;
    bool dragging = false;
};

} // namespace plumora
