// The PlumKnob bound to the real processor's parameters: what it writes,
// how it turns, what its menu lists and does, its inline editors, drops and
// the modulation ring.

#include "EditorTestSupport.h"
#include "support/DrySound.h"

#include "editor/controls/ModSourceInfo.h"
#include "editor/controls/ModulationDisplay.h"
#include "editor/controls/PlumKnob.h"
#include "editor/look/Palette.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace plumora;

namespace
{
struct KnobFixture : testing::Test
{
    PlumoraAudioProcessor processor;
    EditorContext context { processor };
    PlumKnob cutoff { context, ParamID::filt_cutoff, "Cutoff" };
    PlumKnob volume { context, ParamID::master_vol, "Volume" };

    std::vector<std::pair<std::size_t, float>> depthsSet;
    std::vector<std::size_t> removed;

    KnobFixture()
    {
        processor.prepareToPlay (48000.0, 512);
        test::loadDryDefaults (processor, "Init"); // no routings, cutoff at 5000 Hz
        for (auto* knob : { &cutoff, &volume })
        {
            knob->attachToParameter();
            knob->setBounds (0, 0, 98, 73);
            knob->onRemoveModulation = [this] (std::size_t i) { removed.push_back (i); };
            knob->onSetModulationDepth = [this] (std::size_t i, float depth) { depthsSet.push_back ({ i, depth }); };
        }
    }

    float hostValue (ParamID id) { return processor.parameters().getRawParameterValue (parameterSpec (id).id)->load(); }
    std::vector<ModRouting> routings() { return context.routings(); }

    // The menu's entries, a line each: "title" for items, "title: [sub items]" for submenus.
    static std::vector<juce::String> entries (const juce::PopupMenu& menu)
    {
        std::vector<juce::String> lines;
        for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
        {
            const auto& item = it.getItem();
            if (item.isSeparator)
                lines.push_back ("---");
            else if (item.subMenu != nullptr)
            {
                juce::String line = item.text + ":";
                for (juce::PopupMenu::MenuItemIterator sub (*item.subMenu); sub.next();)
                    line << " [" << sub.getItem().itemID << " " << sub.getItem().text << "]";
                lines.push_back (line);
            }
            else
                lines.push_back (juce::String (item.itemID) + " " + item.text);
        }
        return lines;
    }
};
} // namespace

TEST_F (KnobFixture, BindsToItsParameterAndShowsTheCataloguesText)
{
    EXPECT_TRUE (cutoff.isAttached());
    EXPECT_EQ (cutoff.getValue(), hostValue (ParamID::filt_cutoff));
    cutoff.setValue (1200.0, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (hostValue (ParamID::filt_cutoff), 1200.0f);
    EXPECT_EQ (cutoff.getTextFromValue (cutoff.getValue()), "1200 Hz");
    EXPECT_EQ (volume.getTextFromValue (0.8), "80%");
    EXPECT_TRUE (cutoff.getWantsKeyboardFocus()) << "reached with Tab";
    EXPECT_FALSE (cutoff.getMouseClickGrabsKeyboardFocus()) << "a click leaves the focus with the on-screen keyboard";

    // The host moving the parameter moves the knob.
    processor.parameters().getParameter ("master_vol")->setValueNotifyingHost (0.25f);
    EXPECT_NEAR (volume.getValue(), 0.25, 1e-6);
}

TEST_F (KnobFixture, FrequencyAndTimeKnobsTurnOnAMusicalScaleAndWritePlainValues)
{
    EXPECT_NEAR (cutoff.valueToProportionOfLength (20.0), 0.0, 1e-9);
    EXPECT_NEAR (cutoff.valueToProportionOfLength (20000.0), 1.0, 1e-9);
    EXPECT_NEAR (cutoff.proportionOfLengthToValue (0.5), 632.5, 1.0) << "the middle of the travel";
    // Each tenth of the travel is the same musical step: a third of a decade.
    EXPECT_NEAR (cutoff.proportionOfLengthToValue (0.6) / cutoff.proportionOfLengthToValue (0.5),
                 cutoff.proportionOfLengthToValue (0.2) / cutoff.proportionOfLengthToValue (0.1), 1e-6);

    cutoff.setValue (cutoff.proportionOfLengthToValue (0.5), juce::sendNotificationSync);
    EXPECT_NEAR (hostValue (ParamID::filt_cutoff), 632.5f, 1.0f) << "the host parameter holds the plain value";

    EXPECT_NEAR (volume.valueToProportionOfLength (0.3), 0.3, 1e-6) << "narrow ranges stay linear";
    PlumKnob unison (context, ParamID::osc1_unison, "Uni");
    unison.attachToParameter();
    unison.setValue (4.4, juce::sendNotificationSync);
    EXPECT_EQ (unison.getValue(), 4.0) << "stepped parameters keep their steps";
}

TEST_F (KnobFixture, ItsMenuListsTheRoutingsOntoItsParameterThenAnimate)
{
    EXPECT_EQ (entries (cutoff.buildContextMenu()), (std::vector<juce::String> { "1 Animate This..." })) << "no routing, no separator";

    context.addRouting (ModSourceID::lfo1, ParamID::master_vol, 0.3f, ModScope::global);         // 0: another target
    context.addRouting (ModSourceID::lfo2, ParamID::filt_cutoff, -0.25f, ModScope::global);      // 1
    context.addRouting (ModSourceID::modenv1, ParamID::filt_cutoff, 0.5f, ModScope::per_voice);  // 2
    EXPECT_EQ (entries (cutoff.buildContextMenu()),
               (std::vector<juce::String> { "LFO2 -> -0.25: [111 Depth: -0.25] [112 Remove]",
                                            "Env1 -> 0.50: [121 Depth: 0.50] [122 Remove]", "---", "1 Animate This..." }));

    cutoff.handleMenuChoice (PlumKnob::removeItem (2));
    EXPECT_EQ (removed, (std::vector<std::size_t> { 2 }));
    cutoff.handleMenuChoice (PlumKnob::removeItem (0)); // routing 0 moves the volume, not this knob
    cutoff.handleMenuChoice (PlumKnob::removeItem (7)); // no such routing
    cutoff.handleMenuChoice (0);                         // the menu was dismissed
    EXPECT_EQ (removed.size(), 1u);
}

TEST_F (KnobFixture, TheDepthEditorSetsARoutingsDepthAndRefusesNonsense)
{
    context.addRouting (ModSourceID::lfo2, ParamID::filt_cutoff, -0.25f, ModScope::global);
    cutoff.handleMenuChoice (PlumKnob::depthItem (0));
    ASSERT_NE (cutoff.inlineEditor(), nullptr);
    EXPECT_EQ (cutoff.inlineEditor()->getText(), "-0.25");

    const auto typeAndReturn = [this] (const char* text)
    {
        cutoff.showDepthEditor (0);
        cutoff.inlineEditor()->setText (text);
        cutoff.inlineEditor()->onReturnKey();
        EXPECT_EQ (cutoff.inlineEditor(), nullptr) << text;
    };
    typeAndReturn ("0.7");
    typeAndReturn ("deep");
    typeAndReturn ("5");
    typeAndReturn ("");
    EXPECT_EQ (depthsSet, (std::vector<std::pair<std::size_t, float>> { { 0, 0.7f }, { 0, 1.0f } }));

    cutoff.showDepthEditor (0);
    cutoff.inlineEditor()->setText ("0.1");
    cutoff.inlineEditor()->onEscapeKey();
    EXPECT_EQ (cutoff.inlineEditor(), nullptr);
    EXPECT_EQ (depthsSet.size(), 2u) << "Escape applies nothing";

    // Wired as a page wires it, the engine's routing takes the new depth.
    cutoff.onSetModulationDepth = [this] (std::size_t i, float depth) { context.setRoutingDepth (static_cast<int> (i), depth); };
    typeAndReturn ("0.4");
    EXPECT_FLOAT_EQ (routings()[0].depth, 0.4f);
}

TEST_F (KnobFixture, TheValueEditorTakesWhatTheKnobShowsAndKeepsTheValueOtherwise)
{
    cutoff.mouseDoubleClick (test::mouseEvent (cutoff, { 49.0f, 36.0f }, {}, { 49.0f, 36.0f }, 2));
    ASSERT_NE (cutoff.inlineEditor(), nullptr);
    EXPECT_EQ (cutoff.inlineEditor()->getText(), "5000 Hz");
    EXPECT_EQ (cutoff.inlineEditor()->getBounds(), juce::Rectangle<int> (19, 27, 60, 18));

    cutoff.inlineEditor()->setText ("2.5k");
    cutoff.inlineEditor()->onReturnKey();
    EXPECT_FLOAT_EQ (hostValue (ParamID::filt_cutoff), 2500.0f);

    for (const char* nonsense : { "loud", "", "12 parsecs" })
    {
        cutoff.showValueEditor();
        cutoff.inlineEditor()->setText (nonsense);
        cutoff.inlineEditor()->onReturnKey();
        EXPECT_FLOAT_EQ (hostValue (ParamID::filt_cutoff), 2500.0f) << nonsense;
    }
    cutoff.showValueEditor();
    cutoff.inlineEditor()->setText ("300");
    cutoff.inlineEditor()->onFocusLost();
    EXPECT_EQ (cutoff.inlineEditor(), nullptr);
    EXPECT_FLOAT_EQ (hostValue (ParamID::filt_cutoff), 2500.0f) << "clicking elsewhere cancels";

    cutoff.showValueEditor();
    cutoff.inlineEditor()->setText ("99999");
    cutoff.inlineEditor()->onReturnKey();
    EXPECT_FLOAT_EQ (hostValue (ParamID::filt_cutoff), 20000.0f) << "limited to the range";
}

TEST_F (KnobFixture, DroppedSourcesBecomeRoutingsWithTheirScope)
{
    std::vector<std::tuple<ModSourceID, ParamID, float, ModScope>> added;
    cutoff.onAddModulation = [&added] (ModSourceID s, ParamID t, float d, ModScope scope) { added.push_back ({ s, t, d, scope }); };
    const auto details = [this] (juce::var description) { return juce::DragAndDropTarget::SourceDetails (description, &volume, {}); };

    for (const auto source : { ModSourceID::modenv1, ModSourceID::velocity, ModSourceID::lfo3, ModSourceID::mpe_slide })
    {
        const auto d = details (static_cast<int> (source));
        ASSERT_TRUE (cutoff.isInterestedInDragSource (d));
        cutoff.itemDragEnter (d);
        EXPECT_TRUE (cutoff.isDragOver());
        cutoff.itemDropped (d);
        EXPECT_FALSE (cutoff.isDragOver());
    }
    EXPECT_EQ (added, (std::vector<std::tuple<ModSourceID, ParamID, float, ModScope>> {
                          { ModSourceID::modenv1, ParamID::filt_cutoff, 0.5f, ModScope::per_voice },
                          { ModSourceID::velocity, ParamID::filt_cutoff, 0.5f, ModScope::per_note_capture },
                          { ModSourceID::lfo3, ParamID::filt_cutoff, 0.5f, ModScope::global },
                          { ModSourceID::mpe_slide, ParamID::filt_cutoff, 0.5f, ModScope::per_voice } }));

    for (const juce::var& nonsense : { juce::var ("LFO1"), juce::var (99), juce::var (-1), juce::var (2.5), juce::var() })
    {
        EXPECT_FALSE (cutoff.isInterestedInDragSource (details (nonsense)));
        cutoff.itemDropped (details (nonsense));
    }
    EXPECT_EQ (added.size(), 4u);
}

TEST_F (KnobFixture, TheRingShowsWhatTheEngineModulatedInTheStrongestSourcesColour)
{
    // Below 0.1 % of the range there is no ring.
    cutoff.setModulationRange (1000.0f, 1015.0f, 0);
    EXPECT_FALSE (cutoff.hasModulationRange());
    cutoff.setModulationRange (1000.0f, 4000.0f, static_cast<int> (ModSourceID::modenv1));
    EXPECT_TRUE (cutoff.hasModulationRange());

    // Drawn just outside the track, across the modulated span only.
    cutoff.setValue (20.0, juce::sendNotificationSync);
    const auto ringAt = [this] (double value)
    {
        const auto picture = cutoff.createComponentSnapshot (cutoff.getLocalBounds(), true, 1.0f);
        const float angle = juce::MathConstants<float>::pi * (1.25f + 1.5f * static_cast<float> (cutoff.valueToProportionOfLength (value)));
        const float size = std::min (73.0f - 32.0f, 98.0f), radius = 0.48f * size;
        return picture.getPixelAt (juce::roundToInt (49.0f + std::sin (angle) * radius), juce::roundToInt (36.5f - std::cos (angle) * radius));
    };
    const auto inside = ringAt (2000.0), outside = ringAt (10000.0);
    EXPECT_GT (inside.getGreen(), inside.getRed() + 60) << "envelope green";
    EXPECT_LT (outside.getGreen(), 60);

    // Two routings of equal strength: the first listed colours the ring.
    context.addRouting (ModSourceID::lfo1, ParamID::filt_cutoff, 0.4f, ModScope::global);
    context.addRouting (ModSourceID::modenv1, ParamID::filt_cutoff, -0.4f, ModScope::per_voice);
    EXPECT_EQ (dominantRouting (routings(), ParamID::filt_cutoff), std::optional<std::size_t> (0));
    cutoff.setModulationRange (900.0f, 4100.0f, 0); // moved: takes the new source
    updateModulationDisplay (context, { &cutoff, &volume });
    EXPECT_EQ (cutoff.dominantSource(), static_cast<int> (ModSourceID::lfo1));
    EXPECT_FALSE (volume.hasModulationRange()) << "nothing moved the volume";
    EXPECT_EQ (modSourceColour (ModSourceID::lfo1), palette::sourceLfo);
    EXPECT_EQ (modSourceShortName (ModSourceID::mpe_pressure), "MPE Pr");
    EXPECT_EQ (modSourceShortName (ModSourceID::unknown), "?");
}

TEST_F (KnobFixture, DraggingIsFineWithShiftAndAltOnTheRingChangesTheStrongestDepth)
{
    const auto drag = [this] (juce::ModifierKeys mods, float pixels, juce::Point<float> at = { 49.0f, 36.0f })
    {
        volume.setValue (0.5, juce::sendNotificationSync);
        volume.mouseDown (test::mouseEvent (volume, at, mods, at));
        for (float moved = 2.0f; moved <= pixels; moved += 2.0f)
            volume.mouseDrag (test::mouseEvent (volume, at.translated (0.0f, -moved), mods, at, 1, true));
        volume.mouseUp (test::mouseEvent (volume, at.translated (0.0f, -pixels), mods, at, 1, true));
        return volume.getValue() - 0.5;
    };
    const double plain = drag ({}, 50.0f);
    const double fine = drag (juce::ModifierKeys::shiftModifier, 50.0f);
    EXPECT_NEAR (plain, 50.0 / 250.0, 0.01) << "a plain drag follows the mouse";
    EXPECT_GT (fine, 0.0);
    EXPECT_LT (fine, plain / 5.0) << "Shift makes it fine";

    // Alt on the ring: the strongest routing's depth follows the drag.
    context.addRouting (ModSourceID::lfo1, ParamID::master_vol, 0.2f, ModScope::global);
    context.addRouting (ModSourceID::lfo2, ParamID::master_vol, -0.5f, ModScope::global);
    const float ringRadius = 0.48f * 41.0f;
    const double moved = drag (juce::ModifierKeys::altModifier, 40.0f, { 49.0f, 36.5f - ringRadius });
    EXPECT_EQ (moved, 0.0) << "the value stays";
    ASSERT_FALSE (depthsSet.empty());
    EXPECT_EQ (depthsSet.back().first, 1u);
    EXPECT_NEAR (depthsSet.back().second, -0.5f + 40.0f / 200.0f, 1e-4);
}

TEST_F (KnobFixture, AnimateThisSetsAFreeLfoMovingTheParameterAndNothingWhenNoneIsFree)
{
    cutoff.handleMenuChoice (PlumKnob::animateItem);
    ASSERT_EQ (routings().size(), 1u);
    EXPECT_EQ (routings()[0].target, index (ParamID::filt_cutoff));
    EXPECT_EQ (routings()[0].source, ModSourceID::lfo1);
    EXPECT_GT (hostValue (ParamID::lfo1_depth), 0.0f);

    for (const auto lfo : { ModSourceID::lfo2, ModSourceID::lfo3, ModSourceID::lfo4 })
        context.addRouting (lfo, ParamID::osc1_pan, 0.1f, ModScope::global);
    const auto before = routings().size();
    volume.handleMenuChoice (PlumKnob::animateItem);
    EXPECT_EQ (routings().size(), before);
}

TEST_F (KnobFixture, ClosingWithAnEditorOpenLeavesNothingBehind)
{
    auto knob = std::make_unique<PlumKnob> (context, ParamID::filt_reso, "Reso");
    knob->attachToParameter();
    knob->setBounds (0, 0, 98, 73);
    knob->showValueEditor();
    ASSERT_NE (knob->inlineEditor(), nullptr);
    knob.reset();
    SUCCEED();
}
