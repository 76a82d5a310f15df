// The hosted editor used as a musician uses it, with the pointer of a private
// X display: switching pages, turning a knob (the host must see the change
// and the touch), and opening and closing the editor many times.

#include "editor/shell/PageLayouts.h"

#include "host/EditorPoints.h"
#include "host/HostedEditorSession.h"
#include "host/HostedParameters.h"
#include "host/ScreenCapture.h"
#include "host/XServer.h"

#include <gtest/gtest.h>

using namespace plumora::test;

namespace
{
using HostedEditorUse = HostedEditorSession;

// What a host hears from one of the plug-in's parameters.
struct ParameterWatch : juce::AudioProcessorParameter::Listener
{
    juce::AudioProcessorParameter& parameter;
    int changes = 0, gestureStarts = 0, gestureEnds = 0;

    explicit ParameterWatch (juce::AudioProcessorParameter& watched) : parameter (watched) { parameter.addListener (this); }
    ~ParameterWatch() override { parameter.removeListener (this); }

    void parameterValueChanged (int, float) override { ++changes; }
    void parameterGestureChanged (int, bool starting) override { ++(starting ? gestureStarts : gestureEnds); }
};

juce::Point<int> modeButton()
{
    return plumora::layoutEditor (kEditorWidth, kEditorHeight).modeButton.getCentre();
}
} // namespace

TEST_F (HostedEditorUse, PagesSwitchAndAKnobTurnedWithThePointerReachesTheHost)
{
    const auto screen = prepareScreen();
    ASSERT_TRUE (screen.isEmpty()) << "no screen for the editor's window: " << screen;
    auto plugin = load();
    ASSERT_NE (plugin, nullptr);
    ASSERT_EQ (pluginStateAttribute (*plugin, "uiMode"), "0");
    auto* cutoff = parameterNamed (*plugin, "Filter Cutoff");
    ASSERT_NE (cutoff, nullptr);

    withEditor (*plugin, [&] (juce::Component& window)
    {
        ParameterWatch watch (*cutoff);
        const float before = cutoff->getValue();
        // Upwards by 60 pixels: a vertical drag turns the knob up.
        const auto knob = kFilterCutoffKnob;
        ASSERT_EQ (xserver::drag (nativeWindowOf (window), knob.x, knob.y, knob.x, knob.y - 60, 12), "");
        EXPECT_TRUE (awaitCondition ([&] { return watch.gestureEnds > 0; })) << "the host saw no end of the touch";
        EXPECT_GT (cutoff->getValue(), before + 0.05f) << "the host's Filter Cutoff did not follow the knob";
        EXPECT_GT (watch.changes, 1);
        EXPECT_EQ (watch.gestureStarts, 1);
        EXPECT_EQ (watch.gestureEnds, 1);

        const auto mode = modeButton();
        ASSERT_EQ (xserver::click (nativeWindowOf (window), mode.x, mode.y), "");
        EXPECT_TRUE (awaitCondition ([&] { return pluginStateAttribute (*plugin, "uiMode") == "1"; })) << "no S!MPLE page";
        EXPECT_TRUE (savePicture (awaitEditor (window, 1.0f).image, "editor-host-linux-simple.png"));
        ASSERT_EQ (xserver::click (nativeWindowOf (window), mode.x, mode.y), "");
        EXPECT_TRUE (awaitCondition ([&] { return pluginStateAttribute (*plugin, "uiMode") == "0"; })) << "no way back to PRO";

        // On a 150 % screen the same knob sits at 1.5 times the point.
        auto& editor = dynamic_cast<juce::AudioProcessorEditor&> (dynamic_cast<HostWindow&> (window).editor);
        editor.setScaleFactor (1.5f);
        ASSERT_TRUE (awaitEditor (window, 1.5f).missing.isEmpty());
        const float atScaleOne = cutoff->getValue();
        const auto scaled = (knob.toFloat() * 1.5f).roundToInt();
        ASSERT_EQ (xserver::drag (nativeWindowOf (window), scaled.x, scaled.y, scaled.x, scaled.y + 60, 12), "");
        EXPECT_TRUE (awaitCondition ([&] { return watch.gestureEnds > 1; })) << "no touch at scale 1.5";
        EXPECT_LT (cutoff->getValue(), atScaleOne - 0.02f) << "a drag down at scale 1.5 did not turn the knob down";
    });
}

// Twenty openings and closings of the editor while the host plays: each
// shows the editor, and the plug-in plays on afterwards.
TEST_F (HostedEditorUse, OpensAndClosesTwentyTimesWhilePlaying)
{
    const auto screen = prepareScreen();
    ASSERT_TRUE (screen.isEmpty()) << "no screen for the editor's window: " << screen;
    auto plugin = load();
    ASSERT_NE (plugin, nullptr);
    juce::AudioBuffer<float> buffer (2, kBlock);
    juce::MidiBuffer chord;
    for (const int note : { 48, 55, 60, 64 })
        chord.addEvent (juce::MidiMessage::noteOn (1, note, 0.8f), 0);
    plugin->processBlock (buffer, chord);

    for (int opening = 0; opening < 20; ++opening)
    {
        SCOPED_TRACE ("opening " + std::to_string (opening + 1));
        withEditor (*plugin, [&] (juce::Component&)
        {
            juce::MidiBuffer none;
            for (int block = 0; block < 8; ++block)
                plugin->processBlock (buffer, none);
        });
        if (HasFatalFailure())
            return;
    }
    juce::MidiBuffer none;
    plugin->processBlock (buffer, none);
    EXPECT_GT (buffer.getMagnitude (0, kBlock), 0.01f) << "the chord stopped";
    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < kBlock; ++i)
            ASSERT_TRUE (std::isfinite (buffer.getSample (channel, i)));
}
