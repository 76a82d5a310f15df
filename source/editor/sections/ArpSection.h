#pragma once

#include "editor/shell/EditorContext.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <vector>

namespace plumora
{

// The arpeggiator as one hand-drawn strip: a power toggle and "ARP", and when
// the arpeggiator is on (or the strip is forced open, as in the effects
// section) rows of rate, pattern, octave, fade and legato buttons and the
// sixteen step cells that follow the playing step. Shared by both pages.
class ArpSection : public juce::Component
{
public:
    explicit ArpSection (EditorContext& context);

    // The button groups, in the order a press looks them up.
    enum Group { rate, pattern, octave, fade, legato, groupCount };
    static constexpr std::array<float, 4> fadeValues { 0.0f, 0.33f, 0.67f, 1.0f };

    // What layout computes; rebuilt at every layout.
    struct Geometry
    {
        juce::Rectangle<float> power, title;
        std::array<juce::Rectangle<float>, groupCount> labels;
        std::array<std::vector<juce::Rectangle<float>>, groupCount> buttons;
        std::vector<juce::Rectangle<float>> steps;
    };
    const Geometry& geometry() const noexcept { return shape; }

    static constexpr int expandedHeight = 84, foldedHeight = 28;
    int preferredHeight() const { return isExpanded() ? expandedHeight : foldedHeight; }
    bool isExpanded() const;
    void setForcedExpanded();
    // The arpeggiator's playing step and pattern length; repaints only when
    // they changed. Also notices the arpeggiator being switched on or off and
    // asks the parent to lay out again, since the strip's height follows it.
    void updateSteps (int step, int count);
    int shownStep() const noexcept { return step; }
    int shownStepCount() const noexcept { return stepCount; }

    // The button of group that shows as selected for the current values.
    int selectedButton (Group group) const;

    std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;
    void paint (juce::Graphics&) override;
    void resized() override;
    void mouseDown (const juce::MouseEvent&) override;

private:
    float value (ParamID id) const;
    void setValue (ParamID id, float plainValue);
    bool isEnabled() const { return value (ParamID::arp_enabled) > 0.5f; }

    EditorContext& context;
    Geometry shape;
    bool forcedExpanded = false;
    bool lastEnabled = false;
    int step = -1, stepCount = 0;
};

} // namespace plumora
