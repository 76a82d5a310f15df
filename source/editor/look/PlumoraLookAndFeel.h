#pragma once

#include <juce_audio_utils/juce_audio_utils.h>

namespace plumora
{

// The editor's one look: the palette given to every standard widget once,
// and the drawing shared by the page's section panels.
class PlumoraLookAndFeel : public juce::LookAndFeel_V4
{
public:
    PlumoraLookAndFeel();

    // A section's panel: its bounds filled as a rounded rectangle.
    static void drawSectionPanel (juce::Graphics& g, juce::Rectangle<float> bounds);
    // A section's header text, dim and small, left-aligned in area.
    static void drawSectionHeader (juce::Graphics& g, const juce::String& title, juce::Rectangle<int> area);
    // A tab or toggle drawn as a text button: selected or not.
    static void styleTab (juce::TextButton& button, bool selected);
    // The outline around the control with the keyboard focus.
    static void drawFocusOutline (juce::Graphics& g, juce::Rectangle<float> bounds);

    // The standard widgets, each with the focus outline when it has the focus.
    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& background, bool highlighted, bool down) override;
    void drawComboBox (juce::Graphics&, int width, int height, bool down, int buttonX, int buttonY, int buttonW, int buttonH,
                       juce::ComboBox&) override;
    void drawLinearSlider (juce::Graphics&, int x, int y, int width, int height, float position, float minPosition, float maxPosition,
                           juce::Slider::SliderStyle, juce::Slider&) override;
};

} // namespace plumora
