#pragma once

#include "editor/shell/EditorContext.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <map>
#include <vector>

namespace plumora
{

// A transparent layer over the PRO page drawing a cable from each routing's
// source (its drag handle, or the tab that shows it) to the knob it moves,
// pulsing per source. Only the cables' own area is redrawn.
class SignalFlowOverlay : public juce::Component
{
public:
    explicit SignalFlowOverlay (EditorContext& context);

    // The knob that stands for each target, and for each source the
    // component its cable starts at: the first of the candidates showing.
    std::map<ParamID, juce::Component*> targetComponents;
    std::map<ModSourceID, std::vector<juce::Component*>> sourceComponents;

    struct Cable
    {
        ModSourceID source;
        juce::Point<float> start, end;
        float width;
    };
    // The cables the routings make now, in list order.
    std::vector<Cable> cables() const;

    // Advances the pulse and redraws where cables are or were.
    void tick();
    float phase() const noexcept { return pulse; }

    void paint (juce::Graphics&) override;

private:
    juce::Component* anchorFor (ModSourceID source) const;
    // Small boxes along every cable, so a redraw covers the cables and not
    // the page between them.
    juce::RectangleList<int> cableArea() const;

    EditorContext& context;
    float pulse = 0.0f;
    juce::RectangleList<int> lastArea;
};

} // namespace plumora
