#pragma once

#include "KnobSection.h"

namespace plumora
{

// The master volume and a virtual mod wheel. The wheel is not a parameter:
// it writes the engine's mod-wheel value, the same one MIDI controller 1
// sets, so routings from the mod wheel follow it; it is not saved.
class MasterSection : public KnobSection
{
public:
    explicit MasterSection (EditorContext& context);

    juce::Slider& modWheel() noexcept { return wheel; }

    void paint (juce::Graphics&) override;
    void resized() override;

protected:
    juce::Rectangle<int> headerBounds() const noexcept override { return { 0, 0, getWidth(), 14 }; }

private:
    juce::Slider wheel { juce::Slider::LinearVertical, juce::Slider::NoTextBox };
};

} // namespace plumora
