#pragma once

#include "EditorContent.h"
#include "presets/PresetManager.h"

#include <functional>
#include <memory>
#include <vector>

namespace plumora
{

class PlumKnob;
class ArpSection;
class CharacterBlockComponent;
class TimbreLibrary;
class SoundMap;

// The S!MPLE page: the timbre library and the sound map on top, the
// character blocks and the arpeggiator strip below, and a bottom bar with
// the "Pick" knob, "Save" and "Reset All".
class SimpleEditorContent : public EditorContent,
                            private PresetManager::Listener
{
public:
    explicit SimpleEditorContent (EditorContext& context);
    ~SimpleEditorContent() override;

    // Selects the timbre and block steps a S!MPLE preset of that name was
    // saved with, leaving the sound as the preset made it.
    void restoreSimpleMeta (const juce::String& presetName);

    // "Save": records the timbre and block steps with the save, then asks
    // for a name and a category; the dialog's result comes back through
    // finishSave (a taken name says so and asks again; Cancel drops what
    // was recorded).
    void savePreset();
    // Hands the manager the timbre and steps the next save records.
    void recordSimpleMeta();
    void finishSave (int result, const juce::String& name, const juce::String& category);
    std::function<void (const juce::String& title, const juce::String& text)> showMessage;
    std::function<void()> askForNameAgain;

    void tick() override;
    void paint (juce::Graphics&) override;
    void resized() override;

    TimbreLibrary& timbreLibrary() const noexcept { return *library; }
    SoundMap& soundMap() const noexcept { return *map; }
    ArpSection& arpeggiator() const noexcept { return *arpStrip; }
    const std::vector<std::unique_ptr<CharacterBlockComponent>>& characterBlocks() const noexcept { return blocks; }
    // Shown when the data files gave fewer than the five blocks.
    const juce::Label& dataNote() const noexcept { return missingData; }
    PlumKnob& pickKnob() const noexcept { return *pick; }
    juce::TextButton& saveButton() noexcept { return save; }
    juce::TextButton& resetAllButton() noexcept { return resetAll; }

private:
    void currentPresetChanged (const juce::String& name) override;

    std::unique_ptr<TimbreLibrary> library;
    std::unique_ptr<SoundMap> map;
    std::unique_ptr<ArpSection> arpStrip;
    std::vector<std::unique_ptr<CharacterBlockComponent>> blocks;
    juce::Label missingData;
    std::unique_ptr<PlumKnob> pick;
    juce::TextButton save { "Save" }, resetAll { "Reset All" };
    bool restoring = false;
};

} // namespace plumora
