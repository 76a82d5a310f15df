// Loads the built Plumora.vst3 through JUCE's VST3 hosting, as a DAW would.

#include "parameters/ParameterCatalogue.h"
#include "parameters/ParameterText.h"

#include "host/HostedParameters.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
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

    static int programNamed (juce::AudioPluginInstance& plugin, const juce::String& name)
    {
        for (int i = 0; i < plugin.getNumPrograms(); ++i)
            if (plugin.getProgramName (i) == name)
                return i;
        return -1;
    }

    static juce::MemoryBlock stateOf (juce::AudioPluginInstance& plugin)
    {
        juce::MemoryBlock state;
        plugin.getStateInformation (state);
        return state;
    }

    // A block of audio: the host hands queued parameter changes to the
    // plug-in's processor there.
    static void play (juce::AudioPluginInstance& plugin)
    {
        juce::AudioBuffer<float> buffer (2, kBlock);
        juce::MidiBuffer midi;
        plugin.processBlock (buffer, midi);
    }

    // The state of a project where the user picked a program and then set
    // the filter cutoff to 0.3125 (normalised).
    static juce::MemoryBlock programWithCutoffEdited (juce::AudioPluginInstance& plugin, int program)
    {
        plugin.setCurrentProgram (program);
        plugin.prepareToPlay (kRate, kBlock);
        play (plugin);
        auto* cutoff = parameterNamed (plugin, "Filter Cutoff");
        EXPECT_GT (std::abs (cutoff->getValue() - 0.3125f), 0.05f) << "the program's own cutoff must differ from the edit";
        cutoff->setValueNotifyingHost (0.3125f);
        return stateOf (plugin);
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
        // Stepped rows are steps to the host: a list or a toggle, not a lane.
        EXPECT_EQ (parameter->isDiscrete(), plumora::isStepped (definition.kind)) << definition.name;
        if (plumora::isStepped (definition.kind))
        {
            EXPECT_EQ (parameter->getNumSteps(), static_cast<int> (definition.max - definition.min) + 1) << definition.name;
        }
        EXPECT_NEAR (parameter->getDefaultValue(), (definition.defaultValue - definition.min) / (definition.max - definition.min), 1e-6f) << definition.name;
        if (const auto text = plumora::parameterValueText (definition, definition.defaultValue))
        {
            EXPECT_EQ (parameter->getText (parameter->getDefaultValue(), 100).toStdString(), *text) << definition.name;
        }
    }
    EXPECT_EQ (own, plumora::kNumParameters);

    // A row without a text of its own reads as the knob shows it.
    EXPECT_EQ (parameterNamed (*plugin, "Osc1 Pan")->getText (0.25f, 100), "-0.50");

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

// Hosts restore a project's selected program as well as its state chunk, in
// either order, and may set the program to the value it already has. None of
// that may undo what the user changed after picking the program.
TEST_F (HostedPlumora, ProjectWithAProgramComesBackAsSaved)
{
    auto saved = load();
    ASSERT_NE (saved, nullptr);
    const int bloomLead = programNamed (*saved, "Bloom Lead");
    ASSERT_GT (bloomLead, 0);
    const auto chunk = programWithCutoffEdited (*saved, bloomLead);
    const int program = saved->getCurrentProgram();
    EXPECT_EQ (program, bloomLead);

    using Restore = std::function<void (juce::AudioPluginInstance&)>;
    const Restore setState = [&chunk] (juce::AudioPluginInstance& plugin) { plugin.setStateInformation (chunk.getData(), (int) chunk.getSize()); };
    const Restore setProgram = [program] (juce::AudioPluginInstance& plugin) { plugin.setCurrentProgram (program); };
    const std::vector<std::pair<const char*, std::vector<Restore>>> orders {
        { "chunk, then program", { setState, setProgram } },
        { "program, then chunk", { setProgram, setState } },
        { "program, chunk, program again", { setProgram, setState, setProgram } },
        { "chunk, program twice", { setState, setProgram, setProgram } },
    };
    for (const auto& [name, steps] : orders)
    {
        auto reopened = load();
        ASSERT_NE (reopened, nullptr);
        reopened->prepareToPlay (kRate, kBlock);
        for (const auto& step : steps)
        {
            step (*reopened);
            play (*reopened);
        }
        EXPECT_NEAR (parameterNamed (*reopened, "Filter Cutoff")->getValue(), 0.3125f, 1e-4f) << name;
        EXPECT_TRUE (stateOf (*reopened) == chunk) << name << ": the reopened project is not the saved one";
        EXPECT_EQ (reopened->getCurrentProgram(), program) << name;
    }
}

// A state the plug-in restores may be of another program than the host last
// set (the user picked a preset in the plug-in's own browser). The host's
// program must follow, or setting the program it keeps would load a stale one.
TEST_F (HostedPlumora, TheHostsProgramFollowsARestoredState)
{
    auto other = load();
    ASSERT_NE (other, nullptr);
    const int glassPluck = programNamed (*other, "Glass Pluck");
    ASSERT_GE (glassPluck, 0);
    const auto chunk = programWithCutoffEdited (*other, glassPluck);

    auto plugin = load();
    ASSERT_NE (plugin, nullptr);
    plugin->prepareToPlay (kRate, kBlock);
    plugin->setCurrentProgram (programNamed (*plugin, "Bloom Lead"));
    play (*plugin);
    plugin->setStateInformation (chunk.getData(), (int) chunk.getSize());
    play (*plugin);
    EXPECT_EQ (plugin->getCurrentProgram(), glassPluck);

    plugin->setCurrentProgram (plugin->getCurrentProgram());
    play (*plugin);
    EXPECT_TRUE (stateOf (*plugin) == chunk);
}
