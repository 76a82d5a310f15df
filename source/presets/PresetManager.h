#pragma once

#include "PresetDocument.h"

#include <functional>
#include <vector>

namespace plumora
{

class SynthEngine;

// The factory bank and the user's presets, the current preset name, loading
// and saving. Lives on the message thread (host program changes may call
// loadPreset from the host's thread).
class PresetManager
{
public:
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void currentPresetChanged (const juce::String& /*name*/) {}
        virtual void presetListChanged() {}
        virtual void presetLoaded (int /*scope*/) {}
    };

    // What loading and saving act on.
    struct Target
    {
        juce::AudioProcessorValueTreeState& parameters;
        SynthEngine& engine;
        std::function<int()> editorMode; // 0 PRO, 1 S!MPLE
    };

    explicit PresetManager (Target target);

    static juce::File getUserPresetFolder();
    // Where a user preset of that name and scope is written.
    static juce::File userPresetFile (const juce::String& name, PresetScope scope);

    void rescan();
    std::vector<const PresetDocument*> getAllPresets() const;
    const std::vector<PresetDocument>& getFactoryPresets() const noexcept { return factory; }
    const std::vector<PresetDocument>& getUserPresets() const noexcept { return user; }
    std::vector<const PresetDocument*> getPresetsForScope (PresetScope scope, const juce::String& category, bool simpleOnly) const;

    bool isNameTaken (const juce::String& name) const;
    // The written file, or an empty File when the save was refused or failed.
    juce::File savePreset (const juce::String& name, const PresetTags& tags, PresetScope scope);
    void loadPreset (const PresetDocument& document);
    bool loadPresetByName (const juce::String& name);

    void setCurrentPresetName (const juce::String& name);
    const juce::String& getCurrentPresetName() const noexcept { return currentName; }

    void setPendingSimpleMeta (const SimpleMeta& meta);
    void clearPendingSimpleMeta() noexcept { pendingSimpleMetaSet = false; }

    void addListener (Listener* listener) { listeners.push_back (listener); }
    void removeListener (Listener* listener);
    std::size_t listenerCount() const noexcept { return listeners.size(); }

private:
    template <class Call>
    void notify (Call&& call)
    {
        for (auto* listener : listeners)
            call (*listener);
    }

    Target target;
    std::vector<PresetDocument> factory, user;
    juce::String currentName { "Init" };
    SimpleMeta pendingSimpleMeta;
    bool pendingSimpleMetaSet = false;
    std::vector<Listener*> listeners;
};

// "Deep Bass: V2" -> "deep-bass--v2.pmpreset"
juce::String presetFileName (const juce::String& name);

} // namespace plumora
