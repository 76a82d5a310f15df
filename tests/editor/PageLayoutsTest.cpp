// The S!MPLE page's frame in the editor, and both pages' layouts at sizes
// too small for them.

#include "EditorTestSupport.h"
#include "host/EditorPoints.h"

#include "editor/controls/PlumKnob.h"
#include "editor/shell/PageLayouts.h"
#include "editor/sections/ArpSection.h"
#include "editor/shell/SimpleEditorContent.h"
#include "editor/simple/CharacterBlockComponent.h"
#include "editor/simple/SoundMap.h"
#include "editor/simple/TimbreLibrary.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <tuple>

using namespace plumora;
using Rect = juce::Rectangle<int>;

TEST (SimplePageFrame, LaysOutLibraryMapBlocksArpeggiatorAndTheBottomBar)
{
    test::EditorFixture f (1);
    auto* page = dynamic_cast<SimpleEditorContent*> (f.editor->page());
    ASSERT_NE (page, nullptr);
    ASSERT_EQ (page->characterBlocks().size(), 5u) << "one block per shipped character map";

    EXPECT_EQ (page->resetAllButton().getBounds(), Rect (1112, 690, 80, 28));
    EXPECT_EQ (page->saveButton().getBounds(), Rect (1058, 690, 50, 28));
    EXPECT_EQ (page->pickKnob().getBounds(), Rect (8, 680, 56, 48));
    EXPECT_EQ (page->arpeggiator().getBounds(), Rect (8, 646, 1184, 28)) << "folded while the arpeggiator is off";
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ (page->characterBlocks()[static_cast<std::size_t> (i)]->getBounds(), Rect (8, 236 + 82 * i, 1184, 78)) << i;
    EXPECT_EQ (page->timbreLibrary().getBounds(), Rect (8, 8, 331, 220));
    EXPECT_EQ (page->soundMap().getBounds(), Rect (347, 8, 845, 220));

    EXPECT_EQ (page->saveButton().getButtonText(), "Save");
    EXPECT_EQ (page->resetAllButton().getButtonText(), "Reset All");
    EXPECT_EQ (page->pickKnob().paramId, ParamID::pick_attack);
    EXPECT_EQ (page->pickKnob().label(), "Pick");
    EXPECT_TRUE (page->pickKnob().isAttached());

    // With the arpeggiator on its strip opens and the blocks move up.
    f.processor.parameters().getParameter ("arp_enabled")->setValueNotifyingHost (1.0f);
    page->resized();
    EXPECT_EQ (page->arpeggiator().getBounds(), Rect (8, 590, 1184, 84));
    EXPECT_EQ (page->characterBlocks().front()->getBounds().getY(), 180);
    EXPECT_EQ (page->timbreLibrary().getHeight(), 164);
}

TEST (PageLayouts, TinyPagesGiveEmptyRectanglesNeverNegativeOnes)
{
    for (const auto size : { juce::Point<int> (0, 0), juce::Point<int> (5, 3), juce::Point<int> (40, 700), juce::Point<int> (1200, 20) })
    {
        SCOPED_TRACE (size.toString());
        const auto pro = layoutProPage (size.x, size.y);
        for (const auto& r : { pro.oscillator, pro.subNoise, pro.filter, pro.amp, pro.lfo, pro.envelope, pro.matrix, pro.effects,
                               pro.master, pro.meter, pro.presetBar, expandedMatrixBounds (size.x, size.y) })
        {
            EXPECT_GE (r.getWidth(), 0);
            EXPECT_GE (r.getHeight(), 0);
        }
        const auto simple = layoutSimplePage (size.x, size.y, 5, true);
        for (const auto& r : { simple.timbreLibrary, simple.soundMap, simple.arpeggiator, simple.pickKnob, simple.saveButton, simple.resetAllButton })
        {
            EXPECT_GE (r.getWidth(), 0);
            EXPECT_GE (r.getHeight(), 0);
        }
        const auto editor = layoutEditor (size.x, size.y);
        EXPECT_GE (editor.page.getHeight(), 0);
    }
}

// A picture of the S!MPLE page with "Warm Pad": its timbre and its five
// steps chosen, kept in the build folder.
TEST (SimplePageFrame, APictureWithWarmPadIsSavedIntoTheBuildFolder)
{
    test::EditorFixture f (1);
    ASSERT_TRUE (f.processor.presets().loadPresetByName ("Warm Pad"));
    auto* page = dynamic_cast<SimpleEditorContent*> (f.editor->page());
    ASSERT_NE (page, nullptr);
    page->timbreLibrary().selectByNames ("Analog", "Stack");
    const int steps[] = { 2, 0, 1, 2, 3 };
    for (std::size_t i = 0; i < page->characterBlocks().size(); ++i)
        page->characterBlocks()[i]->setStep (steps[i]);
    f.editor->timerCallback();
    EXPECT_EQ (f.editor->presetMenu().getText(), "Warm Pad");
    EXPECT_EQ (f.processor.engine().wavetableId (0), "factory:analog_stack");

    const auto picture = f.editor->createComponentSnapshot (f.editor->getLocalBounds(), true, 1.0f);
    EXPECT_NE (test::savePicture (picture, "editor-simple-warm-pad.png"), juce::File());
}

// A S!MPLE preset loaded on this page brings back its timbre and steps, and
// sounds exactly as it does loaded with the PRO page shown.
TEST (SimplePageFrame, LoadingASimplePresetRestoresItsTimbreAndStepsAndKeepsItsSound)
{
    const auto soundOf = [] (PlumoraAudioProcessor& processor)
    {
        std::vector<float> values;
        for (auto* parameter : processor.getParameters())
            values.push_back (parameter->getValue());
        std::multiset<std::tuple<int, int, float, int>> routings;
        for (const auto& r : processor.engine().modMatrix().routings())
            routings.insert ({ static_cast<int> (r.source), r.target, r.depth, static_cast<int> (r.scope) });
        return std::make_tuple (values, routings, processor.engine().wavetableId (0), processor.engine().wavetableId (1));
    };
    for (const auto* name : { "Warm Pad", "Bright Lead", "Deep Sub", "Ethereal Shimmer", "FM Pluck", "Square Stab" })
    {
        SCOPED_TRACE (name);
        test::EditorFixture simple (1), pro (0);
        ASSERT_TRUE (simple.processor.presets().loadPresetByName (name));
        ASSERT_TRUE (pro.processor.presets().loadPresetByName (name));
        EXPECT_EQ (soundOf (simple.processor), soundOf (pro.processor));

        auto* page = dynamic_cast<SimpleEditorContent*> (simple.editor->page());
        ASSERT_NE (page, nullptr);
        const auto& meta = [&]() -> const SimpleMeta&
        {
            for (const auto& document : simple.processor.presets().getFactoryPresets())
                if (document.name == name)
                    return document.simpleMeta;
            throw std::runtime_error ("no such preset");
        }();
        for (std::size_t i = 0; i < page->characterBlocks().size(); ++i)
            EXPECT_EQ (page->characterBlocks()[i]->getCurrentStep(), meta.steps[i]) << i;
        ASSERT_NE (page->timbreLibrary().selectedTimbre(), nullptr);
        EXPECT_EQ (page->timbreLibrary().selectedTimbre()->name, meta.timbreName);
    }

    // A preset without S!MPLE metadata leaves the page's choices as they were.
    test::EditorFixture f (1);
    ASSERT_TRUE (f.processor.presets().loadPresetByName ("Warm Pad"));
    ASSERT_TRUE (f.processor.presets().loadPresetByName ("Reese Bass"));
    auto* page = dynamic_cast<SimpleEditorContent*> (f.editor->page());
    EXPECT_EQ (page->characterBlocks()[0]->getCurrentStep(), 2);
}

// The host tests turn "Filter Cutoff" with the pointer at a fixed point of
// the PRO page: a press there must land on that knob.
TEST (ProPageFrame, TheHostTestsCutoffPointIsOnTheCutoffKnob)
{
    test::EditorFixture f (0);
    f.editor->setVisible (true);
    auto* knob = dynamic_cast<PlumKnob*> (f.editor->getComponentAt (test::kFilterCutoffKnob));
    ASSERT_NE (knob, nullptr) << "nothing but the knob may take that press";
    EXPECT_EQ (knob->paramId, ParamID::filt_cutoff);
}
