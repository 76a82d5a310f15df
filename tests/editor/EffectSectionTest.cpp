// The effects section on the real processor: its layout in both views, tab
// presses (dot and row), the live tab summaries and active flags, the
// chorus page, the preset menu filtered by effect and values a host changes
// while another tab shows.

#include "SectionTestSupport.h"

#include "editor/look/Palette.h"
#include "editor/sections/FxSection.h"

#include <map>

using namespace plumora;
using test::SectionFixture;

namespace
{
using Rect = juce::Rectangle<int>;

struct EffectsSection : SectionFixture
{
    FxSection effects { context };
    EffectsSection() { effects.setBounds (0, 0, 988, 178); }

    std::vector<PlumKnob*> visibleKnobs()
    {
        std::vector<PlumKnob*> visible;
        for (auto* knob : effects.getKnobs())
            if (knob->isVisible())
                visible.push_back (knob);
        return visible;
    }
    juce::StringArray visibleLabels()
    {
        juce::StringArray labels;
        for (auto* knob : visibleKnobs())
            labels.add (knob->label());
        return labels;
    }
    void pressTab (int tab, bool onDot)
    {
        const auto bounds = effects.tabRecord (tab).bounds;
        click (effects, { static_cast<float> (bounds.getX() + (onDot ? 8 : 60)), static_cast<float> (bounds.getCentreY()) });
    }
    juce::StringArray menuItems()
    {
        juce::StringArray items;
        for (int i = 0; i < effects.presetMenu().getNumItems(); ++i)
            items.add (effects.presetMenu().getItemText (i));
        return items;
    }
};
} // namespace

TEST_F (EffectsSection, LayoutOfTheEffectsViewAtPageSize)
{
    EXPECT_EQ (effects.fxButtonBounds(), Rect (4, 4, 40, 22));
    EXPECT_EQ (effects.arpButtonBounds(), Rect (4, 34, 40, 22));
    for (int tab = 0; tab < effectTabCount; ++tab)
        EXPECT_EQ (effects.tabRecord (tab).bounds, Rect (51, 3 + 29 * tab, 138, 27));
    EXPECT_EQ (effects.presetMenu().getBounds(), Rect (876, 0, 110, 24));
    EXPECT_EQ (effects.powerButton().getBounds(), Rect (836, 2, 36, 20));
    EXPECT_EQ (effects.title().getBounds(), Rect (194, 2, 638, 20));

    // AUTO FILT's five knobs share the 792-pixel column; the last takes what remains.
    const auto knobs = visibleKnobs();
    ASSERT_EQ (knobs.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ (knobs[i]->getBounds(), Rect (194 + 158 * static_cast<int> (i), 26, i == 4 ? 160 : 158, 146));

    effects.selectTab (2);
    EXPECT_EQ (effects.chorusButton (0).getBounds(), Rect (196, 23, 392, 20));
    EXPECT_EQ (effects.chorusButton (1).getBounds(), Rect (592, 23, 392, 20));
    const auto chorusKnobs = visibleKnobs();
    ASSERT_EQ (chorusKnobs.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ (chorusKnobs[i]->getBounds(), Rect (194 + 264 * static_cast<int> (i), 48, 264, 124));

    click (effects, { 20.0f, 40.0f }); // "Arp"
    EXPECT_EQ (effects.currentView(), FxSection::arpeggiatorView);
    EXPECT_EQ (effects.arpeggiator().getBounds(), Rect (50, 2, 936, 174));
    EXPECT_TRUE (effects.arpeggiator().isVisible());
    EXPECT_TRUE (effects.arpeggiator().isExpanded()); // even with the arpeggiator off
    EXPECT_TRUE (visibleKnobs().empty());
    for (juce::Component* c : { static_cast<juce::Component*> (&effects.presetMenu()), static_cast<juce::Component*> (&effects.title()),
                                static_cast<juce::Component*> (&effects.powerButton()), static_cast<juce::Component*> (&effects.chorusButton (0)) })
        EXPECT_FALSE (c->isVisible());
    // Tab rows are not there in this view.
    const auto before = normalisedValues();
    pressTab (3, true);
    EXPECT_TRUE (changedBetween (before, normalisedValues()).empty());

    click (effects, { 20.0f, 14.0f }); // "FX"
    EXPECT_EQ (effects.currentView(), FxSection::effectsView);
    EXPECT_FALSE (effects.arpeggiator().isVisible());
    EXPECT_EQ (visibleLabels(), juce::StringArray ("Rate", "Depth", "Mix"));
}

TEST_F (EffectsSection, TabsShowTheirPagesAndDotsSwitchTheEffect)
{
    const char* titles[] { "AUTO FILTER", "DISTORTION", "CHORUS", "DELAY", "REVERB", "EQ" };
    const juce::StringArray labels[] { { "Pos", "Rate", "Depth", "Mix", "Reso" }, { "Drive", "Mix" }, { "Rate", "Depth", "Mix" },
                                       { "Left", "Right", "Feedback", "Mix", "Sync", "Div" }, { "Size", "Damp", "Mix", "PreDly" },
                                       { "Low", "Mid", "High" } };
    for (int tab : { 3, 0, 5, 1, 4, 2 })
    {
        pressTab (tab, false);
        EXPECT_EQ (effects.shownTab(), tab);
        EXPECT_EQ (effects.title().getText(), titles[tab]);
        EXPECT_EQ (visibleLabels(), labels[tab]) << tab;
        EXPECT_EQ (effects.presetMenu().getTextWhenNothingSelected(), juce::String (effectTabs()[static_cast<std::size_t> (tab)].shortName) + " preset...");
        EXPECT_EQ (effects.chorusButton (0).isVisible(), tab == 2);
    }
    effects.selectTab (6); // no such tab
    EXPECT_EQ (effects.shownTab(), 2);

    // The dot of DELAY while REVERB shows switches the delay and keeps REVERB.
    effects.selectTab (4);
    ASSERT_EQ (hostValue (ParamID::delay_bypass), 1.0f);
    pressTab (3, true);
    EXPECT_EQ (effects.shownTab(), 4);
    EXPECT_EQ (hostValue (ParamID::delay_bypass), 0.0f);
    EXPECT_EQ (context.engineValue (ParamID::delay_bypass), 0.0f);
    pressTab (3, true); // no block between: the engine's value decides
    EXPECT_EQ (hostValue (ParamID::delay_bypass), 1.0f);

    // The power button shows the shown effect's state and follows its dot.
    EXPECT_EQ (effects.powerButton().getButtonText(), "OFF");
    pressTab (4, true);
    EXPECT_EQ (effects.powerButton().getButtonText(), "ON");
    EXPECT_EQ (effects.powerButton().findColour (juce::TextButton::buttonColourId), palette::selected);
    effects.powerButton().onClick();
    EXPECT_EQ (hostValue (ParamID::reverb_bypass), 1.0f);
    EXPECT_EQ (effects.powerButton().getButtonText(), "OFF");
}

TEST_F (EffectsSection, EnsembleHidesRateAndDepth)
{
    effects.selectTab (2);
    effects.chorusButton (1).onClick();
    EXPECT_EQ (hostValue (ParamID::chorus_mode), 1.0f);
    EXPECT_EQ (visibleLabels(), juce::StringArray ("Mix"));
    EXPECT_EQ (visibleKnobs()[0]->getBounds(), Rect (194, 48, 792, 124));
    EXPECT_EQ (effects.chorusButton (1).findColour (juce::TextButton::buttonColourId), palette::selected);
    EXPECT_EQ (effects.chorusButton (0).findColour (juce::TextButton::buttonColourId), palette::line);

    // A host going back to Classic shows at the next tick.
    hostSets (ParamID::chorus_mode, 0.0f);
    pushToEngine();
    effects.refresh();
    EXPECT_EQ (visibleLabels(), juce::StringArray ("Rate", "Depth", "Mix"));
}

// Summaries, amounts and active flags for a table of values (plain units);
// what is not given is 0.
TEST (EffectSummaries, TextsAmountsAndActiveFlags)
{
    struct Case { int tab; std::map<ParamID, float> values; const char* summary; float amount; bool active; };
    const Case cases[] {
        { 0, { { ParamID::autofilter_position, 0.5f }, { ParamID::autofilter_rate, 0.0f }, { ParamID::autofilter_mix, 1.0f } }, "50%  Manual", 0.5f, true },
        { 0, { { ParamID::autofilter_position, 0.25f }, { ParamID::autofilter_rate, 2.36f }, { ParamID::autofilter_mix, 1.0f } }, "25%  2.4Hz", 0.25f, true },
        { 0, { { ParamID::autofilter_position, 1.0f }, { ParamID::autofilter_mix, 0.0f } }, "100%  Manual", 1.0f, false },
        { 0, { { ParamID::autofilter_mix, 1.0f }, { ParamID::autofilter_bypass, 1.0f } }, "0%  Manual", 0.0f, false },
        { 1, { { ParamID::dist_drive, 0.426f } }, "Drive 42%", 0.426f, true },
        { 1, { { ParamID::dist_drive, 0.005f } }, "Drive 0%", 0.005f, false },
        { 2, { { ParamID::chorus_mix, 0.3f }, { ParamID::chorus_mode, 1.0f } }, "30%  Ensemble", 0.3f, true },
        { 2, { { ParamID::chorus_mix, 0.3f }, { ParamID::chorus_rate, 1.26f } }, "30%  1.3Hz", 0.3f, true },
        { 2, { { ParamID::chorus_mix, 0.5f }, { ParamID::chorus_rate, 1.0f }, { ParamID::chorus_bypass, 1.0f } }, "50%  1.0Hz", 0.5f, false },
        { 3, { { ParamID::delay_mix, 0.3f }, { ParamID::delay_feedback, 0.45f } }, "30%  FB 45%", 0.3f, true },
        { 4, { { ParamID::reverb_mix, 0.2f }, { ParamID::reverb_size, 0.75f } }, "20%  Sz 75%", 0.2f, true },
        { 5, { { ParamID::eq_low_gain, 3.0f }, { ParamID::eq_mid_gain, -2.0f }, { ParamID::eq_high_gain, 0.0f } }, "3dB / -2dB / 0dB", 5.0f / 36.0f, true },
        { 5, { { ParamID::eq_low_gain, 0.05f }, { ParamID::eq_mid_gain, -0.1f }, { ParamID::eq_high_gain, 0.09f } }, "0dB / 0dB / 0dB", 0.24f / 36.0f, false },
        { 5, { { ParamID::eq_low_gain, 12.0f }, { ParamID::eq_bypass, 1.0f } }, "12dB / 0dB / 0dB", 12.0f / 36.0f, false },
    };
    for (const auto& c : cases)
    {
        const auto value = [&c] (ParamID id)
        {
            const auto found = c.values.find (id);
            return found != c.values.end() ? found->second : 0.0f;
        };
        EffectTabRecord record;
        summariseEffect (c.tab, value, record);
        EXPECT_EQ (record.summary, c.summary) << c.tab;
        EXPECT_NEAR (record.amount, c.amount, 1.0e-6f) << c.summary;
        EXPECT_EQ (record.active, c.active) << c.summary;
    }
}

// Values no parameter can hold (a corrupt host value, not a number) give
// readable texts that fit in the tab's row.
TEST (EffectSummaries, ExtremeValuesStayReadable)
{
    const float extremes[] { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(), 1.0e30f, -1.0e30f, 0.0f };
    const float textWidth = 138.0f - 24.0f;
    for (const float extreme : extremes)
        for (int tab = 0; tab < effectTabCount; ++tab)
        {
            EffectTabRecord record;
            summariseEffect (tab, [extreme] (ParamID) { return extreme; }, record);
            EXPECT_FALSE (record.summary.containsIgnoreCase ("nan") || record.summary.containsIgnoreCase ("inf")) << record.summary;
            EXPECT_TRUE (std::isfinite (record.amount));
            EXPECT_LE (palette::font (9.0f).getStringWidthFloat (record.summary), textWidth) << record.summary;
        }
}

// The tick reads what the engine plays.
TEST_F (EffectsSection, TickShowsTheEnginesValues)
{
    hostSets (ParamID::chorus_mix, 0.3f);
    hostSets (ParamID::chorus_mode, 1.0f);
    hostSets (ParamID::chorus_bypass, 0.0f);
    hostSets (ParamID::eq_low_gain, 3.0f);
    hostSets (ParamID::eq_mid_gain, -2.0f);
    effects.refresh();
    EXPECT_FALSE (effects.tabRecord (2).active); // no block yet
    pushToEngine();
    effects.refresh();
    EXPECT_EQ (effects.tabRecord (2).summary, "30%  Ensemble");
    EXPECT_TRUE (effects.tabRecord (2).active);
    EXPECT_EQ (effects.tabRecord (5).summary, "3dB / -2dB / 0dB");
    EXPECT_FALSE (effects.tabRecord (5).active); // bypassed
    EXPECT_EQ (effects.tabRecord (0).shortName, "AUTO FILT");
}

// Values a host or a preset changes while another tab shows are there when
// the tab comes back.
TEST_F (EffectsSection, HostChangesOnHiddenTabsShowWhenTheTabReturns)
{
    effects.selectTab (4);
    ASSERT_TRUE (processor.presets().loadPresetByName ("Lush Reverb"));
    effects.selectTab (3);
    effects.selectTab (0);
    hostSets (ParamID::delay_feedback, 0.8f);
    hostSets (ParamID::delay_bypass, 0.0f);
    pushToEngine();
    effects.refresh();
    effects.selectTab (3);
    EXPECT_NEAR (effects.knob (12).getValue(), 0.8, 1.0e-6);
    EXPECT_EQ (effects.powerButton().getButtonText(), "ON");
    effects.selectTab (4);
    EXPECT_NEAR (effects.knob (18).getValue(), 0.3, 1.0e-6);
}

TEST_F (EffectsSection, PresetMenuListsOnlyTheShownEffectsPresets)
{
    const std::pair<int, juce::StringArray> factory[] { { 0, {} }, { 1, {} }, { 2, { "Warm Chorus" } }, { 3, { "Ping Pong Delay" } },
                                                       { 4, { "Lush Reverb" } }, { 5, {} } };
    for (const auto& [tab, names] : factory)
    {
        effects.selectTab (tab);
        EXPECT_EQ (menuItems(), names) << tab;
    }

    // An empty list: nothing to choose, an id out of range loads nothing.
    effects.selectTab (0);
    const auto current = processor.presets().getCurrentPresetName();
    effects.presetMenu().setSelectedId (3, juce::sendNotificationSync);
    EXPECT_EQ (processor.presets().getCurrentPresetName(), current);

    // A delay preset saved with only the delay on is listed under DELAY alone.
    for (const auto& info : effectTabs())
        hostSets (info.bypass, info.bypass == ParamID::delay_bypass ? 0.0f : 1.0f);
    hostSets (ParamID::mbsat_bypass, 1.0f);
    ASSERT_NE (processor.presets().savePreset ("Tape Echo", {}, PresetScope::effects), juce::File());
    for (int tab = 0; tab < effectTabCount; ++tab)
    {
        effects.selectTab (tab);
        EXPECT_EQ (menuItems().contains ("Tape Echo"), tab == 3) << tab;
    }

    // Choosing loads, and the load (of effects) clears the choice again.
    effects.selectTab (3);
    effects.presetMenu().setSelectedId (1, juce::sendNotificationSync);
    EXPECT_EQ (processor.presets().getCurrentPresetName(), effects.presetMenu().getItemText (0));
    EXPECT_EQ (effects.presetMenu().getSelectedId(), 0);
    // A shown choice stays through loads of other scopes and goes with complete ones.
    effects.presetMenu().setSelectedId (1, juce::dontSendNotification);
    processor.presets().loadPreset (*processor.presets().getPresetsForScope (PresetScope::modulation, {}, false).front());
    EXPECT_EQ (effects.presetMenu().getSelectedId(), 1);
    test::loadDryDefaults (processor, "Whole Sound");
    EXPECT_EQ (effects.presetMenu().getSelectedId(), 0);
}
