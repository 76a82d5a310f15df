#pragma once

#include "KnobSection.h"
#include "SectionPresetMenu.h"
#include "editor/visual/WavetableFrameStrip.h"

#include <array>
#include <memory>

namespace plumora
{

// Both oscillator slots behind tabs "OSC1" and "OSC2": fifteen knobs each
// (the unison or the string knobs by the slot's mode), the mode menu, the
// wavetable position slider and frame strip, and three shared knobs.
class OscillatorSection : public KnobSection
{
public:
    explicit OscillatorSection (EditorContext& context);
    ~OscillatorSection() override;

    static constexpr int knobsPerOscillator = 15;
    void showOscillator (int oscillator);
    int shownOscillator() const noexcept { return shown; }
    void updateModeVisibility();

    // Oscillator o's knob labelled label (one of the fifteen), or a shared one.
    PlumKnob& knobFor (int oscillator, const juce::String& label) const;
    juce::ComboBox& modeMenu (int oscillator) noexcept { return modeMenus[static_cast<std::size_t> (oscillator)]; }
    juce::TextButton& tab (int oscillator) noexcept { return tabs[static_cast<std::size_t> (oscillator)]; }
    juce::Slider& positionSlider() noexcept { return position; }
    // The factory tables; the shown slot's is selected (none for a table
    // the menu does not list).
    juce::ComboBox& wavetableMenu() noexcept { return tables; }
    WavetableFrameStrip& frameStrip() noexcept { return strip; }
    SectionPresetMenu& presetMenu() noexcept { return presets; }

    void refresh() override;
    void resized() override;

private:
    bool isString (int oscillator) const;
    void showPlayingTable();

    std::array<juce::TextButton, 2> tabs { juce::TextButton ("OSC1"), juce::TextButton ("OSC2") };
    std::array<NamedComboBox, 2> modeMenus;
    std::array<std::unique_ptr<juce::ComboBoxParameterAttachment>, 2> modeAttachments;
    std::array<juce::Label, 2> modeLabels;
    NamedComboBox tables;
    juce::Slider position { juce::Slider::LinearVertical, juce::Slider::NoTextBox };
    std::unique_ptr<juce::SliderParameterAttachment> positionAttachment;
    WavetableFrameStrip strip;
    SectionPresetMenu presets;
    int shown = 0;
};

} // namespace plumora
