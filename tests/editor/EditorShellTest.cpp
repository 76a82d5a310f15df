// The editor window as a host opens it: its bands, the PRO page's sections,
// the mode switch, the preset browser and the diagnostic it leaves behind.

#include "EditorTestSupport.h"

#include "editor/look/Palette.h"
#include "editor/shell/AdvancedEditorContent.h"
#include "editor/shell/HitTestDiagnostic.h"
#include "editor/shell/SimpleEditorContent.h"
#include "editor/visual/SignalFlowOverlay.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <tuple>

using namespace plumora;
using plumora::test::EditorFixture;
using Rect = juce::Rectangle<int>;

TEST (EditorShell, TheWindowAndItsBandsSitWhereTheyBelong)
{
    EditorFixture f;
    auto& editor = *f.editor;
    EXPECT_EQ (editor.getBounds(), Rect (0, 0, 1200, 860));
    EXPECT_FALSE (editor.isResizable());
    ASSERT_NE (editor.page(), nullptr);
    EXPECT_EQ (editor.page()->getBounds(), Rect (0, 44, 1200, 736));
    EXPECT_EQ (editor.onScreenKeyboard().getBounds(), Rect (0, 780, 1200, 80));
    EXPECT_EQ (editor.previousPresetButton().getBounds(), Rect (102, 8, 32, 28));
    EXPECT_EQ (editor.presetMenu().getBounds(), Rect (140, 8, 192, 28));
    EXPECT_EQ (editor.nextPresetButton().getBounds(), Rect (338, 8, 32, 28));
    EXPECT_EQ (editor.modeSwitch().getBounds(), Rect (1126, 8, 68, 28));
    EXPECT_EQ (editor.modeSwitch().getTooltip(), "Switch between S!MPLE and PRO editing modes");
    EXPECT_EQ (editor.previousPresetButton().getTooltip(), "Previous preset");
    EXPECT_EQ (editor.nextPresetButton().getTooltip(), "Next preset");
    EXPECT_EQ (editor.presetMenu().getTextWhenNothingSelected(), "Preset...");

    // The top bar, its line and the page as painted.
    const auto picture = editor.createComponentSnapshot (editor.getLocalBounds(), true, 1.0f);
    EXPECT_EQ (picture.getPixelAt (20, 20), palette::panel);
    EXPECT_EQ (picture.getPixelAt (20, 43), palette::line);
    EXPECT_EQ (picture.getPixelAt (20, 42), palette::panel);
    EXPECT_EQ (picture.getPixelAt (1, 46), palette::background);
}

TEST (EditorShell, TheProPageLaysOutItsElevenSectionsAndExpandsTheMatrix)
{
    EditorFixture f;
    auto* page = dynamic_cast<AdvancedEditorContent*> (f.editor->page());
    ASSERT_NE (page, nullptr);
    using S = AdvancedEditorContent;
    const std::pair<S::Section, Rect> expected[] = {
        { S::oscillator, { 3, 3, 684, 251 } }, { S::subNoise, { 690, 3, 119, 251 } }, { S::filter, { 812, 3, 191, 251 } },
        { S::amp, { 1006, 3, 191, 251 } },     { S::lfo, { 3, 260, 396, 178 } },      { S::envelope, { 402, 260, 396, 178 } },
        { S::matrix, { 801, 260, 396, 178 } }, { S::effects, { 3, 444, 988, 178 } },  { S::master, { 994, 444, 100, 178 } },
        { S::meter, { 1097, 444, 100, 178 } }, { S::presetBar, { 3, 628, 1194, 105 } },
    };
    for (const auto& [section, bounds] : expected)
    {
        EXPECT_EQ (page->section (section).getBounds(), bounds) << section;
        EXPECT_TRUE (page->section (section).isVisible()) << section;
    }
    // The cable layer lies over everything and never takes a click.
    EXPECT_EQ (page->overlay().getBounds(), Rect (0, 0, 1200, 736));
    EXPECT_EQ (page->getChildComponent (page->getNumChildComponents() - 1), static_cast<juce::Component*> (&page->overlay()));
    bool clicks = true, childClicks = true;
    page->overlay().getInterceptsMouseClicks (clicks, childClicks);
    EXPECT_FALSE (clicks);
    EXPECT_FALSE (childClicks);

    page->setMatrixExpanded (true);
    EXPECT_EQ (page->section (S::matrix).getBounds(), Rect (2, 2, 1196, 732));
    for (int s = 0; s < S::sectionCount; ++s)
        EXPECT_EQ (page->section (static_cast<S::Section> (s)).isVisible(), s == S::matrix) << s;
    EXPECT_TRUE (page->overlay().isVisible());

    page->setMatrixExpanded (false);
    EXPECT_EQ (page->section (S::matrix).getBounds(), Rect (801, 260, 396, 178));
    EXPECT_TRUE (page->section (S::oscillator).isVisible());
}

TEST (EditorShell, TheModeButtonSwitchesPagesAndFiltersThePresetMenu)
{
    EditorFixture f;
    auto& editor = *f.editor;
    EXPECT_EQ (editor.modeSwitch().getButtonText(), "S!MPLE");
    EXPECT_EQ (editor.presetMenu().getNumItems(), 36);
    EXPECT_EQ (editor.presetMenu().getText(), f.processor.getCurrentPresetName());

    editor.modeSwitch().onClick();
    EXPECT_EQ (f.processor.uiMode(), 1);
    EXPECT_NE (dynamic_cast<SimpleEditorContent*> (editor.page()), nullptr);
    EXPECT_EQ (editor.modeSwitch().getButtonText(), "PRO");
    EXPECT_EQ (editor.page()->getBounds(), Rect (0, 44, 1200, 736));
    std::vector<juce::String> names;
    for (int i = 0; i < editor.presetMenu().getNumItems(); ++i)
        names.push_back (editor.presetMenu().getItemText (i));
    EXPECT_EQ (names, (std::vector<juce::String> { "Bright Lead", "Deep Sub", "Ethereal Shimmer", "FM Pluck", "Square Stab", "Warm Pad" }));

    editor.toggleEditorMode();
    EXPECT_EQ (f.processor.uiMode(), 0);
    EXPECT_NE (dynamic_cast<AdvancedEditorContent*> (editor.page()), nullptr);
    EXPECT_EQ (editor.presetMenu().getNumItems(), 36);
}

TEST (EditorShell, AnOldStatesUnknownModeLeavesThePageAreaEmpty)
{
    EditorFixture f (7);
    EXPECT_EQ (f.editor->page(), nullptr);
    EXPECT_EQ (f.editor->modeSwitch().getButtonText(), "S!MPLE");
    f.editor->timerCallback();
    const auto picture = f.editor->createComponentSnapshot (f.editor->getLocalBounds(), true, 1.0f);
    EXPECT_EQ (picture.getPixelAt (600, 400), palette::background);
    f.editor->toggleEditorMode(); // 1 - 7: still no page, and no crash
    EXPECT_EQ (f.editor->page(), nullptr);
}

struct StepCase
{
    int count, selected, delta, expected;
};

TEST (EditorShell, StepsThroughThePresetMenuWrappingAtItsEnds)
{
    const StepCase cases[] = {
        { 5, 4, +1, 0 },  { 5, 0, -1, 4 },  { 5, 2, +1, 3 }, { 5, 2, -1, 1 },
        { 5, -1, +1, 0 }, { 5, -1, -1, 4 }, { 1, 0, +1, 0 }, { 1, 0, -1, 0 },
        { 0, -1, +1, -1 }, { 0, -1, -1, -1 },
    };
    for (const auto& c : cases)
        EXPECT_EQ (PlumoraAudioProcessorEditor::steppedIndex (c.count, c.selected, c.delta), c.expected)
            << c.count << " items, from " << c.selected << " by " << c.delta;

    EditorFixture f;
    auto& menu = f.editor->presetMenu();
    const int last = menu.getNumItems() - 1;
    menu.setSelectedItemIndex (last, juce::dontSendNotification);
    f.editor->nextPresetButton().onClick();
    EXPECT_EQ (menu.getSelectedItemIndex(), 0);
    EXPECT_EQ (f.processor.getCurrentPresetName(), menu.getItemText (0)) << "next on the last item loads the first";

    menu.setSelectedId (0, juce::dontSendNotification);
    f.editor->previousPresetButton().onClick();
    EXPECT_EQ (menu.getSelectedItemIndex(), last);
    EXPECT_EQ (f.processor.getCurrentPresetName(), menu.getItemText (last));

    menu.clear (juce::dontSendNotification);
    const auto before = f.processor.getCurrentPresetName();
    f.editor->stepPreset (+1);
    f.editor->stepPreset (-1);
    EXPECT_EQ (f.processor.getCurrentPresetName(), before) << "an empty menu steps nowhere";
}

TEST (EditorShell, ThePresetMenuFollowsLoadsAndIgnoresChoicesThatNoLongerExist)
{
    EditorFixture f;
    auto& menu = f.editor->presetMenu();
    ASSERT_TRUE (f.processor.presets().loadPresetByName ("Reese Bass"));
    EXPECT_EQ (menu.getText(), "Reese Bass");

    // A choice from a list that has since become shorter changes nothing.
    menu.addItem ("Gone", 999);
    menu.setSelectedId (999, juce::sendNotificationSync);
    EXPECT_EQ (f.processor.getCurrentPresetName(), "Reese Bass");

    menu.setSelectedItemIndex (0, juce::sendNotificationSync);
    EXPECT_EQ (f.processor.getCurrentPresetName(), menu.getItemText (0));
}

TEST (EditorShell, OpeningAndClosingFiftyTimesLeavesNoListenerBehind)
{
    PlumoraAudioProcessor processor;
    const auto listenersBefore = processor.presets().listenerCount();
    for (int i = 0; i < 50; ++i)
    {
        processor.setUiMode (i % 2);
        std::unique_ptr<juce::AudioProcessorEditor> editor (processor.createEditor());
        static_cast<PlumoraAudioProcessorEditor*> (editor.get())->timerCallback();
        EXPECT_GT (processor.presets().listenerCount(), listenersBefore); // the editor and its sections' preset menus
        processor.editorBeingDeleted (editor.get());
    }
    EXPECT_EQ (processor.presets().listenerCount(), listenersBefore);
    // A preset change after the editors are gone reaches nobody stale.
    EXPECT_TRUE (processor.presets().loadPresetByName ("Warm Pad"));
}

// The report is once per process, so the check runs in a fresh process of
// its own, where no editor has ticked yet.
void writesOneDiagnosticPerProcess()
{
    const auto file = hitTestDiagnosticFile();
    file.getParentDirectory().createDirectory();
    file.deleteFile();
    {
        EditorFixture f;
        for (int tick = 0; tick < 89; ++tick)
            f.editor->timerCallback();
        if (file.existsAsFile())
            std::exit (1); // not before the 90th tick
        f.editor->timerCallback();
    }
    const auto text = file.loadFileAsString();
    const bool complete = text.startsWith ("=== HIT TEST DIAGNOSTIC ===\r\n  Content bounds: 0 44 1200 736\r\n  Test point: 600, 412\r\n")
                          && text.contains ("  Currently modal component: none\r\n")
                          && text.contains ("plumora::SignalFlowOverlay bounds=0 0 1200 736 visible=Y interceptsClicks=N interceptsChildClicks=N\r\n")
                          && text.endsWith ("===========================\r\n");
    if (! complete)
        std::exit (2);

    EditorFixture later;
    for (int tick = 0; tick < 200; ++tick)
        later.editor->timerCallback();
    std::exit (file.loadFileAsString() == text ? 0 : 3); // one report per process
}

TEST (EditorShellDeathTest, ThreeSecondsAfterTheFirstEditorOpensOneDiagnosticIsWritten)
{
    GTEST_FLAG_SET (death_test_style, "threadsafe");
    EXPECT_EXIT (writesOneDiagnosticPerProcess(), testing::ExitedWithCode (0), "");
}

// A host on a high-density screen sets a scale: the window grows, the layout
// stays the same in logical pixels, and drawing happens at the full scale.
TEST (EditorShell, HonoursTheHostsScaleFactor)
{
    EditorFixture f;
    auto& editor = *f.editor;
    editor.setScaleFactor (1.5f);
    EXPECT_EQ (editor.getBounds(), Rect (0, 0, 1200, 860));
    EXPECT_FLOAT_EQ (editor.getTransform().mat00, 1.5f);
    EXPECT_EQ (editor.getBoundsInParent(), Rect (0, 0, 1800, 1290));
    EXPECT_EQ (editor.page()->getBounds(), Rect (0, 44, 1200, 736));

    // At 1.5 the title's strokes have more lit pixels than at 1 (drawn at
    // the scale, not enlarged), and the separating line stays one crisp row.
    const auto litTitlePixels = [&editor] (float scale)
    {
        const auto picture = editor.createComponentSnapshot ({ 540, 8, 120, 28 }, true, scale);
        int lit = 0;
        for (int y = 0; y < picture.getHeight(); ++y)
            for (int x = 0; x < picture.getWidth(); ++x)
                lit += picture.getPixelAt (x, y) == palette::accent ? 1 : 0;
        return lit;
    };
    EXPECT_GT (litTitlePixels (1.5f), litTitlePixels (1.0f) * 3 / 2);
    const auto top = editor.createComponentSnapshot ({ 0, 40, 40, 8 }, true, 1.5f);
    EXPECT_EQ (top.getPixelAt (10, 4), palette::line); // logical row 43 is physical rows 4.5 ... 6
    editor.setScaleFactor (1.0f);
    EXPECT_EQ (editor.getBoundsInParent(), Rect (0, 0, 1200, 860));
}

// Hosts change programs and restore states from their own threads: the
// editor takes the news on the message thread, never on the caller's.
TEST (EditorShell, PresetNewsFromAnotherThreadIsNotHandledThere)
{
    EditorFixture f;
    const auto shown = f.editor->presetMenu().getText();
    std::thread host ([&f] { f.processor.presets().loadPresetByName ("Reese Bass"); });
    host.join();
    EXPECT_EQ (f.processor.getCurrentPresetName(), "Reese Bass");
    EXPECT_EQ (f.editor->presetMenu().getText(), shown) << "the menu waits for the message thread";
}

// Pages are rebuilt at every switch, and building one writes nothing: the
// sound is exactly what it was, whichever page shows.
TEST (EditorShell, SwitchingPagesNeverChangesTheSound)
{
    EditorFixture f;
    ASSERT_TRUE (f.processor.presets().loadPresetByName ("Warm Pad"));
    const auto soundNow = [&f]
    {
        std::vector<float> values;
        for (auto* parameter : f.processor.getParameters())
            values.push_back (parameter->getValue());
        std::vector<std::tuple<int, int, float, int>> routings;
        for (const auto& r : f.processor.engine().modMatrix().routings())
            routings.push_back ({ static_cast<int> (r.source), r.target, r.depth, static_cast<int> (r.scope) });
        return std::make_tuple (values, routings, f.processor.engine().wavetableId (0), f.processor.engine().wavetableId (1));
    };
    const auto before = soundNow();
    for (int i = 0; i < 4; ++i)
    {
        f.editor->toggleEditorMode();
        f.editor->timerCallback();
        EXPECT_EQ (soundNow(), before) << "after switch " << i + 1;
    }
}
