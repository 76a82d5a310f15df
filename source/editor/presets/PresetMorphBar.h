#pragma once

#include "editor/shell/EditorContext.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

namespace plumora
{

// Two stored states of the sound, A and B, and a slider that blends every
// parameter between them (stepped ones jump where the blend rounds over).
// Routings, tables and the MPE flag are not blended.
class PresetMorphBar : public juce::Component
{
public:
    explicit PresetMorphBar (EditorContext& context);

    juce::TextButton& saveAButton() noexcept { return saveA; }
    juce::TextButton& saveBButton() noexcept { return saveB; }
    juce::Slider& slider() noexcept { return morph; }

    // Sets every parameter to A + (B - A) t; nothing until both are stored.
    void morphTo (double t);

    void paint (juce::Graphics&) override;
    void resized() override;

private:
    std::optional<ParameterValues> capture() const;

    EditorContext& context;
    juce::TextButton saveA { "Save A" }, saveB { "Save B" };
    juce::Slider morph { juce::Slider::LinearHorizontal, juce::Slider::TextBoxRight };
    std::optional<ParameterValues> stateA, stateB;
};

} // namespace plumora
