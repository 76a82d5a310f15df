// Loads the built Plumora.vst3 through JUCE's VST3 hosting, as a DAW would.

#include "parameters/ParameterCatalogue.h"
#include "parameters/ParameterText.h"

#include "host/HostedParameters.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using plumora::test::parameterNamed;

namespace
{
constexpr double kRate = 48000.0;
constexpr int kBlock = 512;
constexpr int kOwnParameters = 143;

// What the host is given: the bundle folder; on Windows, JUCE 7.0.5's VST3
// hosting wants the module file inside it (Contents/x86_64-win/Plumora.vst3).
juce::File bundle() { return juce::File (PLUMORA_VST3_BUNDLE); }

struct HostedPlumora : testing::Test
{
    juce::VST3PluginFormat format;
    juce::PluginDescription description;

    void SetUp() override
    {
       #if JUCE_WINDOWS
        ASSERT_TRUE (bundle().existsAsFile()) << bundle().getFullPathName();
       #else
        ASSERT_TRUE (bundle().isDirectory()) << bundle().getFullPathName();
       #endif
        juce::OwnedArray<juce::PluginDescription> found;
        format.findAllTypesForFile (found, bundle().getFullPathName());
        ASSERT_EQ (found.size(), 1);
        description = *found[0];
    }

    std::unique_ptr<juce::AudioPluginInstance> load()
    {
        juce::String error;
        auto instance = format.createInstanceFromDescription (description, kRate, kBlock, error);
        EXPECT_NE (instance, nullptr) << error;
        return instance;
    }

};
} // namespace

TEST_F (HostedPlumora, DescribesItselfAsASynthFromQuillmoth)
{
    EXPECT_EQ (description.name, "Plumora");
    EXPECT_EQ (description.manufacturerName, "Quillmoth");
    EXPECT_EQ (description.version, "0.5.0");
    EXPECT_TRUE (description.isInstrument);
    EXPECT_EQ (description.category, "Instrument|Synth");
    EXPECT_EQ (description.numInputChannels, 0);
    EXPECT_EQ (description.numOutputChannels, 2);
}

TEST_F (HostedPlumora, PublishesEveryCatalogueParameterWithItsNameAndValueText)
{
    auto plugin = load();
    ASSERT_NE (plugin, nullptr);

    // Besides its own parameters the host sees the wrapper's MIDI controller
    // proxies; the plug-in's own are those with catalogue names.
    int own = 0;
    for (int row = 0; row < plumora::kNumParameters; ++row)
    {
        const auto& definition = plumora::parameterCatalogue()[row];
        auto* parameter = parameterNamed (*plugin, definition.name);
        ASSERT_NE (parameter, nullptr) << definition.name;
        ++own;

        EXPECT_TRUE (parameter->isAutomatable()) << definition.name;
        EXPECT_NEAR (parameter->getDefaultValue(), (definition.defaultValue - definition.min) / (definition.max - definition.min), 1e-6f) << definition.name;
        if (const auto text = plumora::parameterValueText (definition, definition.defaultValue))
        {
            EXPECT_EQ (parameter->getText (parameter->getDefaultValue(), 100).toStdString(), *text) << definition.name;
        }
    }
    EXPECT_EQ (own, plumora::kNumParameters);

    auto* filterType = parameterNamed (*plugin, "Filter Type");
    EXPECT_EQ (filterType->getText (1.0f, 100), "Formant");
    EXPECT_EQ (filterType->getText (0.0f, 100), "Off");

    // Stepped parameters snap to whole values whatever the host sends.
    auto* octave = parameterNamed (*plugin, "Osc1 Octave");
    octave->setValueNotifyingHost (0.3f);
    EXPECT_EQ (octave->getCurrentValueAsText(), "-2");
}

TEST_F (HostedPlumora, RendersBlocksWithMidiAndLogsNoteOffs)
{
    auto plugin = load();
    ASSERT_NE (plugin, nullptr);
    plugin->prepareToPlay (kRate, kBlock);

    juce::AudioBuffer<float> buffer (2, kBlock);
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, 0.9f), 0);
    midi.addEvent (juce::MidiMessage::noteOn (1, 64, 0.9f), 100);
    plugin->processBlock (buffer, midi);

    for (int block = 0; block < 20; ++block)
    {
        midi.clear();
        plugin->processBlock (buffer, midi);
        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < kBlock; ++i)
                ASSERT_TRUE (std::isfinite (buffer.getSample (channel, i)));
    }

    testing::internal::CaptureStderr();
    midi.clear();
    midi.addEvent (juce::MidiMessage::noteOff (1, 64), 10);
    plugin->processBlock (buffer, midi);
    std::this_thread::sleep_for (std::chrono::milliseconds (300)); // the log drains every 5 ms
    const auto text = testing::internal::GetCapturedStderr();
    EXPECT_NE (text.find ("[pm-midi] engine.noteOff ch=1 note=64 matched_voice=1 matched_state="), std::string::npos) << text;

    plugin->releaseResources();
}

TEST_F (HostedPlumora, StateRoundTripsThroughTheHost)
{
    auto first = load();
    ASSERT_NE (first, nullptr);
    auto* cutoff = parameterNamed (*first, "Filter Cutoff");
    auto* pattern = parameterNamed (*first, "Arp Pattern");
    ASSERT_NE (cutoff, nullptr);
    ASSERT_NE (pattern, nullptr);
    cutoff->setValueNotifyingHost (0.25f);
    pattern->setValueNotifyingHost (pattern->getValueForText ("6"));
    const auto cutoffText = cutoff->getCurrentValueAsText();
    const auto patternText = pattern->getCurrentValueAsText();

    juce::MemoryBlock state;
    first->getStateInformation (state);
    ASSERT_GT (state.getSize(), 0u);

    auto second = load();
    ASSERT_NE (second, nullptr);
    second->setStateInformation (state.getData(), (int) state.getSize());
    EXPECT_EQ (parameterNamed (*second, "Filter Cutoff")->getCurrentValueAsText(), cutoffText);
    EXPECT_EQ (parameterNamed (*second, "Arp Pattern")->getCurrentValueAsText(), patternText);
    EXPECT_NEAR (parameterNamed (*second, "Filter Cutoff")->getValue(), 0.25f, 1e-4f);
}
