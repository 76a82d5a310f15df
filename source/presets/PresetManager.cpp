#include "PresetManager.h"

#include "FactoryBank.h"
#include "HostParameters.h"
#include "dsp/FactoryWavetables.h"
#include "engine/SynthEngine.h"

#include <algorithm>

namespace plumora
{
namespace
{
const char* const kPresetExtension = ".pmpreset";

// Byte order with ASCII letters folded to lower case.
bool sortsBefore (const PresetDocument& a, const PresetDocument& b)
{
    const auto fold = [] (const juce::String& s)
    {
        std::string bytes (s.toRawUTF8());
        for (auto& c : bytes)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char> (c - 'A' + 'a');
        return bytes;
    };
    const auto x = fold (a.name), y = fold (b.name);
    return std::lexicographical_compare (x.begin(), x.end(), y.begin(), y.end(),
                                         [] (char p, char q) { return static_cast<unsigned char> (p) < static_cast<unsigned char> (q); });
}

void sortByName (std::vector<PresetDocument>& documents)
{
    std::stable_sort (documents.begin(), documents.end(), sortsBefore);
}
} // namespace

juce::String presetFileName (const juce::String& name)
{
    // Long names keep a file name every file system takes.
    constexpr int kLongestStem = 120;
    juce::String mangled;
    for (const auto c : name)
        mangled << (juce::String (" /\\:*?\"<>|").containsChar (c) ? juce::juce_wchar ('-') : c);
    return mangled.toLowerCase().substring (0, kLongestStem) + kPresetExtension;
}

PresetManager::PresetManager (Target t) : target (std::move (t))
{
    rescan();
}

juce::File PresetManager::getUserPresetFolder()
{
    return juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory)
        .getChildFile ("Quillmoth").getChildFile ("Plumora").getChildFile ("Presets");
}

void PresetManager::rescan()
{
    factory.clear();
    user.clear();

    for (const auto& entry : factoryPresetTexts())
    {
        auto document = presetFromJson (juce::String::fromUTF8 (entry.text, entry.size));
        if (document.name.isNotEmpty())
            factory.push_back (std::move (document));
    }

    const auto folder = getUserPresetFolder();
    if (folder.isDirectory())
        for (const auto& file : folder.findChildFiles (juce::File::findFiles, true, juce::String ("*") + kPresetExtension))
        {
            auto document = readPresetFile (file);
            if (document.name.isNotEmpty())
                user.push_back (std::move (document));
        }

    sortByName (factory);
    sortByName (user);
    notify ([] (Listener& l) { l.presetListChanged(); });
}

std::vector<const PresetDocument*> PresetManager::getAllPresets() const
{
    std::vector<const PresetDocument*> all;
    for (const auto* list : { &factory, &user })
        for (const auto& document : *list)
            all.push_back (&document);
    return all;
}

std::vector<const PresetDocument*> PresetManager::getPresetsForScope (PresetScope scope, const juce::String& category, bool simpleOnly) const
{
    std::vector<const PresetDocument*> matching;
    for (const auto* document : getAllPresets())
        if (document->scope == scope
            && (category.isEmpty() || document->tags.category.equalsIgnoreCase (category))
            && (! simpleOnly || document->simpleMeta.present))
            matching.push_back (document);

    std::stable_sort (matching.begin(), matching.end(), [] (const auto* a, const auto* b) { return sortsBefore (*a, *b); });
    return matching;
}

bool PresetManager::isNameTaken (const juce::String& name) const
{
    const auto wanted = name.trim();
    if (wanted.isEmpty())
        return false;
    const auto lower = wanted.toLowerCase();
    for (const auto* document : getAllPresets())
        if (document->name.toLowerCase() == lower)
            return true;
    return false;
}

juce::File PresetManager::savePreset (const juce::String& name, const PresetTags& tags, PresetScope scope)
{
    if (name.trim().isEmpty() || isNameTaken (name))
        return {};

    const auto values = HostParameters::read (target.parameters);
    auto document = capturePreset (values, target.engine, scope, true);
    document.name = name;
    document.tags = tags;

    if (scope == PresetScope::effects)
    {
        int enabled = 0;
        for (const auto& effect : effectTargets())
            if (values[static_cast<std::size_t> (index (effect.bypass))] < 0.5f)
            {
                ++enabled;
                document.effectTarget = effect.id;
            }
        if (enabled != 1)
            document.effectTarget.clear();
    }
    if (scope == PresetScope::complete || scope == PresetScope::oscillators)
    {
        document.wavetable1 = target.engine.wavetableId (0);
        document.wavetable2 = target.engine.wavetableId (1);
    }

    if (target.editorMode && target.editorMode() == 1)
    {
        document.savedFromMode = "beginner";
        if (pendingSimpleMetaSet)
        {
            document.simpleMeta = pendingSimpleMeta;
            document.simpleMeta.present = true;
            pendingSimpleMetaSet = false;
        }
    }
    else
    {
        document.savedFromMode = "advanced";
    }

    // Names that differ ("Bass: 1", "Bass/1") can give the same file name:
    // another preset's file is never written over.
    auto file = userPresetFile (name, scope);
    if (file.existsAsFile() && readPresetFile (file).name != name)
        file = file.getNonexistentSibling (false);
    const bool written = file.getParentDirectory().createDirectory().wasOk() && writePresetFile (document, file);

    rescan();
    if (! written)
        return {}; // the caller tells the user; the current name stays

    currentName = name;
    notify ([this] (Listener& l) { l.currentPresetChanged (currentName); });
    return file;
}

juce::File PresetManager::userPresetFile (const juce::String& name, PresetScope scope)
{
    auto folder = getUserPresetFolder();
    if (scope != PresetScope::complete)
        folder = folder.getChildFile (scopeId (scope));
    return folder.getChildFile (presetFileName (name));
}

void PresetManager::loadPreset (const PresetDocument& document)
{
    applyPresetToParameters (target.parameters, document);
    applyPresetToEngine (target.engine, document);

    if (document.scope == PresetScope::complete || document.scope == PresetScope::oscillators)
    {
        const juce::String* ids[] = { &document.wavetable1, &document.wavetable2 };
        for (int slot = 0; slot < 2; ++slot)
            if (ids[slot]->isNotEmpty())
            {
                // Unknown ids play the default table; remember what really plays.
                const auto requested = ids[slot]->toStdString();
                const auto id = isFactoryWavetableName (requested) ? requested : std::string ("factory:analog_stack");
                target.engine.setWavetable (slot, makeFactoryWavetable (id), id);
            }
    }

    currentName = document.name;
    notify ([this] (Listener& l) { l.currentPresetChanged (currentName); });
    notify ([&document] (Listener& l) { l.presetLoaded (static_cast<int> (document.scope)); });
}

bool PresetManager::loadPresetByName (const juce::String& name)
{
    const auto wanted = name.toLowerCase();
    for (const auto* document : getAllPresets())
        if (document->name.toLowerCase() == wanted)
        {
            loadPreset (*document);
            return true;
        }
    return false;
}

void PresetManager::setCurrentPresetName (const juce::String& name)
{
    currentName = name.isEmpty() ? juce::String ("Init") : name;
    notify ([this] (Listener& l) { l.currentPresetChanged (currentName); });
}

void PresetManager::setPendingSimpleMeta (const SimpleMeta& meta)
{
    pendingSimpleMeta = meta;
    pendingSimpleMetaSet = true;
}

void PresetManager::removeListener (Listener* listener)
{
    listeners.erase (std::remove (listeners.begin(), listeners.end(), listener), listeners.end());
}

} // namespace plumora
