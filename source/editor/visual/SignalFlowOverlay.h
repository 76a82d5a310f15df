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

    // Advances the pulse and redraws the cables whose look changed, where
    // they are and where they were.
    void tick();
    // A cable's pulsing opacity, in the steps it is drawn with.
    float alphaOf (const Cable& cable) const noexcept;
    float phase() const noexcept { return pulse; }

    void paint (juce::Graphics&) override;

private:
    juce::Component* anchorFor (ModSourceID source) const;

    juce::RectangleList<int> areaOf (const Cable& cable) const;

    struct DrawnCable
    {
        Cable cable;
        float alpha;
        juce::RectangleList<int> area;
    };

    EditorContext& context;
    float pulse = 0.0f;
    std::vector<DrawnCable> drawn;
};

} // namespace plumora
