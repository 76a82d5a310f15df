// A user preset saved the way a musician saves one: in the built Plumora.vst3
// hosted by JUCE's VST3 host, through the editor's own preset bar, with the
// pointer and keyboard of a private X display. The plug-in is then loaded
// afresh, the preset found by browsing and loaded, and it plays as it did.

#include "editor/shell/PageLayouts.h"

#include "host/HostedEditorSession.h"
#include "host/HostedEditorWindow.h"
#include "host/HostedParameters.h"
#include "host/ScreenCapture.h"
#include "host/XServer.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace plumora::test;

namespace
{
const juce::String kPresetName { "Hosted Save Check" };

// Where the plug-in keeps user presets, in this test process's own
// temporary home folder (support/TestMain).
juce::File userPresetFolder()
{
    return juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory).getChildFile ("Quillmoth/Plumora/Presets");
}

juce::Array<juce::File> userPresetFiles() { return userPresetFolder().findChildFiles (juce::File::findFiles, true, "*.pmpreset"); }

// Where the preset bar's buttons are in the editor's window: "<" and ">" at
// the left of its top row, "Save" left of "Export" at the right.
juce::Point<int> presetBarButton (const juce::String& label)
{
    const auto editor = plumora::layoutEditor (kEditorWidth, kEditorHeight);
    const auto bar = plumora::layoutProPage (editor.page.getWidth(), editor.page.getHeight()).presetBar + editor.page.getPosition();
    const auto row = bar.reduced (2).removeFromTop (28);
    if (label == "<")
        return { row.getX() + 15, row.getCentreY() };
    if (label == ">")
        return { row.getX() + 32 + 15, row.getCentreY() };
    return { row.getRight() - 60 - 2 - 25, row.getCentreY() }; // "Save"
}

bool stateNamesPreset (juce::AudioPluginInstance& plugin, const juce::String& presetName)
{
    return pluginStateAttribute (plugin, "presetName") == presetName;
}

// Two seconds of a chord held for one and released, as the host renders it,
// after six seconds of silence for whatever sounded before to die away.
juce::AudioBuffer<float> renderChord (juce::AudioPluginInstance& plugin)
{
    constexpr int kBlocks = static_cast<int> (2.0 * kRate) / kBlock;
    juce::AudioBuffer<float> result (2, kBlocks * kBlock);
    juce::AudioBuffer<float> buffer (2, kBlock);
    for (int block = 0; block < static_cast<int> (6.0 * kRate) / kBlock; ++block)
    {
        juce::MidiBuffer none;
        plugin.processBlock (buffer, none);
    }
    for (int block = 0; block < kBlocks; ++block)
    {
        juce::MidiBuffer midi;
        for (const int note : { 48, 55, 60, 64 })
        {
            if (block == 0)
                midi.addEvent (juce::MidiMessage::noteOn (1, note, 0.8f), 0);
            if (block == kBlocks / 2)
                midi.addEvent (juce::MidiMessage::noteOff (1, note), 0);
        }
        buffer.clear();
        plugin.processBlock (buffer, midi);
        for (int channel = 0; channel < 2; ++channel)
            result.copyFrom (channel, block * kBlock, buffer, channel, 0, kBlock);
    }
    return result;
}

// The level of what differs between two renders, relative to the first's.
double differenceDb (const juce::AudioBuffer<float>& reference, const juce::AudioBuffer<float>& other)
{
    double signal = 0.0, difference = 0.0;
    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < reference.getNumSamples(); ++i)
        {
            const double a = reference.getSample (channel, i);
            const double b = other.getSample (channel, i);
            signal += a * a;
            difference += (a - b) * (a - b);
        }
    return 10.0 * std::log10 ((difference + 1e-30) / (signal + 1e-30));
}

using HostedPresetSave = HostedEditorSession;
} // namespace

TEST_F (HostedPresetSave, APresetSavedInTheEditorIsFoundAfterAReloadAndPlaysTheSame)
{
    const auto screen = prepareScreen();
    ASSERT_TRUE (screen.isEmpty()) << "no screen for the editor's window: " << screen;
    userPresetFolder().deleteRecursively();

    juce::AudioBuffer<float> savedSound;
    {
        auto plugin = load();
        ASSERT_NE (plugin, nullptr);
        // The user's own sound: a darker, resonant filter than any default.
        for (const auto& [name, value] : { std::pair { "Filter Cutoff", 0.3125f }, { "Filter Reso", 0.55f } })
        {
            auto* parameter = parameterNamed (*plugin, name);
            ASSERT_NE (parameter, nullptr) << name;
            parameter->setValueNotifyingHost (value);
        }

        withEditor (*plugin, [&] (juce::Component& window)
        {
            const auto save = presetBarButton ("Save");
            ASSERT_EQ (xserver::click (nativeWindowOf (window), save.x, save.y), "");
            unsigned long dialog = 0;
            ASSERT_TRUE (awaitCondition ([&] { return (dialog = xserver::findWindowNamed ("Save Preset")) != 0; }))
                << "\"Save\" opened no dialog";
            // The name field has the keyboard focus with its text selected:
            // typing replaces it.
            ASSERT_EQ (xserver::focusWindow (dialog), "");
            ASSERT_EQ (xserver::typeText (kPresetName.toStdString()), "");
            ASSERT_EQ (xserver::pressKey ("Return", false), "");
            ASSERT_TRUE (awaitCondition ([&] { return userPresetFiles().size() == 1; }))
                << "no preset file in " << userPresetFolder().getFullPathName();
            EXPECT_TRUE (awaitCondition ([] { return xserver::findWindowNamed ("Save Preset") == 0; })) << "the dialog stayed open";
        });
        const auto file = userPresetFiles().getFirst();
        const auto json = juce::JSON::parse (file);
        EXPECT_EQ (json.getProperty ("name", {}).toString(), kPresetName) << file.getFullPathName();
        EXPECT_TRUE (stateNamesPreset (*plugin, kPresetName));
        // Free-running LFOs move with the audio a plug-in has played: render
        // as often here as the reloaded one below, so both play at the same
        // point of their LFOs' cycles.
        renderChord (*plugin);
        savedSound = renderChord (*plugin);
    }

    auto plugin = load();
    ASSERT_NE (plugin, nullptr);
    EXPECT_FALSE (stateNamesPreset (*plugin, kPresetName));
    const auto before = renderChord (*plugin);
    ASSERT_GT (differenceDb (savedSound, before), -10.0) << "the saved sound must differ from the one a new instance starts with";

    // User presets follow the factory ones: one step back from the start.
    withEditor (*plugin, [&] (juce::Component& window)
    {
        const auto previous = presetBarButton ("<");
        ASSERT_EQ (xserver::click (nativeWindowOf (window), previous.x, previous.y), "");
        EXPECT_TRUE (awaitCondition ([&] { return stateNamesPreset (*plugin, kPresetName); })) << "browsing back did not load the saved preset";
    });
    EXPECT_NEAR (parameterNamed (*plugin, "Filter Cutoff")->getValue(), 0.3125f, 1e-4f);
    EXPECT_NEAR (parameterNamed (*plugin, "Filter Reso")->getValue(), 0.55f, 1e-4f);
    const auto loaded = renderChord (*plugin);
    EXPECT_LT (differenceDb (savedSound, loaded), -80.0) << "the loaded preset does not sound as it did when saved";
}
