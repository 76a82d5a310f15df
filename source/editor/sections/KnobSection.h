#pragma once

#include "SectionPanel.h"
#include "editor/controls/PlumKnob.h"

#include <initializer_list>
#include <memory>
#include <vector>

namespace plumora
{

// One knob of a section: its label and the parameter it turns.
struct KnobRow
{
    const char* label;
    ParamID parameter;
};

// A section made of knobs, described as a table: the knobs are built, bound
// and shown from it, and the page's wiring, the refresh and the tests walk
// the same list.
class KnobSection : public SectionPanel
{
public:
    KnobSection (EditorContext& context, juce::String header, std::initializer_list<KnobRow> rows);

    // The knobs in table order.
    const std::vector<PlumKnob*>& getKnobs() const noexcept { return knobList; }
    PlumKnob& knob (std::size_t i) const noexcept { return *knobList[i]; }
    // Shows what the engine modulated on each knob.
    virtual void refresh();

protected:
    // Places knobs in table order over a grid of columns x rows in area.
    static void layoutGrid (const std::vector<PlumKnob*>& knobs, juce::Rectangle<int> area, int columns, int rows);

    EditorContext& context;

private:
    std::vector<std::unique_ptr<PlumKnob>> owned;
    std::vector<PlumKnob*> knobList;
};

} // namespace plumora
