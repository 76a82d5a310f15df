// The PRO page's source, filter and envelope sections on a real processor:
// which parameter every control turns, their layouts at the page's sizes,
// the oscillator slots' modes, the preset menus and the page's wiring.

#include "SectionTestSupport.h"

#include "editor/look/Palette.h"
#include "editor/sections/EnvelopeSection.h"
#include "editor/sections/FilterSection.h"
#include "editor/sections/OscillatorSection.h"
#include "editor/sections/SubNoisePanel.h"
#include "editor/shell/AdvancedEditorContent.h"
#include "editor/visual/SignalFlowOverlay.h"

#include <gtest/gtest.h>

using namespace plumora;
using Rect = juce::Rectangle<int>;

namespace
{
struct KnobBinding
{
    const char* label;
    ParamID parameter;
};

using ProSectionsOne = test::SectionFixture;

void expectKnobs (const KnobSection& section, const std::vector<KnobBinding>& expected)
{
    ASSERT_EQ (section.getKnobs().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ (section.getKnobs()[i]->label(), expected[i].label) << i;
        EXPECT_EQ (section.getKnobs()[i]->paramId, expected[i].parameter) << expected[i].label;
        EXPECT_TRUE (section.getKnobs()[i]->isAttached()) << expected[i].label;
    }
}
} // namespace

TEST_F (ProSectionsOne, EveryKnobTurnsTheParameterItsTableNamesAndNothingElse)
{
    OscillatorSection oscillators (context);
    FilterSection filter (context);
    AmpSection amp (context);
    std::vector<KnobBinding> oscillatorTable;
    const ParamID slots[2][15] = {
        { ParamID::osc1_tune, ParamID::osc1_octave, ParamID::osc1_semi, ParamID::osc1_unison, ParamID::osc1_detune, ParamID::osc1_drift_amt,
          ParamID::osc1_drift_rate, ParamID::osc1_level, ParamID::osc1_pan, ParamID::osc1_stereo_width, ParamID::osc1_ks_damping,
          ParamID::osc1_ks_brightness, ParamID::osc1_ks_pick_pos, ParamID::osc1_ks_stretch, ParamID::osc1_ks_pick_dir },
        { ParamID::osc2_tune, ParamID::osc2_octave, ParamID::osc2_semi, ParamID::osc2_unison, ParamID::osc2_detune, ParamID::osc2_drift_amt,
          ParamID::osc2_drift_rate, ParamID::osc2_level, ParamID::osc2_pan, ParamID::osc2_stereo_width, ParamID::osc2_ks_damping,
          ParamID::osc2_ks_brightness, ParamID::osc2_ks_pick_pos, ParamID::osc2_ks_stretch, ParamID::osc2_ks_pick_dir },
    };
    const char* const labels[15] = { "Tune", "Oct", "Semi", "Uni", "Det", "Drift", "D.Rate", "Level", "Pan", "Width", "Damp", "Bright", "Pick", "Stretch", "Dir" };
    for (const auto& slot : slots)
        for (int i = 0; i < 15; ++i)
            oscillatorTable.push_back ({ labels[i], slot[i] });
    oscillatorTable.insert (oscillatorTable.end(), { { "Warm", ParamID::osc_warmth }, { "Glide", ParamID::glide_time }, { "Voice", ParamID::voice_mode } });
    expectKnobs (oscillators, oscillatorTable);
    expectKnobs (filter, { { "Type", ParamID::filt_type }, { "Cutoff", ParamID::filt_cutoff }, { "Reso", ParamID::filt_reso },
                           { "Drive", ParamID::filt_drive }, { "Env", ParamID::filt_env_amount } });
    expectKnobs (amp, { { "Atk", ParamID::amp_attack }, { "Dec", ParamID::amp_decay }, { "Sus", ParamID::amp_sustain }, { "Rel", ParamID::amp_release } });

    for (const auto* section : { static_cast<const KnobSection*> (&oscillators), static_cast<const KnobSection*> (&filter),
                                 static_cast<const KnobSection*> (&amp) })
        for (auto* knob : section->getKnobs())
            expectMovesOnly (knob->paramId, [knob] { turn (*knob); }, knob->label());

    // The other controls: mode menus and the position slider of the shown slot.
    oscillators.setBounds (0, 0, 684, 251);
    for (int o = 0; o < 2; ++o)
    {
        oscillators.showOscillator (o);
        expectMovesOnly (o == 0 ? ParamID::osc1_mode : ParamID::osc2_mode,
                         [&] { oscillators.modeMenu (o).setSelectedItemIndex (1, juce::sendNotificationSync); }, "mode menu");
        expectMovesOnly (o == 0 ? ParamID::osc1_wt_pos : ParamID::osc2_wt_pos,
                         [&] { oscillators.positionSlider().setValue (0.63, juce::sendNotificationSync); }, "position slider");
    }
}

TEST_F (ProSectionsOne, OscillatorSlotsShowTheirKnobsByModeAtThePagesSize)
{
    OscillatorSection section (context);
    section.setBounds (0, 0, 684, 251);
    EXPECT_EQ (section.tab (0).getBounds(), Rect (3, 3, 58, 22));
    EXPECT_EQ (section.tab (1).getBounds(), Rect (63, 3, 58, 22));
    EXPECT_EQ (section.positionSlider().getBounds(), Rect (492, 2, 20, 247));
    EXPECT_EQ (section.frameStrip().getBounds(), Rect (512, 2, 170, 247));
    EXPECT_EQ (section.presetMenu().getBounds(), Rect (373, 4, 118, 20));
    EXPECT_EQ (section.modeMenu (0).getBounds(), Rect (252, 4, 118, 20));
    const auto cell = [] (int row, int column) { return Rect (2 + 98 * column, 28 + 73 * row, 98, 73); };

    const auto expectShown = [&] (int o, std::vector<std::pair<const char*, Rect>> visible, std::vector<const char*> hidden)
    {
        for (const auto& [label, bounds] : visible)
        {
            EXPECT_TRUE (section.knobFor (o, label).isVisible()) << label;
            EXPECT_EQ (section.knobFor (o, label).getBounds(), bounds) << label;
        }
        for (const auto* label : hidden)
            EXPECT_FALSE (section.knobFor (o, label).isVisible()) << label;
    };
    expectShown (0, { { "Tune", cell (0, 0) }, { "Pan", cell (0, 4) }, { "Width", cell (1, 0) }, { "Uni", cell (1, 1) }, { "D.Rate", cell (1, 4) },
                      { "Warm", cell (2, 0) }, { "Voice", cell (2, 2) } },
                 { "Damp", "Dir" });
    EXPECT_FALSE (section.knobFor (1, "Tune").isVisible());

    hostSets (ParamID::osc1_mode, 2.0f); // Karplus-Strong, from the host: the menu and the layout follow
    EXPECT_EQ (section.modeMenu (0).getSelectedItemIndex(), 2);
    expectShown (0, { { "Damp", cell (1, 1) }, { "Stretch", cell (1, 4) }, { "Dir", cell (2, 0) }, { "Warm", cell (2, 1) }, { "Voice", cell (2, 3) } },
                 { "Uni", "Det", "Drift", "D.Rate" });

    section.tab (1).onClick(); // oscillator 2 plays its table: the shared knobs move back
    EXPECT_EQ (section.shownOscillator(), 1);
    expectShown (1, { { "Tune", cell (0, 0) }, { "Uni", cell (1, 1) }, { "Warm", cell (2, 0) } }, { "Damp", "Dir" });
    expectShown (0, {}, { "Tune", "Damp", "Dir", "Uni" });
    section.positionSlider().setValue (0.25, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (hostValue (ParamID::osc2_wt_pos), 0.25f) << "the slider follows the shown slot";
    EXPECT_EQ (section.frameStrip().shownOscillator(), 1);

    // A value changed while its slot was hidden shows when the slot comes back.
    hostSets (ParamID::osc1_level, 0.33f);
    section.showOscillator (0);
    EXPECT_NEAR (section.knobFor (0, "Level").getValue(), 0.33, 1e-6);
}

TEST_F (ProSectionsOne, FilterAmpAndEnvelopeLayOutAtThePagesSizes)
{
    FilterSection filter (context);
    filter.setBounds (0, 0, 191, 251);
    EXPECT_EQ (filter.presetMenu().getBounds(), Rect (89, 0, 100, 18));
    const std::vector<Rect> filterCells { { 2, 16, 62, 116 }, { 64, 16, 62, 116 }, { 2, 132, 93, 117 }, { 95, 132, 94, 117 }, { 126, 16, 63, 116 } };
    for (std::size_t i = 0; i < filterCells.size(); ++i)
        EXPECT_EQ (filter.getKnobs()[i]->getBounds(), filterCells[i]) << filter.getKnobs()[i]->label();

    AmpSection amp (context);
    amp.setBounds (0, 0, 191, 251);
    EXPECT_EQ (amp.getKnobs()[0]->getBounds(), Rect (2, 16, 93, 116));
    EXPECT_EQ (amp.getKnobs()[3]->getBounds(), Rect (95, 132, 93, 116));

    EnvelopeSection envelopes (context);
    envelopes.setBounds (0, 0, 396, 178);
    EXPECT_EQ (envelopes.tab (0).getBounds(), Rect (3, 17, 38, 51));
    EXPECT_EQ (envelopes.tab (1).getBounds(), Rect (3, 70, 38, 51));
    EXPECT_EQ (envelopes.handle (0).getBounds(), Rect (3, 123, 38, 52));
    EXPECT_EQ (envelopes.curve (1).getBounds(), Rect (42, 16, 352, 160));
    EXPECT_TRUE (envelopes.curve (0).isVisible());
    EXPECT_FALSE (envelopes.handle (1).isVisible());
    envelopes.tab (1).onClick();
    EXPECT_EQ (envelopes.shownEnvelope(), 1);
    EXPECT_FALSE (envelopes.curve (0).isVisible());
    EXPECT_TRUE (envelopes.handle (1).isVisible());
    EXPECT_EQ (envelopes.handle (1).source(), ModSourceID::modenv2);
}

TEST_F (ProSectionsOne, TheSubAndNoisePanelWritesItsParametersFromClicksAndDrags)
{
    SubNoisePanel panel (context);
    panel.setBounds (0, 0, 119, 251);
    const auto hits = panel.hits();

    expectMovesOnly (ParamID::sub_shape, [&] { click (panel, hits.shapeButtons[1].getCentre()); }, "square button");
    EXPECT_EQ (hostValue (ParamID::sub_shape), 1.0f);
    expectMovesOnly (ParamID::noise_filter_mode, [&] { click (panel, hits.filterButtons[2].getCentre()); }, "BP button");
    EXPECT_EQ (hostValue (ParamID::noise_filter_mode), 2.0f);
    expectMovesOnly (ParamID::noise_cutoff, [&] { click (panel, hits.noiseCutoff.getCentre()); }, "cutoff bar");
    EXPECT_NEAR (hostValue (ParamID::noise_cutoff), 10010.0f, 1.0f) << "a linear bar";
    expectMovesOnly (ParamID::sub_level, [&] { click (panel, { hits.subLevel.getX() + 0.25f * hits.subLevel.getWidth(), hits.subLevel.getCentreY() }); },
                     "sub level bar");
    EXPECT_NEAR (hostValue (ParamID::sub_level), 0.25f, 1e-4);
    panel.mouseUp (test::mouseEvent (panel, {}, {}, {}));
    expectMovesOnly (ParamID::noise_level, [&] { click (panel, { hits.noiseLevel.getRight() - 1.0f, hits.noiseLevel.getCentreY() }); }, "noise level");
    panel.mouseUp (test::mouseEvent (panel, {}, {}, {}));

    const auto before = normalisedValues();
    click (panel, { 2.0f, 120.0f }); // between the controls
    EXPECT_EQ (changedBetween (before, normalisedValues()), std::vector<juce::String>());

    // 1.6 rounds to the third button: it is the lit one.
    hostSets (ParamID::noise_filter_mode, 1.6f);
    pushToEngine();
    const auto picture = panel.createComponentSnapshot (panel.getLocalBounds(), true, 1.0f);
    const auto litAt = [&] (int i) { return picture.getPixelAt (juce::roundToInt (hits.filterButtons[static_cast<std::size_t> (i)].getX() + 2.0f),
                                                                juce::roundToInt (hits.filterButtons[static_cast<std::size_t> (i)].getCentreY())); };
    EXPECT_EQ (litAt (2), palette::selected);
    EXPECT_NE (litAt (1), palette::selected);
}

TEST_F (ProSectionsOne, SectionPresetMenusListLoadAndClearByScope)
{
    OscillatorSection oscillators (context);
    FilterSection filter (context);
    auto& menu = oscillators.presetMenu();
    std::vector<juce::String> names;
    for (int i = 0; i < menu.getNumItems(); ++i)
        names.push_back (menu.getItemText (i));
    EXPECT_EQ (names, (std::vector<juce::String> { "Clean Sine + Sub", "Detuned Square", "Fat Saw Stack", "Pad Layers" }));
    EXPECT_EQ (menu.getTextWhenNothingSelected(), "OSC preset...");
    EXPECT_EQ (filter.presetMenu().getTextWhenNothingSelected(), "Filter preset...");

    menu.setSelectedItemIndex (2, juce::sendNotificationSync);
    EXPECT_EQ (processor.getCurrentPresetName(), "Fat Saw Stack");
    filter.presetMenu().setSelectedItemIndex (0, juce::sendNotificationSync);
    EXPECT_EQ (menu.getSelectedItemIndex(), 2) << "a filter preset keeps the oscillators' choice";
    ASSERT_TRUE (processor.presets().loadPresetByName ("Warm Pad"));
    EXPECT_EQ (menu.getSelectedItemIndex(), -1) << "a complete preset clears it";
    EXPECT_EQ (filter.presetMenu().getSelectedItemIndex(), -1);
}

TEST (ProPageWiring, KnobsTakeDropsAndEnvelopeCablesRunToThem)
{
    test::EditorFixture f;
    test::loadDryDefaults (f.processor, "Init");
    auto* page = dynamic_cast<AdvancedEditorContent*> (f.editor->page());
    ASSERT_NE (page, nullptr);
    auto& cutoff = *page->filterSection().getKnobs()[1];
    ASSERT_EQ (cutoff.paramId, ParamID::filt_cutoff);
    cutoff.itemDropped ({ static_cast<int> (ModSourceID::modenv1), &page->envelopeSection().handle (0), {} });
    EditorContext context (f.processor);
    ASSERT_EQ (context.routings().size(), 1u);
    EXPECT_EQ (context.routings()[0].scope, ModScope::per_voice);

    const auto cables = page->overlay().cables();
    ASSERT_EQ (cables.size(), 1u);
    const auto& handle = page->envelopeSection().handle (0);
    EXPECT_EQ (cables[0].start, page->getLocalPoint (&handle, handle.getLocalBounds().toFloat().getCentre()));
    EXPECT_EQ (cables[0].end, page->getLocalPoint (&cutoff, cutoff.getLocalBounds().toFloat().getCentre()));

    page->envelopeSection().showEnvelope (1); // envelope 1's handle hides: its cable starts at its tab
    const auto& tab = page->envelopeSection().tab (0);
    EXPECT_EQ (page->overlay().cables().at (0).start, page->getLocalPoint (&tab, tab.getLocalBounds().toFloat().getCentre()));

    cutoff.handleMenuChoice (PlumKnob::removeItem (0));
    EXPECT_TRUE (context.routings().empty());
    EXPECT_TRUE (page->overlay().cables().empty());
    f.editor->timerCallback(); // a tick over every section
}

TEST_F (ProSectionsOne, TheTableMenuShowsAndSetsTheTableTheShownSlotPlays)
{
    OscillatorSection section (context);
    section.setBounds (0, 0, 684, 251);
    auto& menu = section.wavetableMenu();
    EXPECT_EQ (menu.getNumItems(), 10);
    EXPECT_EQ (menu.getBounds(), Rect (125, 4, 85, 20));
    EXPECT_EQ (menu.getText(), "analog stack") << "oscillator 1 of the start-up tables";

    const auto before = normalisedValues();
    menu.setSelectedItemIndex (menu.getNumItems() - 1, juce::sendNotificationSync);
    EXPECT_NE (processor.engine().wavetableId (0), "factory:analog_stack");
    EXPECT_EQ ("factory:" + menu.getText().replaceCharacter (' ', '_'), juce::String (processor.engine().wavetableId (0)));
    EXPECT_EQ (changedBetween (before, normalisedValues()), std::vector<juce::String>()) << "a table is no parameter";

    section.showOscillator (1);
    EXPECT_EQ ("factory:" + menu.getText().replaceCharacter (' ', '_'), juce::String (processor.engine().wavetableId (1))) << "oscillator 2's table";
    menu.setSelectedItemIndex (0, juce::sendNotificationSync);
    EXPECT_EQ (processor.engine().wavetableId (1), "factory:" + menu.getText().replaceCharacter (' ', '_').toStdString());
    EXPECT_NE (processor.engine().wavetableId (0), processor.engine().wavetableId (1)) << "only the shown slot";

    // A table the menu does not list: nothing selected, the sound as it was.
    processor.engine().setWavetable (1, processor.engine().wavetable (0), "user:my table");
    section.refresh();
    EXPECT_EQ (menu.getSelectedId(), 0);
    EXPECT_EQ (processor.engine().wavetableId (1), "user:my table");
}
