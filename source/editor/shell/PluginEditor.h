#pragma once

#include "EditorContent.h"
#include "EditorContext.h"
#include "editor/controls/Accessibility.h"
#include "editor/look/PlumoraLookAndFeel.h"
#include "presets/PresetManager.h"

#include <juce_audio_utils/juce_audio_utils.h>

#include <memory>

class PlumoraAudioProcessor;

// The plug-in window: a top bar (title, preset browser, mode switch), the
// PRO or S!MPLE page, and the on-screen keyboard. One 33 ms timer drives
// every live display of the page.
class PlumoraAudioProcessorEditor : public juce::AudioProcessorEditor,
                                    private juce::Timer,
                                    private plumora::PresetManager::Listener
{
public:
    explicit PlumoraAudioProcessorEditor (PlumoraAudioProcessor&);
    ~PlumoraAudioProcessorEditor() override;

    // 0 shows the PRO page, 1 the S!MPLE page; anything else no page.
    void setEditorMode (int mode);
    void toggleEditorMode();
    void refreshPresetList();
    // Selects and loads the previous (-1) or next (+1) preset of the menu,
    // wrapping at its ends.
    void stepPreset (int delta);

    // The menu index stepping moves to from selected (-1: none) in a menu
    // of count items; -1 when the menu is empty.
    static int steppedIndex (int count, int selected, int delta) noexcept;

    plumora::EditorContent* page() const noexcept { return content.get(); }
    juce::ComboBox& presetMenu() noexcept { return presetBox; }
    juce::TextButton& modeSwitch() noexcept { return modeButton; }
    juce::TextButton& previousPresetButton() noexcept { return prevButton; }
    juce::TextButton& nextPresetButton() noexcept { return nextButton; }
    juce::MidiKeyboardComponent& onScreenKeyboard() noexcept { return keyboard; }

    // The host's display scale, limited to what a screen can show: a scale of
    // 0 (or not a number) would leave no window, one of 10 a window of
    // 12000 pixels.
    void setScaleFactor (float newScale) override;
    static float usableScale (float requested) noexcept;
    bool isWholeScale() const noexcept;

    void paint (juce::Graphics&) override;
    void resized() override;
    void timerCallback() override;

private:
    void currentPresetChanged (const juce::String& name) override;
    void presetListChanged() override;
    void selectPresetNamed (const juce::String& name);
    void loadChosenPreset();

    plumora::PlumoraLookAndFeel lookAndFeel; // outlives every child
    PlumoraAudioProcessor& plugin;
    plumora::EditorContext context;
    juce::MidiKeyboardComponent keyboard;
    juce::TextButton modeButton, prevButton { "<" }, nextButton { ">" };
    plumora::NamedComboBox presetBox;
    juce::TooltipWindow tooltips { this };
    std::unique_ptr<plumora::EditorContent> content;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PlumoraAudioProcessorEditor)
};
