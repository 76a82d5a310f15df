#pragma once

#include "PresetMorphBar.h"
#include "presets/PresetManager.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

namespace plumora
{

// The PRO page's preset bar: the current preset's name, previous and next
// over the complete presets (factory, then user) with a counter of its own,
// "Save" (a dialog: name, scope, category), "Export" (the current sound to a
// file of the user's choice) and the morph bar.
class PresetSection : public juce::Component,
                      private PresetManager::Listener
{
public:
    explicit PresetSection (EditorContext& context);
    ~PresetSection() override;

    void nextPreset();
    void previousPreset();

    // Opens the save dialog; its result comes back through finishSave.
    void savePreset();
    // What the dialog's result does: a taken name says so and asks again, a
    // new one is saved (a failed write says which file and why).
    void finishSave (int result, const juce::String& name, int scopeIndex, const juce::String& category);
    // Asks where to export; the file chosen comes back through exportTo.
    void exportPreset();
    // Where that chooser opens: the desktop, or the home folder when there
    // is no desktop folder.
    static juce::File exportStartFolder();
    // Writes the current sound (values away from their defaults) to file.
    bool exportTo (const juce::File& file);

    // How the bar tells the user something (a message box), and asks again
    // for a name (the save dialog); tests replace them.
    std::function<void (const juce::String& title, const juce::String& text)> showMessage;
    std::function<void()> askForNameAgain;
    int browsePosition() const noexcept { return browseIndex; }

    juce::Label& nameLabel() noexcept { return name; }
    juce::TextButton& previousButton() noexcept { return previous; }
    juce::TextButton& nextButton() noexcept { return next; }
    juce::TextButton& saveButton() noexcept { return save; }
    juce::TextButton& exportButton() noexcept { return exportFile; }
    PresetMorphBar& morphBar() noexcept { return morph; }

    void paint (juce::Graphics&) override;
    void resized() override;

private:
    std::vector<const PresetDocument*> browsingList() const;
    void loadAt (int position);
    void currentPresetChanged (const juce::String&) override;
    void presetListChanged() override;

    EditorContext& context;
    PresetMorphBar morph;
    juce::Label name;
    juce::TextButton previous { "<" }, next { ">" }, save { "Save" }, exportFile { "Export" };
    std::unique_ptr<juce::FileChooser> chooser;
    int browseIndex = -1;
};

} // namespace plumora
