#include "KnobSection.h"

#include "editor/controls/ModulationDisplay.h"

namespace plumora
{

KnobSection::KnobSection (EditorContext& editorContext, juce::String header, std::initializer_list<KnobRow> rows)
    : SectionPanel (std::move (header)), context (editorContext)
{
    for (const auto& row : rows)
    {
        auto& knob = *owned.emplace_back (std::make_unique<PlumKnob> (editorContext, row.parameter, row.label));
        knob.attachToParameter();
        addAndMakeVisible (knob);
        knobList.push_back (&knob);
    }
}

void KnobSection::refresh() { updateModulationDisplay (context, knobList); }

void KnobSection::layoutGrid (const std::vector<PlumKnob*>& knobs, juce::Rectangle<int> area, int columns, int rows)
{
    if (columns <= 0 || rows <= 0)
        return;
    const int cellWidth = area.getWidth() / columns, cellHeight = area.getHeight() / rows;
    for (std::size_t i = 0; i < knobs.size() && static_cast<int> (i) < columns * rows; ++i)
    {
        const int column = static_cast<int> (i) % columns, row = static_cast<int> (i) / columns;
        knobs[i]->setBounds (area.getX() + column * cellWidth, area.getY() + row * cellHeight, cellWidth, cellHeight);
    }
}

} // namespace plumora
