// The whole PRO page: which parameters its knobs reach (and which no
// control may bind), and pictures of it with real factory sounds, kept in
// the build folder.

#include "EditorTestSupport.h"

#include "editor/controls/PlumKnob.h"
#include "editor/shell/AdvancedEditorContent.h"
#include "editor/visual/SignalFlowOverlay.h"

#include <gtest/gtest.h>

#include <set>

using namespace plumora;

namespace
{
void collectKnobs (juce::Component& component, std::vector<PlumKnob*>& knobs)
{
    if (auto* knob = dynamic_cast<PlumKnob*> (&component))
        knobs.push_back (knob);
    for (auto* child : component.getChildren())
        collectKnobs (*child, knobs);
}
} // namespace

TEST (ProPage, ItsKnobsReachTheirParametersAndNeverTheOnesNoControlBinds)
{
    test::EditorFixture f;
    std::vector<PlumKnob*> knobs;
    collectKnobs (*f.editor->page(), knobs);
    std::set<ParamID> reached;
    for (auto* knob : knobs)
    {
        EXPECT_TRUE (knob->isAttached()) << knob->label();
        reached.insert (knob->paramId);
    }
    EXPECT_GE (reached.size(), 80u);
    for (const auto unbound : { ParamID::filt_bypass, ParamID::filt_formant_vowel, ParamID::fm_mode, ParamID::fm_depth, ParamID::fm_feedback,
                                ParamID::osc1_ss_mix, ParamID::osc2_ss_mix, ParamID::arp_gate, ParamID::arp_bpm, ParamID::note_bloom_rate,
                                ParamID::mbsat_low_drive, ParamID::mbsat_mid_drive, ParamID::mbsat_high_drive, ParamID::mbsat_low_mix,
                                ParamID::mbsat_mid_mix, ParamID::mbsat_high_mix, ParamID::mbsat_low_xover, ParamID::mbsat_high_xover,
                                ParamID::mbsat_mix, ParamID::mbsat_bypass, ParamID::macro1, ParamID::macro2 })
        EXPECT_EQ (reached.count (unbound), 0u) << parameterSpec (unbound).id;
}

// "First Light", its string variant and an FM sound, as a musician opens
// them: each picture shows the sound's own values and its cables.
TEST (ProPage, PicturesOfFactorySoundsAreSavedIntoTheBuildFolder)
{
    struct Shot
    {
        const char* preset;
        const char* file;
        bool cables; // routings from a source with a handle onto a knob
    };
    for (const auto& [preset, file, cables] : { Shot { "First Light", "editor-pro-first-light.png", true },
                                                Shot { "First Light KS", "editor-pro-karplus-strong.png", true },
                                                Shot { "FM Keys", "editor-pro-fm.png", false } })
    {
        SCOPED_TRACE (preset);
        test::EditorFixture f;
        ASSERT_TRUE (f.processor.presets().loadPresetByName (preset));
        juce::AudioBuffer<float> buffer (2, 512);
        juce::MidiBuffer midi;
        f.processor.processBlock (buffer, midi); // the engine takes the sound's values
        for (int tick = 0; tick < 3; ++tick)
            f.editor->timerCallback();

        const auto picture = f.editor->createComponentSnapshot (f.editor->getLocalBounds(), true, 1.0f);
        EXPECT_NE (test::savePicture (picture, file), juce::File()) << file;
        EXPECT_EQ (f.editor->presetMenu().getText(), preset);
        auto* page = dynamic_cast<AdvancedEditorContent*> (f.editor->page());
        ASSERT_NE (page, nullptr);
        EXPECT_EQ (! page->overlay().cables().empty(), cables) << "cables for the routings a handle and a knob stand for";
    }
}
