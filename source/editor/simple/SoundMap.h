#pragma once

#include "SoundMapModel.h"
#include "editor/shell/EditorContext.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

namespace plumora
{

// The S!MPLE page's two-dimensional pad: the dot's x sets brightness (filter
// cutoff, high shelf and, through the timbre's brightness map, the table
// position), its y harshness (the drive family and resonance). The dot
// leaves a trail a double click can step back along. It starts at the
// centre, "Warm", and writes nothing until the user moves it or a timbre
// hands it its maps.
class SoundMap : public juce::Component, public juce::TooltipClient
{
public:
    explicit SoundMap (EditorContext& context);

    // A timbre's maps, copied; the sound takes them at once unless the maps
    // only come along with a sound being restored as it was saved.
    void setTimbreMaps (std::vector<float> brightnessMap, std::vector<float> harshnessMap, bool applyNow = true);
    // Clamped to 0 ... 1; a move of more than 3 px leaves a trail point.
    void setPosition (float x, float y);
    // Writes what the dot's point means to the host parameters.
    void applyToSound() const;

    float brightness() const noexcept { return x; }
    float harshness() const noexcept { return y; }
    const juce::String& label() const noexcept { return currentLabel; }
    const std::deque<juce::Point<float>>& trail() const noexcept { return history.points(); }
    bool isDragging() const noexcept { return dragging; }
    // The dot's centre in this component's pixels.
    juce::Point<float> dotPosition() const noexcept;

    juce::String getTooltip() override;
    // Screen readers and the keyboard: brightness and harshness
    // with the character there (two numbers typed, 0 ... 1, move the dot);
    // the arrow keys move the dot a step.
    std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;
    bool keyPressed (const juce::KeyPress&) override;
    void focusGained (FocusChangeType) override { repaint(); }
    void focusLost (FocusChangeType) override { repaint(); }
    void paint (juce::Graphics&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void mouseDoubleClick (const juce::MouseEvent&) override;

private:
    struct Landmark
    {
        const char* name;
        juce::Point<float> at; // map coordinates
    };
    static const std::vector<Landmark>& landmarks();

    void moveTo (juce::Point<float> mapPoint, bool leaveTrail);
    juce::Rectangle<float> areaAroundDot (juce::Point<float> dot) const;

    void paintBackground (juce::Graphics&, juce::Rectangle<float> inner, juce::Point<float> centre) const;
    void paintWords (juce::Graphics&, juce::Rectangle<float> inner, juce::Point<float> centre) const;
    void paintLandmarks (juce::Graphics&, juce::Point<float> dot) const;
    void paintTrail (juce::Graphics&) const;
    void paintDot (juce::Graphics&, juce::Point<float> dot) const;

    EditorContext& context;
    float x = 0.5f, y = 0.5f;
    juce::String currentLabel { "Warm" };
    std::vector<float> brightnessMap, harshnessMap;
    SoundMapTrail history;
    bool dragging = false;
};

} // namespace plumora
