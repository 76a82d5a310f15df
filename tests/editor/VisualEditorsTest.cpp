// The hand-drawn editors and meters on a real processor: envelope handles,
// LFO shapes, the wavetable strip, the signal-flow cables and the CPU meter.

#include "EditorTestSupport.h"
#include "support/DrySound.h"

#include "dsp/FactoryWavetables.h"
#include "editor/controls/PlumKnob.h"
#include "editor/matrix/ModSourceDragHandle.h"
#include "editor/visual/CpuVoiceMeter.h"
#include "editor/visual/EnvelopeCurveEditor.h"
#include "editor/visual/LfoShapeEditor.h"
#include "editor/visual/SignalFlowOverlay.h"
#include "editor/visual/WavetableFrameStrip.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace plumora;

namespace
{
struct VisualFixture : testing::Test
{
    PlumoraAudioProcessor processor;
    EditorContext context { processor };

    VisualFixture()
    {
        processor.prepareToPlay (48000.0, 512);
        test::loadDryDefaults (processor, "Init");
    }

    float hostValue (ParamID id) { return processor.parameters().getRawParameterValue (parameterSpec (id).id)->load(); }
};

void drag (juce::Component& c, juce::Point<float> from, juce::Point<float> to)
{
    c.mouseDown (test::mouseEvent (c, from, {}, from));
    c.mouseDrag (test::mouseEvent (c, to, {}, from, 1, true));
    c.mouseUp (test::mouseEvent (c, to, {}, from, 1, true));
}
} // namespace

TEST_F (VisualFixture, EnvelopeHandlesSitOnTheCurveAndDragTheirParameters)
{
    EnvelopeCurveEditor editor (context, 1);
    editor.setBounds (0, 0, 308, 108); // plot 300 x 100
    editor.setValues (1.0f, 1.0f, 0.5f, 1.0f);
    const auto points = editor.handlePoints();
    EXPECT_FLOAT_EQ (points[0].x, 4.0f + 0.8f * 300.0f / 3.0f);
    EXPECT_FLOAT_EQ (points[1].y, 4.0f + 50.0f);
    EXPECT_FLOAT_EQ (points[2].x, points[1].x + 60.0f);
    EXPECT_FLOAT_EQ (points[3].y, 104.0f);

    const float plotWidth = 308.0f - 12.0f, plotHeight = 108.0f - 12.0f;
    drag (editor, points[0], { 0.0f, 4.0f });
    EXPECT_NEAR (hostValue (ParamID::modenv2_attack), 0.001f, 1e-6) << "the left edge is 1 ms";
    drag (editor, editor.handlePoints()[0], { 6.0f + 0.3f * plotWidth, 4.0f });
    EXPECT_NEAR (hostValue (ParamID::modenv2_attack), 10.0f, 1e-3) << "30 % of the width is 10 s";
    editor.setValues (1.0f, 1.0f, 0.5f, 1.0f);
    drag (editor, editor.handlePoints()[1], { 6.0f + 0.15f * plotWidth, 50.0f });
    EXPECT_NEAR (hostValue (ParamID::modenv2_decay), 0.001f, 1e-6);
    drag (editor, editor.handlePoints()[2], { 200.0f, 6.0f + 0.25f * plotHeight });
    EXPECT_NEAR (hostValue (ParamID::modenv2_sustain), 0.75f, 1e-4);
    drag (editor, editor.handlePoints()[3], { 300.0f, 104.0f });
    EXPECT_NEAR (hostValue (ParamID::modenv2_release), std::pow (10000.0f, (294.0f / plotWidth - 0.6f) / 0.4f) * 0.001f, 1e-3);
    EXPECT_EQ (hostValue (ParamID::modenv1_attack), parameterSpec (ParamID::modenv1_attack).defaultValue) << "envelope 1 untouched";

    EXPECT_EQ (EnvelopeCurveEditor::timeText (0.012f), "12ms");
    EXPECT_EQ (EnvelopeCurveEditor::timeText (0.3f), "0.30s");
    EXPECT_EQ (EnvelopeCurveEditor::timeText (2.5f), "2.5s");

    // A press away from every handle drags nothing.
    const auto before = hostValue (ParamID::modenv2_sustain);
    drag (editor, { 150.0f, 20.0f }, { 150.0f, 90.0f });
    EXPECT_EQ (hostValue (ParamID::modenv2_sustain), before);
}

// Values that bring the handles together ("First Light"'s 1 ms attack, no
// sustain, short times, all at zero) never print a label over another.
TEST_F (VisualFixture, EnvelopeLabelsNeverCoverEachOther)
{
    EnvelopeCurveEditor editor (context, 0);
    editor.setBounds (0, 0, 352, 160); // as on the PRO page
    for (const auto& [a, d, s, r] : { std::tuple { 0.001f, 0.38f, 0.0f, 0.2f }, { 0.0f, 0.0f, 0.0f, 0.0f }, { 0.001f, 0.001f, 1.0f, 0.001f },
                                      { 1.0f, 1.0f, 0.5f, 1.0f }, { 10.0f, 10.0f, 0.0f, 10.0f } })
    {
        editor.setValues (a, d, s, r);
        const auto areas = editor.labelAreas();
        for (std::size_t i = 0; i < areas.size(); ++i)
        {
            EXPECT_TRUE (editor.getLocalBounds().contains (areas[i])) << "label " << i << " for " << a << ", " << d << ", " << s << ", " << r;
            for (std::size_t j = i + 1; j < areas.size(); ++j)
                EXPECT_FALSE (areas[i].intersects (areas[j])) << "labels " << i << " and " << j << " for " << a << ", " << d << ", " << s << ", " << r;
        }
    }
}

TEST_F (VisualFixture, AClickOnTheLfoDisplayStepsToTheNextShapeAndWraps)
{
    LfoShapeEditor editor (context, 2);
    editor.setBounds (0, 0, 120, 60);
    for (const auto& [shown, written] : { std::pair<int, float> { 0, 1.0f }, { 2, 3.0f }, { 5, 0.0f } })
    {
        editor.setShape (shown);
        editor.mouseDown (test::mouseEvent (editor, { 60.0f, 30.0f }, {}, { 60.0f, 30.0f }));
        EXPECT_EQ (hostValue (ParamID::lfo3_shape), written) << "from shape " << shown;
    }
    EXPECT_FLOAT_EQ (LfoShapeEditor::shapeValue (1, 0.25f), 1.0f);
    EXPECT_FLOAT_EQ (LfoShapeEditor::shapeValue (4, 0.75f), -1.0f);
    EXPECT_EQ (LfoShapeEditor::shapeValue (5, 0.01f), LfoShapeEditor::shapeValue (5, 0.12f)) << "sample and hold holds a step";
    EXPECT_EQ (hostValue (ParamID::lfo1_shape), parameterSpec (ParamID::lfo1_shape).defaultValue);
}

TEST_F (VisualFixture, TheFrameStripSetsThePositionAndFollowsTheTableTheEnginePlays)
{
    WavetableFrameStrip strip (context);
    strip.setBounds (0, 0, 208, 108); // inner 200 x 100: preview 30, stack from y 34, 70 high
    const auto playing = processor.engine().wavetable (0);
    EXPECT_EQ (strip.frameCount(), static_cast<std::size_t> (playing->numFrames));

    for (const auto& [y, position] : { std::pair<float, float> { 34.0f, 0.0f }, { 69.0f, 0.5f }, { 104.0f, 1.0f }, { 2.0f, 0.0f } })
    {
        drag (strip, { 100.0f, y }, { 100.0f, y });
        EXPECT_NEAR (hostValue (ParamID::osc1_wt_pos), position, 1e-5) << "click at " << y;
    }
    strip.showOscillator (1);
    drag (strip, { 100.0f, 69.0f }, { 100.0f, 104.0f });
    EXPECT_NEAR (hostValue (ParamID::osc2_wt_pos), 1.0f, 1e-5);

    // The engine is handed another table: the strip draws its frames.
    processor.engine().setWavetable (1, makeFactoryWavetable ("factory:fm_bell"), "factory:fm_bell");
    strip.show ({});
    EXPECT_EQ (strip.frameCount(), static_cast<std::size_t> (processor.engine().wavetable (1)->numFrames));
    EXPECT_FALSE (strip.createComponentSnapshot (strip.getLocalBounds()).isNull());
}

TEST_F (VisualFixture, CablesRunFromTheShowingHandleOrItsTabToTheKnob)
{
    juce::Component page;
    page.setBounds (0, 0, 600, 400);
    ModSourceDragHandle lfo1Handle (ModSourceID::lfo1), lfo2Handle (ModSourceID::lfo2);
    juce::TextButton lfo2Tab ("2");
    PlumKnob cutoff (context, ParamID::filt_cutoff, "Cutoff");
    SignalFlowOverlay overlay (context);
    lfo1Handle.setBounds (10, 10, 40, 20);
    lfo2Handle.setBounds (10, 40, 40, 20);
    lfo2Tab.setBounds (60, 300, 20, 20);
    cutoff.setBounds (400, 100, 100, 80);
    for (auto* c : std::initializer_list<juce::Component*> { &lfo1Handle, &lfo2Handle, &lfo2Tab, &cutoff, &overlay })
        page.addAndMakeVisible (*c);
    overlay.setBounds (page.getLocalBounds());
    overlay.targetComponents[ParamID::filt_cutoff] = &cutoff;
    overlay.sourceComponents[ModSourceID::lfo1] = { &lfo1Handle };
    overlay.sourceComponents[ModSourceID::lfo2] = { &lfo2Handle, &lfo2Tab };

    context.addRouting (ModSourceID::lfo1, ParamID::filt_cutoff, 0.5f, ModScope::global);
    context.addRouting (ModSourceID::lfo2, ParamID::filt_cutoff, -1.0f, ModScope::global);
    context.addRouting (ModSourceID::velocity, ParamID::filt_cutoff, 0.5f, ModScope::per_note_capture); // no component: no cable
    context.addRouting (ModSourceID::lfo1, ParamID::osc1_pan, 0.5f, ModScope::global);                  // no knob: no cable

    auto cables = overlay.cables();
    ASSERT_EQ (cables.size(), 2u);
    EXPECT_EQ (cables[0].start, juce::Point<float> (30.0f, 20.0f));
    EXPECT_EQ (cables[0].end, juce::Point<float> (450.0f, 140.0f));
    EXPECT_FLOAT_EQ (cables[0].width, 2.5f);
    EXPECT_EQ (cables[1].start, juce::Point<float> (30.0f, 50.0f));
    EXPECT_FLOAT_EQ (cables[1].width, 4.0f);

    lfo2Handle.setVisible (false); // another LFO's tab is shown
    cables = overlay.cables();
    ASSERT_EQ (cables.size(), 2u);
    EXPECT_EQ (cables[1].start, juce::Point<float> (70.0f, 310.0f)) << "from the LFO's tab";

    context.removeRouting (0);
    cables = overlay.cables();
    ASSERT_EQ (cables.size(), 1u) << "a removed routing's cable goes";
    EXPECT_EQ (cables[0].source, ModSourceID::lfo2);

    cutoff.setVisible (false);
    EXPECT_TRUE (overlay.cables().empty());
    overlay.tick();
    EXPECT_GT (overlay.phase(), 0.0f);
}

TEST (CpuVoiceMeter, RepaintsOnlyWhenTheFiguresMove)
{
    CpuVoiceMeter meter;
    meter.setBounds (0, 0, 100, 178);
    meter.show (0.0f, 0);
    EXPECT_EQ (meter.repaintsAsked(), 0);
    meter.show (0.08f, 0);
    EXPECT_EQ (meter.repaintsAsked(), 0) << "a tenth of a percent is no change";
    meter.show (75.0f, 3);
    EXPECT_EQ (meter.repaintsAsked(), 1);
    meter.show (75.0f, 4);
    EXPECT_EQ (meter.repaintsAsked(), 2);

    // A 75 % load draws an orange bar.
    const auto picture = meter.createComponentSnapshot (meter.getLocalBounds(), true, 1.0f);
    EXPECT_EQ (picture.getPixelAt (40, 20), juce::Colour (0xffffaa00));
}

TEST (ModSourceDragHandle, ThePressedFillReturnsWhenTheDragEnds)
{
    ModSourceDragHandle handle (ModSourceID::modenv1);
    handle.setBounds (0, 0, 40, 20);
    handle.mouseDown (test::mouseEvent (handle, { 10.0f, 10.0f }, {}, { 10.0f, 10.0f }));
    EXPECT_TRUE (handle.isPressed());
    handle.mouseDrag (test::mouseEvent (handle, { 30.0f, 10.0f }, {}, { 10.0f, 10.0f }, 1, true)); // no container: no drag
    handle.dragEnded();
    EXPECT_FALSE (handle.isPressed());
    EXPECT_EQ (handle.getName(), "Env1");
}
