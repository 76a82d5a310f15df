#pragma once

#include "ArpSection.h"
#include "EffectTabs.h"
#include "KnobSection.h"
#include "SectionPresetMenu.h"

#include <array>

namespace plumora
{

// The six global effects behind a tab list whose rows show each effect's
// live state (a dot at the row's left switches it on or off), the shown
// effect's page (title, power button, knobs, preset menu), and a second view
// holding the arpeggiator strip, chosen by the drawn "FX" and "Arp" buttons.
class FxSection : public KnobSection
{
public:
    enum View { effectsView = 0, arpeggiatorView = 1 };

    explicit FxSection (EditorContext& context);

    void selectTab (int tab);
    void showView (int view);
    int shownTab() const noexcept { return shown; }
    int currentView() const noexcept { return view; }
    // The tick: tab records, a full repaint, modulation rings and, in the
    // arpeggiator view, the playing step.
    void refresh() override;

    const EffectTabRecord& tabRecord (int tab) const noexcept { return records[static_cast<std::size_t> (tab)]; }
    juce::Rectangle<int> fxButtonBounds() const noexcept { return fxButton; }
    juce::Rectangle<int> arpButtonBounds() const noexcept { return arpButton; }
    juce::Label& title() noexcept { return titleLabel; }
    juce::TextButton& powerButton() noexcept { return power; }
    juce::TextButton& chorusButton (int mode) noexcept { return mode == 0 ? classicButton : ensembleButton; }
    SectionPresetMenu& presetMenu() noexcept { return menu; }
    ArpSection& arpeggiator() noexcept { return arp; }

    void paint (juce::Graphics&) override;
    void resized() override;
    void mouseDown (const juce::MouseEvent&) override;

private:
    void toggleBypass (int tab);
    void setChorusMode (int mode);
    void refreshPowerButton();
    bool refreshChorusButtons(); // true when the mode shown changed
    void followChorusMode();
    void updateKnobVisibility();
    bool isEnsemble() const;
    void layoutEffectPage (juce::Rectangle<int> column);

    std::array<EffectTabRecord, effectTabCount> records;
    juce::Rectangle<int> fxButton, arpButton;
    juce::Label titleLabel;
    juce::TextButton power, classicButton { "Classic" }, ensembleButton { "Ensemble" };
    int view = effectsView, shown = 0; // before the menu, whose filter reads shown
    ArpSection arp;
    SectionPresetMenu menu;
    int powerShown = -1, chorusShown = -1; // what the buttons show: -1 before the first look
};

} // namespace plumora
