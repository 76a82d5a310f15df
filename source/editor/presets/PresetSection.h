#pragma once

#include "PresetMorphBar.h"
#include "presets/PresetManager.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace plumora
{

// The PRO page's preset bar: the current preset's name, previous and next
// over the complete presets (factory, then user) with a counter of its own,
// and the morph bar.
class PresetSection : public juce::Component,
                      private PresetManager::Listener
{
public:
    explicit PresetSection (EditorContext& context);
    ~PresetSection() override;

    void nextPreset();
    void previousPreset();
    int browsePosition() const noexcept { return browseIndex; }

    juce::Label& nameLabel() noexcept { return name; }
    juce::TextButton& previousButton() noexcept { return previous; }
    juce::TextButton& nextButton() noexcept { return next; }
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
    juce::TextButton previous { "<" }, next { ">" };
    int browseIndex = -1;
};

} // namespace plumora
