// The PRO page's preset bar on a real processor: the morph between two
// stored sounds over all 143 parameters, and browsing the complete presets.

#include "SectionTestSupport.h"

#include "editor/presets/PresetSection.h"
#include "editor/shell/SimpleEditorContent.h"
#include "editor/simple/CharacterBlockComponent.h"
#include "editor/simple/TimbreLibrary.h"

#include <gtest/gtest.h>

using namespace plumora;

namespace
{
using PresetBar = test::SectionFixture;

std::vector<float> plainValues (PlumoraAudioProcessor& processor)
{
    std::vector<float> values;
    for (int row = 0; row < kNumParameters; ++row)
    {
        auto* parameter = processor.parameters().getParameter (parameterSpec (*paramIDFromIndex (row)).id);
        values.push_back (parameter->convertFrom0to1 (parameter->getValue()));
    }
    return values;
}
} // namespace

TEST_F (PresetBar, TheMorphBlendsEveryParameterBetweenAAndB)
{
    PresetMorphBar bar (context);
    bar.setBounds (0, 0, 1190, 70);
    EXPECT_EQ (bar.saveAButton().getBounds(), juce::Rectangle<int> (2, 16, 80, 52));
    EXPECT_EQ (bar.saveBButton().getBounds(), juce::Rectangle<int> (1108, 16, 80, 52));

    ASSERT_TRUE (processor.presets().loadPresetByName ("Warm Pad"));
    bar.saveAButton().onClick();
    EXPECT_EQ (bar.saveAButton().getButtonText(), "A saved");
    const auto before = normalisedValues();
    bar.slider().setValue (0.5, juce::sendNotificationSync);
    EXPECT_EQ (normalisedValues(), before) << "nothing moves before B is saved";

    const auto a = plainValues (processor);
    ASSERT_TRUE (processor.presets().loadPresetByName ("Reese Bass"));
    bar.saveBButton().onClick();
    const auto b = plainValues (processor);
    const auto routingsOfB = context.routings().size();

    for (const double t : { 0.0, 0.5, 1.0 })
    {
        bar.slider().setValue (t, juce::sendNotificationSync);
        const auto blended = plainValues (processor);
        for (int row = 0; row < kNumParameters; ++row)
        {
            const auto i = static_cast<std::size_t> (row);
            const auto& definition = parameterSpec (*paramIDFromIndex (row));
            const float expected = a[i] + (b[i] - a[i]) * static_cast<float> (t);
            if (isStepped (definition.kind))
                EXPECT_EQ (blended[i], std::round (expected)) << definition.id << " at " << t << ": steps jump";
            else
                EXPECT_NEAR (blended[i], expected, (definition.max - definition.min) * 1.0e-5f) << definition.id << " at " << t;
        }
    }
    EXPECT_EQ (context.routings().size(), routingsOfB) << "routings are not blended";

    // Saving A again takes the blended sound.
    bar.slider().setValue (0.25, juce::sendNotificationSync);
    const auto quarter = plainValues (processor);
    bar.saveAButton().onClick();
    bar.slider().setValue (0.0, juce::sendNotificationSync);
    EXPECT_EQ (plainValues (processor), quarter);
}

TEST_F (PresetBar, BrowsingWalksTheCompletePresetsAndWraps)
{
    PresetSection section (context);
    section.setBounds (0, 0, 1194, 105);
    EXPECT_EQ (section.nameLabel().getText(), processor.getCurrentPresetName());

    section.nextButton().onClick();
    EXPECT_EQ (section.browsePosition(), 0);
    EXPECT_EQ (processor.getCurrentPresetName(), "Afro House Pad") << "the first complete preset";
    EXPECT_EQ (section.nameLabel().getText(), "Afro House Pad");
    section.previousButton().onClick();
    EXPECT_EQ (section.browsePosition(), 35) << "from the first, back to the last";
    EXPECT_EQ (processor.getCurrentPresetName(), "Warm Pad") << "the last by name";
    section.nextButton().onClick();
    EXPECT_EQ (section.browsePosition(), 0) << "from the last, on to the first";

    // Another load leaves the counter; a rebuilt list resets it.
    ASSERT_TRUE (processor.presets().loadPresetByName ("Reese Bass"));
    EXPECT_EQ (section.browsePosition(), 0);
    EXPECT_EQ (section.nameLabel().getText(), "Reese Bass");
    processor.presets().rescan();
    EXPECT_EQ (section.browsePosition(), -1);
}

namespace
{
// A folder nobody may write to while it lives: read-only, and for root (who
// writes to read-only folders, as in CI) immutable as well where the file
// system allows. problem says why when neither works.
struct UnwritableFolder
{
    juce::File folder;
    juce::String problem;

    explicit UnwritableFolder (const juce::File& f) : folder (f)
    {
        folder.createDirectory();
        folder.setReadOnly (true);
        if (! writable())
            return;
        juce::ChildProcess chattr;
        if (chattr.start (juce::StringArray { "chattr", "+i", folder.getFullPathName() }))
            chattr.waitForProcessToFinish (10000);
        if (writable())
            problem = "cannot make " + folder.getFullPathName() + " unwritable for this user";
    }

    ~UnwritableFolder()
    {
        juce::ChildProcess chattr;
        if (chattr.start (juce::StringArray { "chattr", "-i", folder.getFullPathName() }))
            chattr.waitForProcessToFinish (10000);
        folder.setReadOnly (false);
        folder.deleteRecursively();
    }

    bool writable() const
    {
        const auto probe = folder.getChildFile ("probe");
        const bool made = probe.create().wasOk();
        probe.deleteFile();
        return made;
    }

    int entries() const { return folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles, "*"); }
};

struct SavingBar : test::SectionFixture
{
    PresetSection section { context };
    std::vector<std::pair<juce::String, juce::String>> messages;
    int askedAgain = 0;

    SavingBar()
    {
        section.setBounds (0, 0, 1194, 105);
        section.showMessage = [this] (const juce::String& title, const juce::String& text) { messages.push_back ({ title, text }); };
        section.askForNameAgain = [this] { ++askedAgain; };
    }
};
} // namespace

TEST_F (SavingBar, TheSaveDialogsResultSavesANewNameAndRefusesATakenOne)
{
    EXPECT_EQ (section.saveButton().getBounds(), juce::Rectangle<int> (1080, 2, 50, 28));
    EXPECT_EQ (section.exportButton().getBounds(), juce::Rectangle<int> (1132, 2, 60, 28));

    const auto userPresets = processor.presets().getUserPresets().size();
    section.finishSave (0, "Cancelled", 0, "Pad");
    section.finishSave (1, "   ", 0, "Pad");
    EXPECT_EQ (processor.presets().getUserPresets().size(), userPresets) << "Cancel or an empty name saves nothing";

    section.finishSave (1, "Warm Pad", 0, "Pad");
    ASSERT_EQ (messages.size(), 1u);
    EXPECT_EQ (messages[0].first, "Name already in use");
    EXPECT_TRUE (messages[0].second.startsWith ("A preset named \"Warm Pad\" already exists."));
    EXPECT_EQ (askedAgain, 1) << "the dialog comes back";

    section.finishSave (1, "My Filter", 2, "Bass");
    const auto file = PresetManager::userPresetFile ("My Filter", PresetScope::filter);
    ASSERT_TRUE (file.existsAsFile());
    const auto saved = presetFromJson (file.loadFileAsString());
    EXPECT_EQ (saved.scope, PresetScope::filter);
    EXPECT_EQ (saved.tags.category, "Bass");
    EXPECT_EQ (saved.tags.complexity, "Moderate");
    EXPECT_EQ (processor.getCurrentPresetName(), "My Filter");
    EXPECT_EQ (section.nameLabel().getText(), "My Filter");
    EXPECT_EQ (section.browsePosition(), -1) << "the rebuilt list resets browsing";
}

// A save that cannot be written says which file, changes no name and
// leaves no file behind.
TEST_F (SavingBar, AFailedSaveSaysSoAndChangesNothing)
{
    const auto folder = PresetManager::getUserPresetFolder();
    folder.deleteRecursively();
    folder.getParentDirectory().createDirectory();
    ASSERT_TRUE (folder.replaceWithText ("not a folder")); // the preset folder is a file
    const auto nameBefore = processor.getCurrentPresetName();
    processor.presets().rescan();
    const auto userPresets = processor.presets().getUserPresets().size();

    section.finishSave (1, "Lost Sound", 0, "Lead");
    ASSERT_EQ (messages.size(), 1u);
    EXPECT_EQ (messages[0].first, "Preset not saved");
    EXPECT_TRUE (messages[0].second.contains (PresetManager::userPresetFile ("Lost Sound", PresetScope::complete).getFullPathName()));
    EXPECT_EQ (processor.getCurrentPresetName(), nameBefore);
    EXPECT_EQ (processor.presets().getUserPresets().size(), userPresets);
    folder.deleteFile();
}

// The same for a preset folder, and an export folder, that cannot be written to.
TEST_F (SavingBar, AReadOnlyFolderSaysSoAndGetsNoFile)
{
    PresetManager::getUserPresetFolder().deleteRecursively();
    processor.presets().rescan();
    const UnwritableFolder presets (PresetManager::getUserPresetFolder());
    if (presets.problem.isNotEmpty())
        GTEST_SKIP() << presets.problem.toStdString();
    const auto nameBefore = processor.getCurrentPresetName();

    section.finishSave (1, "Lost Sound", 0, "Lead");
    ASSERT_EQ (messages.size(), 1u);
    EXPECT_EQ (messages[0].first, "Preset not saved");
    EXPECT_TRUE (messages[0].second.contains (PresetManager::userPresetFile ("Lost Sound", PresetScope::complete).getFullPathName()));
    EXPECT_EQ (processor.getCurrentPresetName(), nameBefore);
    EXPECT_TRUE (processor.presets().getUserPresets().empty());
    EXPECT_EQ (presets.entries(), 0) << "nothing half-written";

    const UnwritableFolder exports (juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("plumora-export", ""));
    EXPECT_FALSE (section.exportTo (exports.folder.getChildFile ("lost.pmpreset")));
    ASSERT_EQ (messages.size(), 2u);
    EXPECT_EQ (messages[1].first, "Preset not exported");
    EXPECT_TRUE (messages[1].second.contains (exports.folder.getChildFile ("lost.pmpreset").getFullPathName()));
    EXPECT_EQ (exports.entries(), 0);
}

TEST_F (SavingBar, ExportWritesExactlyTheCapturedSoundOrSaysWhyNot)
{
    ASSERT_TRUE (processor.presets().loadPresetByName ("Reese Bass"));
    const juce::File folder = juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("plumora-export", "");
    ASSERT_TRUE (folder.createDirectory());
    const auto file = folder.getChildFile ("reese.pmpreset");
    ASSERT_TRUE (section.exportTo (file));
    auto expected = context.captureSound (PresetScope::complete, true);
    expected.name = "Reese Bass";
    expected.savedFromMode = "advanced";
    EXPECT_EQ (file.loadFileAsString(), presetToJson (expected));
    EXPECT_TRUE (messages.empty());

    EXPECT_FALSE (section.exportTo (folder)) << "a folder is no file";
    EXPECT_FALSE (section.exportTo (folder.getChildFile ("missing").getChildFile ("x.pmpreset")));
    ASSERT_EQ (messages.size(), 2u);
    EXPECT_EQ (messages[0].first, "Preset not exported");
    EXPECT_FALSE (folder.getChildFile ("missing").exists());
    folder.deleteRecursively();
}

// The export chooser opens on the desktop; a system without a desktop
// folder (this test process's home has none at first) opens the home folder
// rather than a folder that is not there.
TEST (ExportChooser, OpensOnTheDesktopOrTheHomeFolderWhenThereIsNone)
{
    const auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory);
    const auto desktop = juce::File::getSpecialLocation (juce::File::userDesktopDirectory);
    if (! desktop.isAChildOf (home) || ! home.getFileName().startsWith ("plumora-test-home-"))
        GTEST_SKIP() << "the desktop is not in a temporary home folder: " << desktop.getFullPathName();
    desktop.deleteRecursively();
    EXPECT_EQ (PresetSection::exportStartFolder(), home);
    ASSERT_TRUE (desktop.createDirectory());
    EXPECT_EQ (PresetSection::exportStartFolder(), desktop);
    desktop.deleteRecursively();
}

// A sound saved on the S!MPLE page comes back there with its timbre and
// steps; a taken name asks again, Cancel drops what was recorded.
TEST (SimpleSave, ASavedSimplePresetRestoresItsTimbreAndSteps)
{
    test::EditorFixture f (1);
    auto* page = dynamic_cast<SimpleEditorContent*> (f.editor->page());
    ASSERT_NE (page, nullptr);
    std::vector<juce::String> titles;
    int askedAgain = 0;
    page->showMessage = [&titles] (const juce::String& title, const juce::String&) { titles.push_back (title); };
    page->askForNameAgain = [&askedAgain] { ++askedAgain; };

    page->timbreLibrary().selectByNames ("Bass", "Sub Bass");
    const int steps[] = { 3, 2, -1, 0, 4 };
    for (std::size_t i = 0; i < 5; ++i)
        if (steps[i] >= 0)
            page->characterBlocks()[i]->setStep (steps[i]);

    page->recordSimpleMeta();
    page->finishSave (1, "Deep Sub", "Bass");
    EXPECT_EQ (titles, std::vector<juce::String> { "Name already in use" });
    EXPECT_EQ (askedAgain, 1);

    // Touched after the choices: the saved sound is what the user hears now.
    for (const auto& [id, value] : { std::pair { "filt_cutoff", 0.21f }, { "sub_level", 0.63f }, { "osc1_wt_pos", 0.44f } })
        f.processor.parameters().getParameter (id)->setValueNotifyingHost (value);
    const auto valuesSaved = plainValues (f.processor);
    const auto routingsSaved = f.processor.engine().modMatrix().routings().size();

    page->recordSimpleMeta();
    page->finishSave (1, "My Low End", "Bass");
    const auto file = PresetManager::userPresetFile ("My Low End", PresetScope::complete);
    ASSERT_TRUE (file.existsAsFile());
    const auto saved = presetFromJson (file.loadFileAsString());
    EXPECT_EQ (saved.savedFromMode, "beginner");
    EXPECT_TRUE (saved.simpleMeta.present);
    EXPECT_EQ (saved.simpleMeta.timbreName, "Sub Bass");
    EXPECT_EQ (saved.simpleMeta.steps, (std::array<int, 5> { 3, 2, -1, 0, 4 }));

    // Another sound, then the saved one: the page shows its choices again.
    ASSERT_TRUE (f.processor.presets().loadPresetByName ("Warm Pad"));
    ASSERT_TRUE (f.processor.presets().loadPresetByName ("My Low End"));
    ASSERT_NE (page->timbreLibrary().selectedTimbre(), nullptr);
    EXPECT_EQ (page->timbreLibrary().selectedTimbre()->name, "Sub Bass");
    EXPECT_EQ (page->characterBlocks()[0]->getCurrentStep(), 3);
    EXPECT_EQ (page->characterBlocks()[4]->getCurrentStep(), 4);
    EXPECT_EQ (page->characterBlocks()[2]->getCurrentStep(), 1) << "a step saved as none leaves the block as it was";
    EXPECT_EQ (plainValues (f.processor), valuesSaved) << "showing the choices applied them over the saved sound";
    EXPECT_EQ (f.processor.engine().modMatrix().routings().size(), routingsSaved);

    // A host reopening the project while this page is open: the same again.
    juce::MemoryBlock project;
    f.processor.getStateInformation (project);
    ASSERT_TRUE (f.processor.presets().loadPresetByName ("Warm Pad"));
    page->resetAllButton().onClick();
    f.processor.setStateInformation (project.getData(), static_cast<int> (project.getSize()));
    ASSERT_NE (page->timbreLibrary().selectedTimbre(), nullptr);
    EXPECT_EQ (page->timbreLibrary().selectedTimbre()->name, "Sub Bass");
    for (const auto [block, step] : { std::pair { 0, 3 }, { 1, 2 }, { 3, 0 }, { 4, 4 } })
        EXPECT_EQ (page->characterBlocks()[static_cast<std::size_t> (block)]->getCurrentStep(), step) << "block " << block;
    EXPECT_EQ (plainValues (f.processor), valuesSaved) << "the restored project is not the one saved";
    EXPECT_EQ (f.processor.engine().modMatrix().routings().size(), routingsSaved);

    // The next step replaces the restored step's routings, as after a click.
    page->characterBlocks()[0]->setStep (0);
    page->characterBlocks()[0]->setStep (3);
    EXPECT_EQ (f.processor.engine().modMatrix().routings().size(), routingsSaved);

    page->recordSimpleMeta();
    page->finishSave (0, "Never", "Pad");
    f.processor.presets().savePreset ("Plain", {}, PresetScope::complete);
    EXPECT_FALSE (presetFromJson (PresetManager::userPresetFile ("Plain", PresetScope::complete).loadFileAsString()).simpleMeta.present)
        << "Cancel dropped the recorded timbre and steps";
    PresetManager::getUserPresetFolder().deleteRecursively();
}

// The user preset folder deleted while the editor is open: a save makes it
// again. A preset whose timbre category is gone still brings back its steps.
TEST (SimpleSave, ADeletedFolderOrAVanishedCategoryStillSavesAndRestores)
{
    test::EditorFixture f (1);
    auto* page = dynamic_cast<SimpleEditorContent*> (f.editor->page());
    ASSERT_NE (page, nullptr);
    page->showMessage = [] (const juce::String& title, const juce::String&) { ADD_FAILURE() << title.toStdString(); };
    PresetManager::getUserPresetFolder().deleteRecursively();

    for (std::size_t i = 0; i < page->characterBlocks().size(); ++i)
        page->characterBlocks()[i]->setStep (static_cast<int> (i % 5));
    SimpleMeta meta;
    meta.timbreName = "Stack";
    meta.timbreCategory = "A Category No Longer Shipped";
    meta.steps = { 4, 3, 2, 1, 0 };
    f.processor.presets().setPendingSimpleMeta (meta);
    page->finishSave (1, "From Another Install", "Pad");
    ASSERT_TRUE (PresetManager::userPresetFile ("From Another Install", PresetScope::complete).existsAsFile()) << "the folder was made again";

    ASSERT_TRUE (f.processor.presets().loadPresetByName ("Reese Bass"));
    ASSERT_TRUE (f.processor.presets().loadPresetByName ("From Another Install"));
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ (page->characterBlocks()[i]->getCurrentStep(), meta.steps[i]) << i;
    PresetManager::getUserPresetFolder().deleteRecursively();
}
