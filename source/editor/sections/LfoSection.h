#pragma once

#include "KnobSection.h"
#include "SectionPresetMenu.h"
#include "editor/matrix/ModSourceDragHandle.h"
#include "editor/visual/LfoShapeEditor.h"

#include <array>
#include <memory>

namespace plumora
{

// The four LFOs behind number tabs. Each has its drag handle (its source for
// the matrix), rate, depth and shape knobs, a Global / Per-Voice mode button,
// delay and fade knobs and its shape display; only the shown LFO's are
// visible, all four sit in the same places.
class LfoSection : public KnobSection,
                   private PresetManager::Listener
{
public:
    static constexpr int lfoCount = 4;
    static constexpr int knobsPerLfo = 5; // Rate, Depth, Shape, Delay, Fade

    explicit LfoSection (EditorContext& context);
    ~LfoSection() override;

    void showLfo (int lfo);
    int shownLfo() const noexcept { return shown; }
    // The tick: modulation rings, shape displays and mode buttons.
    void refresh() override;

    juce::TextButton& tab (int lfo) const noexcept { return *tabs[slot (lfo)]; }
    juce::TextButton& modeButton (int lfo) const noexcept { return *modeButtons[slot (lfo)]; }
    ModSourceDragHandle& dragHandle (int lfo) const noexcept { return *handles[slot (lfo)]; }
    LfoShapeEditor& shapeDisplay (int lfo) const noexcept { return *shapes[slot (lfo)]; }
    PlumKnob& lfoKnob (int lfo, int row) const noexcept { return knob (static_cast<std::size_t> (lfo * knobsPerLfo + row)); }
    SectionPresetMenu& presetMenu() noexcept { return menu; }

    // The mode parameter LFO lfo (0 ... 3) switches.
    static ParamID modeParameter (int lfo) noexcept;

    void resized() override;

protected:
    juce::Rectangle<int> headerBounds() const noexcept override { return { 4, 0, std::min (getWidth() - 8, 30), 14 }; }

private:
    static std::size_t slot (int lfo) noexcept { return static_cast<std::size_t> (juce::jlimit (0, lfoCount - 1, lfo)); }
    void toggleMode (int lfo);
    void refreshModeButton (int lfo);
    void presetLoaded (int scope) override;

    std::array<std::unique_ptr<juce::TextButton>, lfoCount> tabs, modeButtons;
    std::array<std::unique_ptr<ModSourceDragHandle>, lfoCount> handles;
    std::array<std::unique_ptr<LfoShapeEditor>, lfoCount> shapes;
    std::array<int, lfoCount> modeShown { -1, -1, -1, -1 }; // 0 Global, 1 Per-Voice, -1 not drawn yet
    SectionPresetMenu menu;
    int shown = 0;
};

} // namespace plumora
