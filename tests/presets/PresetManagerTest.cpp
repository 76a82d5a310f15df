#include "engine/SynthEngine.h"
#include "presets/PresetManager.h"
#include "processor/PluginProcessor.h"

#include <gtest/gtest.h>

using namespace plumora;

namespace
{
struct RecordingListener : PresetManager::Listener
{
    juce::StringArray calls;
    void currentPresetChanged (const juce::String& name) override { calls.add ("current:" + name); }
    void presetListChanged() override { calls.add ("list"); }
    void presetLoaded (int scope) override { calls.add ("loaded:" + juce::String (scope)); }
};

// A processor with an empty user folder of its own (the test process's HOME
// is a temporary folder).
struct ManagerFixture : testing::Test
{
    // The processor starts as "First Light"; these tests start from the
    // catalogue defaults, so a capture lists only what a test changed.
    ManagerFixture()
    {
        PresetManager::getUserPresetFolder().deleteRecursively();
        PresetDocument defaults;
        defaults.name = "Init";
        manager.loadPreset (defaults);
    }
    ~ManagerFixture() override { PresetManager::getUserPresetFolder().deleteRecursively(); }

    PlumoraAudioProcessor processor;
    PresetManager& manager = processor.presets();
    SynthEngine& engine = processor.engine();

    void set (const char* id, float value)
    {
        auto* parameter = processor.parameters().getParameter (id);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
        engine.setParameter (*findParamID (id), value);
    }

    juce::File userFile (const char* relative) { return PresetManager::getUserPresetFolder().getChildFile (relative); }
};
} // namespace

TEST_F (ManagerFixture, TheUserFolderLivesInTheTemporaryHome)
{
    const auto folder = PresetManager::getUserPresetFolder();
    EXPECT_TRUE (folder.getFullPathName().endsWith ("Quillmoth/Plumora/Presets")) << folder.getFullPathName();
    EXPECT_TRUE (folder.getFullPathName().contains ("plumora-test-home")) << "tests never touch the real home";
}

TEST_F (ManagerFixture, SavesUnderMangledNamesAndRefusesTakenOnes)
{
    const auto file = manager.savePreset ("Bloom Pad 2", { "Pad", "Simple", {} }, PresetScope::complete);
    EXPECT_EQ (file, userFile ("bloom-pad-2.pmpreset"));
    EXPECT_TRUE (file.existsAsFile());
    EXPECT_EQ (manager.getCurrentPresetName(), "Bloom Pad 2");
    ASSERT_EQ (manager.getUserPresets().size(), 1u);

    EXPECT_EQ (manager.savePreset ("BLOOM pad 2", {}, PresetScope::complete), juce::File()) << "taken, ignoring case";
    EXPECT_EQ (manager.savePreset ("  ", {}, PresetScope::complete), juce::File());
    EXPECT_EQ (manager.savePreset ("", {}, PresetScope::complete), juce::File());
    EXPECT_TRUE (manager.isNameTaken (" bloom pad 2 "));
    EXPECT_FALSE (manager.isNameTaken ("   "));
    EXPECT_EQ (manager.savePreset ("warm PAD", {}, PresetScope::complete), juce::File()) << "a factory name in other letters is taken too";
    EXPECT_EQ (manager.getUserPresets().size(), 1u);

    EXPECT_EQ (presetFileName ("Deep Bass: V2"), "deep-bass--v2.pmpreset");
}

// Names that mangle to the same file name, or are too long for one, still
// save: no preset's file is written over by another's.
TEST_F (ManagerFixture, NamesThatMangleAlikeOrRunLongKeepTheirOwnFiles)
{
    const auto first = manager.savePreset ("My|Lead", {}, PresetScope::complete);
    const auto second = manager.savePreset ("my-lead", {}, PresetScope::complete);
    ASSERT_NE (first, juce::File());
    ASSERT_NE (second, juce::File());
    EXPECT_NE (first, second);
    ASSERT_EQ (manager.getUserPresets().size(), 2u);
    EXPECT_EQ (readPresetFile (first).name, "My|Lead");
    EXPECT_EQ (readPresetFile (second).name, "my-lead");

    const auto longName = juce::String::repeatedString ("Very Long Pad ", 30).trim();
    const auto file = manager.savePreset (longName, {}, PresetScope::complete);
    ASSERT_NE (file, juce::File());
    EXPECT_LE (file.getFileName().length(), 130);
    EXPECT_EQ (readPresetFile (file).name, longName);
}

TEST_F (ManagerFixture, PartialScopesGoToTheirFoldersWithOnlyTheirValues)
{
    set ("filt_cutoff", 700.0f);
    set ("osc1_level", 0.3f);
    const auto file = manager.savePreset ("Dark", {}, PresetScope::filter);
    EXPECT_EQ (file, userFile ("filter/dark.pmpreset"));
    const auto stored = readPresetFile (file);
    EXPECT_EQ (stored.scope, PresetScope::filter);
    ASSERT_EQ (stored.parameters.size(), 1u);
    EXPECT_EQ (stored.parameters[0].first, "filt_cutoff");
}

TEST_F (ManagerFixture, EffectsPresetsNameTheirOnlyEnabledEffect)
{
    for (const auto& effect : effectTargets())
        set (parameterSpec (effect.bypass).id, 1.0f);
    set ("delay_bypass", 0.0f);
    EXPECT_EQ (readPresetFile (manager.savePreset ("Echo", {}, PresetScope::effects)).effectTarget, "delay");

    set ("reverb_bypass", 0.0f);
    EXPECT_EQ (readPresetFile (manager.savePreset ("Echo Space", {}, PresetScope::effects)).effectTarget, "");
}

TEST_F (ManagerFixture, SimplePageSavesCarryPendingMetadataOnce)
{
    processor.setUiMode (1);
    auto plain = readPresetFile (manager.savePreset ("Simple One", {}, PresetScope::complete));
    EXPECT_EQ (plain.savedFromMode, "beginner");
    EXPECT_FALSE (plain.simpleMeta.present);

    manager.setPendingSimpleMeta ({ true, "Saw", "Analog", { 1, 3, 3, 1, 1 } });
    auto withMeta = readPresetFile (manager.savePreset ("Simple Two", {}, PresetScope::complete));
    EXPECT_TRUE (withMeta.simpleMeta.present);
    EXPECT_EQ (withMeta.simpleMeta.timbreName, "Saw");
    EXPECT_FALSE (readPresetFile (manager.savePreset ("Simple Three", {}, PresetScope::complete)).simpleMeta.present);

    processor.setUiMode (0);
    manager.setPendingSimpleMeta ({ true, "Saw", "Analog", {} });
    EXPECT_EQ (readPresetFile (manager.savePreset ("Pro One", {}, PresetScope::complete)).savedFromMode, "advanced");
    EXPECT_FALSE (readPresetFile (userFile ("pro-one.pmpreset")).simpleMeta.present);
}

TEST_F (ManagerFixture, SavingKeepsTheTablesThatArePlaying)
{
    PresetDocument document;
    document.name = "Voices";
    document.wavetable1 = "factory:vocal";
    document.wavetable2 = "factory:no_such_table";
    manager.loadPreset (document);
    EXPECT_EQ (engine.wavetableId (0), "factory:vocal");
    EXPECT_EQ (engine.wavetableId (1), "factory:analog_stack") << "an unknown id plays, and is saved as, the default";

    const auto saved = readPresetFile (manager.savePreset ("Voices 2", {}, PresetScope::complete));
    EXPECT_EQ (saved.wavetable1, "factory:vocal");
    EXPECT_EQ (saved.wavetable2, "factory:analog_stack");

    // An oscillators preset with an empty second table keeps the one playing.
    PresetDocument oscillators;
    oscillators.name = "Osc";
    oscillators.scope = PresetScope::oscillators;
    oscillators.wavetable1 = "factory:saw";
    manager.loadPreset (oscillators);
    EXPECT_EQ (engine.wavetableId (0), "factory:saw");
    EXPECT_EQ (engine.wavetableId (1), "factory:analog_stack");
}

TEST_F (ManagerFixture, AFailedSaveReturnsNothingAndKeepsTheName)
{
    manager.setCurrentPresetName ("Before");
    auto folder = PresetManager::getUserPresetFolder();
    folder.deleteRecursively();
    folder.getParentDirectory().createDirectory();
    folder.replaceWithText ("a file where the folder should be");

    EXPECT_EQ (manager.savePreset ("Lost", {}, PresetScope::complete), juce::File());
    EXPECT_EQ (manager.getCurrentPresetName(), "Before");
    EXPECT_TRUE (manager.getUserPresets().empty()) << "a preset folder that is a file lists nothing";
    folder.deleteFile();
}

TEST_F (ManagerFixture, RescanSkipsBrokenFilesAndFindsPresetsInAnyFolder)
{
    const auto folder = PresetManager::getUserPresetFolder();
    folder.getChildFile ("deep/er").createDirectory();
    folder.getChildFile ("deep/er/good.pmpreset").replaceWithText (R"({"name": "Good", "scope": "filter"})");
    folder.getChildFile ("broken.pmpreset").replaceWithText ("{\"name\": ");
    folder.getChildFile ("nameless.pmpreset").replaceWithText ("{}");
    folder.getChildFile ("other.txt").replaceWithText (R"({"name": "Not A Preset"})");
    folder.getChildFile ("folder.pmpreset").createDirectory();

    manager.rescan();
    ASSERT_EQ (manager.getUserPresets().size(), 1u);
    EXPECT_EQ (manager.getUserPresets()[0].name, "Good");

    // The factory bank has filter presets of its own; the user's one is listed beside them.
    const auto factoryFilters = [this] (const juce::String& category)
    {
        std::size_t count = 0;
        for (const auto& document : manager.getFactoryPresets())
            count += document.scope == PresetScope::filter && (category.isEmpty() || document.tags.category == category) ? 1 : 0;
        return count;
    };
    const auto names = [] (const std::vector<const PresetDocument*>& documents)
    {
        juce::StringArray list;
        for (const auto* document : documents)
            list.add (document->name);
        return list;
    };
    const auto filters = manager.getPresetsForScope (PresetScope::filter, "", false);
    EXPECT_EQ (filters.size(), factoryFilters ("") + 1);
    EXPECT_TRUE (names (filters).contains ("Good"));
    const auto leads = manager.getPresetsForScope (PresetScope::filter, "Lead", false);
    EXPECT_EQ (leads.size(), factoryFilters ("Lead"));
    EXPECT_FALSE (names (leads).contains ("Good")) << "it has no category";
    EXPECT_EQ (manager.getPresetsForScope (PresetScope::filter, "", true).size(), 0u);
}

TEST_F (ManagerFixture, LoadingByNameIgnoresCaseAndNotifiesListenersInOrder)
{
    manager.savePreset ("Night Drive", { "Lead", "", {} }, PresetScope::complete);
    RecordingListener first, second;
    manager.addListener (&first);
    manager.addListener (&second);
    manager.addListener (&second);
    manager.removeListener (&second);

    EXPECT_TRUE (manager.loadPresetByName ("NIGHT drive"));
    EXPECT_EQ (first.calls, juce::StringArray ({ "current:Night Drive", "loaded:0" }));
    EXPECT_TRUE (second.calls.isEmpty());

    EXPECT_FALSE (manager.loadPresetByName ("Nothing Like It"));
    EXPECT_EQ (manager.getCurrentPresetName(), "Night Drive");
    manager.setCurrentPresetName ("");
    EXPECT_EQ (manager.getCurrentPresetName(), "Init");
    manager.removeListener (&first);
}

TEST (HostStateSound, ARoutedSoundWithOtherTablesComesBackExactly)
{
    const auto render = [] (PlumoraAudioProcessor& processor)
    {
        processor.prepareToPlay (48000.0, 256);
        juce::AudioBuffer<float> buffer (2, 256);
        std::vector<float> out;
        for (int block = 0; block < 60; ++block)
        {
            juce::MidiBuffer midi;
            if (block == 0)
                for (const int note : { 48, 55, 64 })
                    midi.addEvent (juce::MidiMessage::noteOn (1 + note % 3, note, 0.8f), 0);
            processor.processBlock (buffer, midi);
            out.insert (out.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + 256);
        }
        return out;
    };

    PlumoraAudioProcessor original;
    auto sound = presetFromJson (R"({"name": "Routed", "scope": "complete", "wavetable1": "factory:vocal", "wavetable2": "factory:fm_bell",
        "parameters": {"osc2_level": 0.5, "lfo1_rate": 3.0, "lfo1_depth": 1.0},
        "modRoutings": [{"source": "lfo1", "target": "filt_cutoff", "depth": 0.6},
                        {"source": "velocity", "target": "osc1_wt_pos", "depth": 0.8, "scope": "per_voice"}],
        "mpeEnabled": true})");
    original.presets().loadPreset (sound);
    juce::MemoryBlock chunk;
    original.getStateInformation (chunk);

    PlumoraAudioProcessor restored; // starts as "First Light"
    restored.setStateInformation (chunk.getData(), (int) chunk.getSize());
    EXPECT_EQ (restored.engine().wavetableId (0), "factory:vocal");
    EXPECT_EQ (restored.engine().modMatrix().routings().size(), 2u);
    EXPECT_TRUE (restored.engine().isMpeEnabled());
    EXPECT_EQ (restored.getCurrentPresetName(), "Routed");

    EXPECT_EQ (render (original), render (restored));
}
