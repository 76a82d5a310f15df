// The LFO, master and effects sections on the real processor:
// what each control is bound to and moves, the layouts at the PRO page's
// sizes, the LFO tabs and mode buttons and the mod wheel.

#include "SectionTestSupport.h"

#include "editor/look/Palette.h"
#include "editor/sections/ArpSection.h"
#include "editor/sections/FxSection.h"
#include "editor/sections/LfoSection.h"
#include "editor/sections/MasterSection.h"

using namespace plumora;
using ProSectionsTwo = test::SectionFixture;

namespace
{
struct Row
{
    const char* label;
    ParamID parameter;
};

// The knob tables, in getKnobs order.
const std::vector<Row> lfoKnobs {
    { "Rate", ParamID::lfo1_rate },  { "Depth", ParamID::lfo1_depth }, { "Shape", ParamID::lfo1_shape }, { "Delay", ParamID::lfo1_delay_ms },
    { "Fade", ParamID::lfo1_fade_ms }, { "Rate", ParamID::lfo2_rate },  { "Depth", ParamID::lfo2_depth }, { "Shape", ParamID::lfo2_shape },
    { "Delay", ParamID::lfo2_delay_ms }, { "Fade", ParamID::lfo2_fade_ms }, { "Rate", ParamID::lfo3_rate },  { "Depth", ParamID::lfo3_depth },
    { "Shape", ParamID::lfo3_shape }, { "Delay", ParamID::lfo3_delay_ms }, { "Fade", ParamID::lfo3_fade_ms }, { "Rate", ParamID::lfo4_rate },
    { "Depth", ParamID::lfo4_depth }, { "Shape", ParamID::lfo4_shape }, { "Delay", ParamID::lfo4_delay_ms }, { "Fade", ParamID::lfo4_fade_ms },
};
const std::vector<Row> masterKnobs { { "Master", ParamID::master_vol } };
const std::vector<Row> effectKnobs {
    { "Pos", ParamID::autofilter_position }, { "Rate", ParamID::autofilter_rate }, { "Depth", ParamID::autofilter_depth },
    { "Mix", ParamID::autofilter_mix },      { "Reso", ParamID::autofilter_reso }, { "Drive", ParamID::dist_drive },
    { "Mix", ParamID::dist_mix },            { "Rate", ParamID::chorus_rate },     { "Depth", ParamID::chorus_depth },
    { "Mix", ParamID::chorus_mix },          { "Left", ParamID::delay_time_l },    { "Right", ParamID::delay_time_r },
    { "Feedback", ParamID::delay_feedback }, { "Mix", ParamID::delay_mix },        { "Sync", ParamID::delay_sync },
    { "Div", ParamID::delay_division },      { "Size", ParamID::reverb_size },     { "Damp", ParamID::reverb_damp },
    { "Mix", ParamID::reverb_mix },          { "PreDly", ParamID::reverb_pre_delay }, { "Low", ParamID::eq_low_gain },
    { "Mid", ParamID::eq_mid_gain },         { "High", ParamID::eq_high_gain },
};

using Rect = juce::Rectangle<int>;
using RectF = juce::Rectangle<float>;
} // namespace

// Every knob of every section: its label and parameter as tabled, bound,
// visible at construction where its page shows, and turning it moves that
// parameter and no other.
TEST_F (ProSectionsTwo, EveryKnobIsBoundToItsTabledParameterAndMovesOnlyIt)
{
    LfoSection lfo (context);
    MasterSection master (context);
    FxSection effects (context);
    const std::pair<const std::vector<PlumKnob*>*, const std::vector<Row>*> sections[] {
        { &lfo.getKnobs(), &lfoKnobs }, { &master.getKnobs(), &masterKnobs }, { &effects.getKnobs(), &effectKnobs } };

    for (const auto& [knobs, rows] : sections)
    {
        ASSERT_EQ (knobs->size(), rows->size());
        for (std::size_t i = 0; i < rows->size(); ++i)
        {
            auto& knob = *(*knobs)[i];
            const auto& row = (*rows)[i];
            const juce::String what = juce::String (row.label) + " -> " + parameterSpec (row.parameter).id;
            EXPECT_EQ (knob.label(), row.label) << what;
            EXPECT_EQ (knob.paramId, row.parameter) << what;
            EXPECT_TRUE (knob.isAttached()) << what;
            expectMovesOnly (row.parameter, [&knob] { turn (knob); }, what);
        }
    }
}

// The controls that are not knobs: each LFO's mode button and drag handle,
// the effects' power button, tab dots and chorus buttons, the arpeggiator's
// power toggle; the mod wheel moves no parameter at all.
TEST_F (ProSectionsTwo, EveryOtherControlMovesOnlyItsParameter)
{
    LfoSection lfo (context);
    lfo.setBounds (0, 0, 396, 178);
    constexpr ModSourceID sources[] { ModSourceID::lfo1, ModSourceID::lfo2, ModSourceID::lfo3, ModSourceID::lfo4 };
    for (int n = 0; n < 4; ++n)
    {
        EXPECT_EQ (lfo.dragHandle (n).source(), sources[n]);
        expectMovesOnly (LfoSection::modeParameter (n), [&] { lfo.modeButton (n).onClick(); },
                         "mode button " + juce::String (n + 1));
    }

    FxSection effects (context);
    effects.setBounds (0, 0, 988, 178);
    for (int tab = 0; tab < effectTabCount; ++tab)
    {
        const auto& bounds = effects.tabRecord (tab).bounds;
        expectMovesOnly (effectTabs()[static_cast<std::size_t> (tab)].bypass,
                         [&] { click (effects, { bounds.getX() + 8.0f, bounds.getCentreY() + 0.0f }); }, "dot of tab " + juce::String (tab));
        effects.selectTab (tab);
        expectMovesOnly (effectTabs()[static_cast<std::size_t> (tab)].bypass, [&] { effects.powerButton().onClick(); },
                         "power button of tab " + juce::String (tab));
    }
    effects.selectTab (2);
    expectMovesOnly (ParamID::chorus_mode, [&] { effects.chorusButton (1).onClick(); }, "Ensemble");
    expectMovesOnly (ParamID::chorus_mode, [&] { effects.chorusButton (0).onClick(); }, "Classic");

    ArpSection arp (context);
    arp.setBounds (0, 0, 1184, 28);
    expectMovesOnly (ParamID::arp_enabled, [&] { click (arp, arp.geometry().power.getCentre()); }, "arp power");

    MasterSection master (context);
    const auto before = normalisedValues();
    master.modWheel().setValue (0.7, juce::sendNotificationSync);
    EXPECT_TRUE (changedBetween (before, normalisedValues()).empty());
}

// At the page's 396 x 178 every LFO's parts sit in the same rectangles.
TEST_F (ProSectionsTwo, LfoSectionLayoutAtPageSize)
{
    LfoSection lfo (context);
    lfo.setBounds (0, 0, 396, 178);
    EXPECT_EQ (lfo.presetMenu().getBounds(), Rect (284, 0, 110, 18));
    for (int n = 0; n < 4; ++n)
    {
        EXPECT_EQ (lfo.tab (n).getBounds(), Rect (3, 17 + 40 * n, 26, 38));
        EXPECT_EQ (lfo.tab (n).getButtonText(), juce::String (n + 1));
        EXPECT_EQ (lfo.dragHandle (n).getBounds(), Rect (30, 16, 40, 72));
        EXPECT_EQ (lfo.lfoKnob (n, 0).getBounds(), Rect (70, 16, 108, 72));
        EXPECT_EQ (lfo.lfoKnob (n, 1).getBounds(), Rect (178, 16, 108, 72));
        EXPECT_EQ (lfo.lfoKnob (n, 2).getBounds(), Rect (286, 16, 108, 72));
        EXPECT_EQ (lfo.modeButton (n).getBounds(), Rect (31, 91, 60, 38));
        EXPECT_EQ (lfo.lfoKnob (n, 3).getBounds(), Rect (92, 88, 151, 44));
        EXPECT_EQ (lfo.lfoKnob (n, 4).getBounds(), Rect (243, 88, 151, 44));
        EXPECT_EQ (lfo.shapeDisplay (n).getBounds(), Rect (30, 132, 364, 44));
    }
}

TEST_F (ProSectionsTwo, LfoTabsShowOneLfoAtATime)
{
    LfoSection lfo (context);
    lfo.setBounds (0, 0, 396, 178);
    for (int shown : { 0, 2, 3, 1 })
    {
        lfo.tab (shown).onClick();
        EXPECT_EQ (lfo.shownLfo(), shown);
        for (int n = 0; n < 4; ++n)
        {
            const bool visible = n == shown;
            std::vector<juce::Component*> parts { &lfo.dragHandle (n), &lfo.modeButton (n), &lfo.shapeDisplay (n) };
            for (int row = 0; row < 5; ++row)
                parts.push_back (&lfo.lfoKnob (n, row));
            for (auto* part : parts)
                EXPECT_EQ (part->isVisible(), visible) << "LFO " << n + 1 << " shown " << shown + 1;
            EXPECT_EQ (lfo.tab (n).findColour (juce::TextButton::buttonColourId), visible ? palette::selected : palette::line);
        }
    }
}

// The mode button reads and writes the engine at once, so two quick clicks
// (no block between them) go there and back.
TEST_F (ProSectionsTwo, LfoModeButtonTogglesAndFollowsHostChanges)
{
    LfoSection lfo (context);
    auto& button = lfo.modeButton (2);
    EXPECT_EQ (button.getButtonText(), "Global");
    button.onClick();
    EXPECT_EQ (hostValue (ParamID::lfo3_mode), 1.0f);
    EXPECT_EQ (context.engineValue (ParamID::lfo3_mode), 1.0f);
    EXPECT_EQ (button.getButtonText(), "Per-Voice");
    EXPECT_EQ (button.findColour (juce::TextButton::buttonColourId), palette::selected);
    button.onClick();
    EXPECT_EQ (hostValue (ParamID::lfo3_mode), 0.0f);
    EXPECT_EQ (button.getButtonText(), "Global");

    // A host switches LFO 4 while LFO 1 shows; the tick shows it on LFO 4's button.
    hostSets (ParamID::lfo4_mode, 1.0f);
    hostSets (ParamID::lfo4_shape, 4.0f);
    hostSets (ParamID::lfo4_rate, 7.5f);
    pushToEngine();
    lfo.refresh();
    lfo.showLfo (3);
    EXPECT_EQ (lfo.modeButton (3).getButtonText(), "Per-Voice");
    EXPECT_EQ (lfo.shapeDisplay (3).shape(), 4);
    EXPECT_FLOAT_EQ (static_cast<float> (lfo.lfoKnob (3, 0).getValue()), 7.5f);
}

TEST_F (ProSectionsTwo, LfoPresetMenuListsLoadsAndClearsOnCompleteLoads)
{
    LfoSection lfo (context);
    auto& menu = lfo.presetMenu();
    const auto documents = processor.presets().getPresetsForScope (PresetScope::modulation, {}, false);
    ASSERT_FALSE (documents.empty());
    ASSERT_EQ (menu.getNumItems(), static_cast<int> (documents.size()));
    for (int i = 0; i < menu.getNumItems(); ++i)
        EXPECT_EQ (menu.getItemText (i), documents[static_cast<std::size_t> (i)]->name);
    EXPECT_EQ (menu.getTextWhenNothingSelected(), "Mod preset...");

    menu.setSelectedId (2, juce::sendNotificationSync);
    EXPECT_EQ (processor.presets().getCurrentPresetName(), documents[1]->name);
    EXPECT_EQ (menu.getSelectedId(), 2); // a modulation load keeps the choice

    test::loadDryDefaults (processor, "Whole Sound");
    EXPECT_EQ (menu.getSelectedId(), 0);

    // A saved modulation preset appears at the next list change.
    ASSERT_NE (processor.presets().savePreset ("My Wobble", {}, PresetScope::modulation), juce::File());
    EXPECT_EQ (menu.getNumItems(), static_cast<int> (documents.size()) + 1);
}

TEST_F (ProSectionsTwo, MasterSectionLayoutAndModWheel)
{
    MasterSection master (context);
    master.setBounds (0, 0, 100, 178);
    auto& wheel = master.modWheel();
    EXPECT_EQ (wheel.getBounds(), Rect (2, 16, 30, 136));
    EXPECT_EQ (master.knob (0).getBounds(), Rect (32, 16, 66, 160));

    EXPECT_EQ (wheel.getSliderStyle(), juce::Slider::LinearVertical);
    EXPECT_EQ (wheel.getTextBoxPosition(), juce::Slider::NoTextBox);
    EXPECT_EQ (wheel.getMinimum(), 0.0);
    EXPECT_EQ (wheel.getMaximum(), 1.0);
    EXPECT_EQ (wheel.getInterval(), 0.01);
    EXPECT_EQ (wheel.getValue(), 0.0);
    EXPECT_EQ (wheel.getTooltip(), "Virtual Mod Wheel (CC#1). Route in the mod matrix to control any parameter.");

    // The wheel and MIDI controller 1 write the same engine value.
    wheel.setValue (0.64, juce::sendNotificationSync);
    EXPECT_NEAR (processor.engine().globalSources().modWheel, 0.64f, 1.0e-6f);
    juce::AudioBuffer<float> buffer (2, 64);
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::controllerEvent (1, 1, 32), 0);
    processor.processBlock (buffer, midi);
    EXPECT_NEAR (processor.engine().globalSources().modWheel, 32.0f / 127.0f, 1.0e-3f);
    wheel.setValue (0.0, juce::sendNotificationSync);
    EXPECT_EQ (processor.engine().globalSources().modWheel, 0.0f);
}
