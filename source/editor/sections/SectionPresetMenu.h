#pragma once

#include "editor/controls/Accessibility.h"
#include "editor/shell/EditorContext.h"
#include "presets/PresetManager.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace plumora
{

// A section's own preset menu: the presets of one scope (optionally only
// those a filter keeps); choosing one loads it. It follows the manager:
// refilled when the list changes, its choice cleared when a load clears it.
class SectionPresetMenu : public NamedComboBox,
                          private PresetManager::Listener
{
public:
    // keep: which documents of the scope the menu lists (all when empty);
    // clearsOn: whether a load of a document of that scope clears the choice.
    SectionPresetMenu (EditorContext& context, PresetScope scope, const juce::String& placeholder,
                       std::function<bool (int loadedScope)> clearsOn,
                       std::function<bool (const PresetDocument&)> keep = {});
    ~SectionPresetMenu() override;

    void refill();

private:
    std::vector<const PresetDocument*> listed() const;
    void presetListChanged() override;
    void presetLoaded (int scope) override;

    EditorContext& context;
    PresetScope scope;
    std::function<bool (int)> clearsOn;
    std::function<bool (const PresetDocument&)> keep;
};

} // namespace plumora
