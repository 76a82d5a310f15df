// The matrix grid and its section on a real processor: adding, removing and
// re-scaling routings by clicks, drags and typing, tooltips, expansion, a
// list changed under the grid, and edits while the audio thread renders.

#include "EditorTestSupport.h"
#include "support/AllocationCounter.h"
#include "support/DrySound.h"

#include "editor/controls/ModSourceInfo.h"
#include "editor/matrix/ModMatrixGrid.h"
#include "editor/matrix/ModMatrixSection.h"
#include "editor/shell/AdvancedEditorContent.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

using namespace plumora;

namespace
{
constexpr int kEnv1 = static_cast<int> (ModSourceID::modenv1);
constexpr int kVel = static_cast<int> (ModSourceID::velocity);
constexpr int kAftertouch = static_cast<int> (ModSourceID::aftertouch);
constexpr int kCutoffColumn = 10;
constexpr int kPanColumn = 6;

struct GridFixture : testing::Test
{
    PlumoraAudioProcessor processor;
    EditorContext context { processor };
    ModMatrixSection section { context };
    ModMatrixGrid& grid = section.grid();

    GridFixture()
    {
        processor.prepareToPlay (48000.0, 512);
        test::loadDryDefaults (processor, "Init");
        section.setBounds (0, 0, 396, 178); // as on the PRO page: the grid is 392 x 160
        grid.refresh();
    }

    const std::vector<ModRouting>& routings() { return context.routings(); }

    juce::Point<float> centreOf (int row, int column) { return grid.geometry().cellBounds (row, column).toFloat().getCentre(); }

    void press (int row, int column, juce::ModifierKeys mods = {})
    {
        const auto at = centreOf (row, column);
        grid.mouseDown (test::mouseEvent (grid, at, mods, at));
    }

    // A click: press and release, and the wait for a second click running out.
    void click (int row, int column)
    {
        const auto at = centreOf (row, column);
        grid.mouseDown (test::mouseEvent (grid, at, {}, at));
        grid.mouseUp (test::mouseEvent (grid, at, {}, at));
        grid.timerCallback();
    }

    void dragDepth (int row, int column, float pixelsUp, juce::ModifierKeys mods = {})
    {
        const auto at = centreOf (row, column);
        grid.mouseDown (test::mouseEvent (grid, at, mods, at));
        for (float moved = 1.0f; moved <= pixelsUp; moved += 1.0f)
            grid.mouseDrag (test::mouseEvent (grid, at.translated (0.0f, -moved), mods, at, 1, true));
        grid.mouseUp (test::mouseEvent (grid, at.translated (0.0f, -pixelsUp), mods, at, 1, true));
        grid.timerCallback();
    }
};
} // namespace

TEST_F (GridFixture, CellsAndMarginsFollowTheGridsSize)
{
    EXPECT_EQ (grid.getBounds(), juce::Rectangle<int> (2, 16, 392, 160));
    const auto small = grid.geometry();
    EXPECT_EQ (small.left, 40);
    EXPECT_EQ (small.top, 40);
    EXPECT_EQ (small.cell, 10);

    grid.setSize (1192, 714); // expanded
    const auto large = grid.geometry();
    EXPECT_EQ (large.left, 119);
    EXPECT_EQ (large.top, 119);
    EXPECT_EQ (large.cell, 31);
    EXPECT_EQ (ModMatrixGrid::columns()[kCutoffColumn], ParamID::filt_cutoff);
}

TEST_F (GridFixture, ClicksAddRoutingsWithTheirScopeAndRemoveThem)
{
    click (kEnv1, kCutoffColumn);
    ASSERT_EQ (routings().size(), 1u);
    EXPECT_EQ (routings()[0].source, ModSourceID::modenv1);
    EXPECT_EQ (routings()[0].target, index (ParamID::filt_cutoff));
    EXPECT_EQ (routings()[0].depth, 0.5f);
    EXPECT_EQ (routings()[0].scope, ModScope::per_voice);
    EXPECT_FALSE (routings()[0].audioRate);

    click (kAftertouch, kPanColumn);
    click (kVel, kCutoffColumn);
    ASSERT_EQ (routings().size(), 3u);
    EXPECT_EQ (routings()[1].scope, ModScope::global);
    EXPECT_EQ (routings()[2].scope, ModScope::per_note_capture);

    click (kEnv1, kCutoffColumn);
    ASSERT_EQ (routings().size(), 2u) << "a click on a dot removes it";
    EXPECT_EQ (routings()[0].source, ModSourceID::aftertouch);

    // The header bands and the space past the last row do nothing.
    for (const auto at : { juce::Point<float> (39.0f, 100.0f), juce::Point<float> (100.0f, 39.0f), juce::Point<float> (5.0f, 5.0f) })
        grid.mouseDown (test::mouseEvent (grid, at, {}, at));
    EXPECT_EQ (routings().size(), 2u);
}

TEST_F (GridFixture, DotsShowDepthAndSignInTheSourcesColour)
{
    grid.setSize (1192, 714);
    context.addRouting (ModSourceID::lfo1, ParamID::filt_cutoff, 1.0f, ModScope::global);
    context.addRouting (ModSourceID::modenv1, ParamID::filt_cutoff, -1.0f, ModScope::per_voice);
    context.addRouting (ModSourceID::velocity, ParamID::master_vol, 0.01f, ModScope::per_note_capture);
    context.addRouting (ModSourceID::lfo2, ParamID::amp_attack, 0.5f, ModScope::global); // no column: not drawn, no harm
    grid.refresh();
    const auto picture = grid.createComponentSnapshot (grid.getLocalBounds(), true, 1.0f);
    const auto pixel = [&] (int row, int column, float dx = 0.0f)
    {
        const auto c = centreOf (row, column).translated (dx, 0.0f);
        return picture.getPixelAt (juce::roundToInt (c.x), juce::roundToInt (c.y));
    };
    // Within antialiasing of the source's colour.
    const auto near = [] (juce::Colour a, juce::Colour b)
    {
        return std::abs (a.getRed() - b.getRed()) < 60 && std::abs (a.getGreen() - b.getGreen()) < 60 && std::abs (a.getBlue() - b.getBlue()) < 60;
    };
    EXPECT_EQ (pixel (0, kCutoffColumn), modSourceColour (ModSourceID::lfo1)) << "a full dot";
    EXPECT_FALSE (near (pixel (kEnv1, kCutoffColumn), modSourceColour (ModSourceID::modenv1))) << "a negative depth is a ring: hollow";
    EXPECT_TRUE (near (pixel (kEnv1, kCutoffColumn, 12.5f), modSourceColour (ModSourceID::modenv1))) << "its rim";
    EXPECT_TRUE (near (pixel (kVel, 20), modSourceColour (ModSourceID::velocity))) << "even a tiny depth shows a 3-pixel dot";
    EXPECT_FALSE (near (pixel (kVel, 20, 3.0f), modSourceColour (ModSourceID::velocity)));
}

TEST_F (GridFixture, DraggingADotChangesItsDepthAndNothingElse)
{
    context.addRouting (ModSourceID::lfo1, ParamID::filt_cutoff, 0.5f, ModScope::global);
    context.addRouting (ModSourceID::lfo2, ParamID::filt_cutoff, 0.5f, ModScope::global);
    grid.refresh();

    dragDepth (1, kCutoffColumn, 30.0f);
    ASSERT_EQ (routings().size(), 2u) << "a drag is not a click: nothing removed";
    EXPECT_NEAR (routings()[1].depth, 0.8f, 1e-5);
    EXPECT_EQ (routings()[0].depth, 0.5f);

    dragDepth (1, kCutoffColumn, 30.0f, juce::ModifierKeys::shiftModifier);
    EXPECT_NEAR (routings()[1].depth, 0.83f, 1e-5) << "Shift drags finely";
    dragDepth (1, kCutoffColumn, 500.0f);
    EXPECT_EQ (routings()[1].depth, 1.0f) << "limited to 1";
}

TEST_F (GridFixture, ADoubleClickTypesADepth)
{
    context.addRouting (ModSourceID::lfo1, ParamID::filt_cutoff, 0.5f, ModScope::global);
    grid.refresh();
    const auto at = centreOf (0, kCutoffColumn);
    const auto typeDepth = [&] (const char* text)
    {
        grid.mouseDown (test::mouseEvent (grid, at, {}, at));
        grid.mouseUp (test::mouseEvent (grid, at, {}, at));
        grid.mouseDown (test::mouseEvent (grid, at, {}, at, 2));
        grid.mouseUp (test::mouseEvent (grid, at, {}, at, 2));
        grid.mouseDoubleClick (test::mouseEvent (grid, at, {}, at, 2));
        grid.timerCallback(); // the wait for a second click ends: no removal
        ASSERT_NE (grid.depthEditor(), nullptr);
        grid.depthEditor()->setText (text);
        grid.depthEditor()->onReturnKey();
    };
    typeDepth ("-0.3");
    ASSERT_EQ (routings().size(), 1u);
    EXPECT_FLOAT_EQ (routings()[0].depth, -0.3f);
    typeDepth ("lots");
    EXPECT_FLOAT_EQ (routings()[0].depth, -0.3f);
    typeDepth ("3");
    EXPECT_FLOAT_EQ (routings()[0].depth, 1.0f);
}

TEST_F (GridFixture, TooltipsExplainTargetsSourcesAndCells)
{
    context.addRouting (ModSourceID::modenv1, ParamID::filt_cutoff, 0.5f, ModScope::per_voice);
    grid.refresh();
    const auto g = grid.geometry();
    const auto cell = [&] (int row, int column) { return centreOf (row, column).toInt(); };
    EXPECT_EQ (grid.tooltipAt ({ g.left + kCutoffColumn * g.cell + 2, 10 }), "Target: Filter Cutoff (20.00 - 20000.00)");
    EXPECT_EQ (grid.tooltipAt ({ 10, g.top + kVel * g.cell + 2 }), "Vel: " + modSourceDescription (ModSourceID::velocity));
    EXPECT_TRUE (modSourceDescription (ModSourceID::velocity).startsWith ("MIDI note velocity (0-1). Sampled at note-on"));
    EXPECT_EQ (grid.tooltipAt ({ 10, 10 }), "");
    EXPECT_EQ (grid.tooltipAt (cell (kEnv1, kCutoffColumn)),
               juce::String (juce::CharPointer_UTF8 ("Env1 \xe2\x86\x92 Filter Cutoff  (depth 0.50) \xe2\x80\x94 click to remove")));
    EXPECT_EQ (grid.tooltipAt (cell (0, 0)),
               juce::String (juce::CharPointer_UTF8 ("LFO1 \xe2\x86\x92 Osc1 WT Pos  \xe2\x80\x94 click to add routing")));
}

TEST_F (GridFixture, AClickActsOnTheRoutingsThereNowNotOnAStaleCopy)
{
    context.addRouting (ModSourceID::lfo1, ParamID::filt_cutoff, 0.5f, ModScope::global);
    grid.refresh();
    processor.engine().modMatrix().replaceRoutings ({}); // a preset load between refresh and click
    click (0, kCutoffColumn);
    ASSERT_EQ (routings().size(), 1u) << "nothing there now: the click adds";

    // A removal waiting for a second click finds its routing moved.
    const auto at = centreOf (0, kCutoffColumn);
    grid.mouseDown (test::mouseEvent (grid, at, {}, at));
    grid.mouseUp (test::mouseEvent (grid, at, {}, at));
    processor.engine().modMatrix().replaceRoutings ({ { ModSourceID::lfo3, index (ParamID::osc1_pan), 0.2f, ModScope::global, false },
                                                      { ModSourceID::lfo1, index (ParamID::filt_cutoff), 0.5f, ModScope::global, false } });
    grid.timerCallback();
    ASSERT_EQ (routings().size(), 1u);
    EXPECT_EQ (routings()[0].source, ModSourceID::lfo3) << "the right one went";
}

TEST_F (GridFixture, HundredsOfRoutingsStayCorrect)
{
    for (int i = 0; i < 300; ++i)
        context.addRouting (static_cast<ModSourceID> (i % kNumModSources), ModMatrixGrid::columns()[static_cast<std::size_t> (i % 25)], 0.5f,
                            ModScope::global);
    grid.refresh();
    EXPECT_FALSE (grid.createComponentSnapshot (grid.getLocalBounds()).isNull());
    click (0, 0); // LFO1 -> column 0 exists: removes the first of them
    EXPECT_EQ (routings().size(), 299u);
}

TEST (ModMatrixSection, TheExpandButtonGivesTheMatrixThePageAndBack)
{
    test::EditorFixture f;
    auto* page = dynamic_cast<AdvancedEditorContent*> (f.editor->page());
    ASSERT_NE (page, nullptr);
    auto& section = page->matrixSection();
    EXPECT_EQ (section.expandButton().getButtonText(), "[+]");
    EXPECT_EQ (section.expandButton().getBounds(), juce::Rectangle<int> (370, 2, 24, 14));

    section.expandButton().onClick();
    EXPECT_EQ (section.expandButton().getButtonText(), "[-]");
    EXPECT_TRUE (page->isMatrixExpanded());
    EXPECT_EQ (section.getBounds(), juce::Rectangle<int> (2, 2, 1196, 732));
    EXPECT_FALSE (page->section (AdvancedEditorContent::oscillator).isVisible());

    section.expandButton().onClick();
    EXPECT_EQ (section.expandButton().getButtonText(), "[+]");
    EXPECT_FALSE (page->isMatrixExpanded());
    EXPECT_EQ (section.getBounds(), juce::Rectangle<int> (801, 260, 396, 178));
}

// Grid clicks and depth drags on the message thread while the audio thread
// renders a chord: the output stays finite and the audio thread allocates
// nothing, whatever the edits hand over.
TEST_F (GridFixture, EditsWhileTheAudioThreadRendersStaySafe)
{
    std::atomic<bool> running { true };
    std::atomic<std::size_t> audioAllocations { 0 };
    std::atomic<bool> finite { true };
    std::thread audio ([&]
    {
        juce::AudioBuffer<float> buffer (2, 512);
        juce::MidiBuffer chord;
        for (const int note : { 48, 52, 55, 59 })
            chord.addEvent (juce::MidiMessage::noteOn (1, note, 0.8f), 0);
        processor.processBlock (buffer, chord);
        while (running)
        {
            juce::MidiBuffer none;
            test::ScopedAllocationCounter allocations;
            processor.processBlock (buffer, none);
            audioAllocations += allocations.count();
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < 512; ++i)
                    finite = finite && std::isfinite (buffer.getSample (c, i));
        }
    });
    for (int round = 0; round < 200; ++round)
    {
        click (round % ModMatrixGrid::rowCount, round % ModMatrixGrid::columnCount);
        if (! routings().empty())
            dragDepth (static_cast<int> (routings().back().source), round % ModMatrixGrid::columnCount, 10.0f);
    }
    running = false;
    audio.join();
    EXPECT_TRUE (finite);
    EXPECT_EQ (audioAllocations.load(), 0u);
}

// A picture of the PRO page with the matrix expanded over three routings,
// kept in the build folder; each dot is drawn in its source's colour.
TEST (ModMatrixSection, ThePictureOfTheExpandedMatrixShowsEachRoutingInItsSourcesColour)
{
    test::EditorFixture f;
    test::loadDryDefaults (f.processor, "Init");
    auto* page = dynamic_cast<AdvancedEditorContent*> (f.editor->page());
    ASSERT_NE (page, nullptr);
    EditorContext context (f.processor);
    context.addRouting (ModSourceID::lfo2, ParamID::filt_cutoff, 0.8f, ModScope::global);
    context.addRouting (ModSourceID::modenv1, ParamID::osc1_wt_pos, 0.6f, ModScope::per_voice);
    context.addRouting (ModSourceID::velocity, ParamID::master_vol, 0.7f, ModScope::per_note_capture);
    page->matrixSection().expandButton().onClick();
    f.editor->timerCallback();

    const auto picture = f.editor->createComponentSnapshot (f.editor->getLocalBounds(), true, 1.0f);
    const auto file = test::savePicture (picture, "editor-matrix-expanded.png");
    EXPECT_GT (file.getSize(), 1000);

    auto& grid = page->matrixSection().grid();
    const auto dotColour = [&] (ModSourceID source, int column)
    {
        const auto centre = grid.geometry().cellBounds (static_cast<int> (source), column).getCentre();
        const auto inEditor = f.editor->getLocalPoint (&grid, centre);
        return picture.getPixelAt (inEditor.x, inEditor.y);
    };
    EXPECT_EQ (dotColour (ModSourceID::lfo2, kCutoffColumn), modSourceColour (ModSourceID::lfo2));
    EXPECT_EQ (dotColour (ModSourceID::modenv1, 0), modSourceColour (ModSourceID::modenv1));
    EXPECT_EQ (dotColour (ModSourceID::velocity, 20), modSourceColour (ModSourceID::velocity));
    EXPECT_NE (dotColour (ModSourceID::lfo1, kCutoffColumn), modSourceColour (ModSourceID::lfo1)) << "an empty cell";
}
