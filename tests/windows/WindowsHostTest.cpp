// The Windows build of Plumora.vst3, loaded through JUCE's VST3 hosting as a
// Windows DAW would (under Wine in CI). tests/host covers identity, parameters,
// rendering and state round trips on every platform; these add what a host
// does beyond that: the exact parameter set it sees, state it cannot trust,
// irregular block sizes, and files that are not plug-ins.

#include "parameters/ParameterCatalogue.h"

#include "host/HostedParameters.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <gtest/gtest.h>

#include <cmath>
#include <set>

using plumora::test::parameterNamed;

namespace
{
constexpr double kRate = 44100.0;
constexpr int kMaxBlock = 512;

juce::File module() { return juce::File (PLUMORA_VST3_BUNDLE); }

struct WindowsHost : testing::Test
{
    juce::VST3PluginFormat format;

    std::unique_ptr<juce::AudioPluginInstance> load()
    {
        juce::OwnedArray<juce::PluginDescription> found;
        format.findAllTypesForFile (found, module().getFullPathName());
        if (found.size() != 1)
        {
            ADD_FAILURE() << "expected one plug-in in " << module().getFullPathName() << ", found " << found.size();
            return nullptr;
        }

        juce::String error;
        auto instance = format.createInstanceFromDescription (*found[0], kRate, kMaxBlock, error);
        EXPECT_NE (instance, nullptr) << error;
        return instance;
    }

    // Renders blocks of the given sizes with a chord held; every sample must be finite.
    static void renderChord (juce::AudioPluginInstance& plugin, std::initializer_list<int> blockSizes)
    {
        juce::AudioBuffer<float> buffer (2, kMaxBlock);
        juce::MidiBuffer midi;
        bool first = true;
        for (const int size : blockSizes)
        {
            midi.clear();
            if (first)
            {
                midi.addEvent (juce::MidiMessage::noteOn (1, 48, 0.8f), 0);
                midi.addEvent (juce::MidiMessage::noteOn (1, 55, 0.8f), 0);
                midi.addEvent (juce::MidiMessage::noteOn (1, 64, 0.8f), juce::jmax (0, size - 1));
                first = false;
            }
            buffer.setSize (2, size, false, false, true);
            buffer.clear();
            plugin.processBlock (buffer, midi);
            for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
                for (int i = 0; i < size; ++i)
                    ASSERT_TRUE (std::isfinite (buffer.getSample (channel, i)))
                        << "block of " << size << ", channel " << channel << ", sample " << i;
        }
    }

    // A host-level state whose component part (what the plug-in's own
    // setStateInformation receives) is the given bytes.
    static juce::MemoryBlock hostStateWithComponentState (const juce::MemoryBlock& componentState)
    {
        juce::XmlElement state ("VST3PluginState");
        state.createNewChildElement ("IComponent")->addTextElement (componentState.toBase64Encoding());
        juce::MemoryBlock result;
        juce::AudioProcessor::copyXmlToBinary (state, result);
        return result;
    }

    static juce::MemoryBlock componentStateOf (const juce::MemoryBlock& hostState)
    {
        juce::MemoryBlock component;
        if (auto xml = juce::AudioProcessor::getXmlFromBinary (hostState.getData(), (int) hostState.getSize()))
            if (auto* child = xml->getChildByName ("IComponent"))
                component.fromBase64Encoding (child->getAllSubText());
        return component;
    }
};
} // namespace

TEST_F (WindowsHost, SeesTheCatalogueParametersAndOnlyTheWrappersOwnBesides)
{
    auto plugin = load();
    ASSERT_NE (plugin, nullptr);

    std::set<juce::String> catalogue;
    for (int row = 0; row < plumora::kNumParameters; ++row)
        catalogue.insert (juce::String::fromUTF8 (plumora::parameterCatalogue()[row].name));
    ASSERT_EQ ((int) catalogue.size(), 143) << "catalogue names must be unique";

    std::set<juce::String> own;
    int ccProxies = 0;
    for (auto* parameter : plugin->getParameters())
    {
        const auto name = parameter->getName (100);
        if (catalogue.count (name) != 0)
        {
            EXPECT_TRUE (own.insert (name).second) << "published twice: " << name;
            EXPECT_GE (parameter->getValue(), 0.0f) << name;
            EXPECT_LE (parameter->getValue(), 1.0f) << name;
        }
        else if (name.startsWith ("MIDI CC "))
            ++ccProxies; // the wrapper's MIDI controller proxies
        else
            EXPECT_TRUE (name == "Bypass" || name == "Program") << "unexpected parameter: " << name;
    }
    EXPECT_EQ ((int) own.size(), 143);
    // 16 channels of 128 controllers plus channel pressure and pitch bend.
    EXPECT_EQ (ccProxies, 16 * 130);
}

TEST_F (WindowsHost, RendersIrregularBlockSizes)
{
    auto plugin = load();
    ASSERT_NE (plugin, nullptr);
    plugin->prepareToPlay (kRate, kMaxBlock);
    renderChord (*plugin, { 512, 1, 17, 333, 512, 64, 2, 511, 512 });
    plugin->releaseResources();

    // A host may prepare again with other settings; the plug-in follows.
    plugin->prepareToPlay (96000.0, 128);
    renderChord (*plugin, { 128, 7, 128, 100 });
    plugin->releaseResources();
}

TEST_F (WindowsHost, IgnoresStateItCannotReadAndKeepsWorking)
{
    auto plugin = load();
    ASSERT_NE (plugin, nullptr);
    auto* cutoff = parameterNamed (*plugin, "Filter Cutoff");
    ASSERT_NE (cutoff, nullptr);
    cutoff->setValueNotifyingHost (0.25f);
    const auto cutoffText = cutoff->getCurrentValueAsText();

    juce::MemoryBlock good;
    plugin->getStateInformation (good);
    const auto goodComponent = componentStateOf (good);
    ASSERT_GT (goodComponent.getSize(), 16u);

    juce::Random random (20240611);
    juce::MemoryBlock noise (4096);
    random.fillBitsRandomly (noise.getData(), noise.getSize());
    const juce::MemoryBlock truncated (goodComponent.getData(), goodComponent.getSize() / 2);
    juce::MemoryBlock foreign;
    juce::AudioProcessor::copyXmlToBinary (juce::XmlElement ("SOMEONE_ELSES_STATE"), foreign);
    const juce::MemoryBlock oneByte ("x", 1);

    plugin->prepareToPlay (kRate, kMaxBlock);
    const std::pair<const char*, juce::MemoryBlock> bad[] = {
        { "noise", noise }, { "truncated", truncated }, { "foreign", foreign }, { "one byte", oneByte },
    };
    for (const auto& [what, bytes] : bad)
    {
        SCOPED_TRACE (what);
        const auto state = hostStateWithComponentState (bytes);
        plugin->setStateInformation (state.getData(), (int) state.getSize());
        EXPECT_EQ (cutoff->getCurrentValueAsText(), cutoffText);
        EXPECT_NEAR (cutoff->getValue(), 0.25f, 1e-4f);
        renderChord (*plugin, { 512, 512, 512 });
    }

    // Still takes a good state afterwards.
    cutoff->setValueNotifyingHost (0.9f);
    plugin->setStateInformation (good.getData(), (int) good.getSize());
    EXPECT_EQ (cutoff->getCurrentValueAsText(), cutoffText);
    plugin->releaseResources();
}

TEST_F (WindowsHost, FindsNoPluginInFilesThatAreNotOne)
{
    const juce::TemporaryFile notAPlugin (".vst3");
    ASSERT_TRUE (notAPlugin.getFile().replaceWithText ("not a Windows module"));
    const auto missing = notAPlugin.getFile().getSiblingFile ("PlumoraMissing.vst3");

    for (const auto& file : { notAPlugin.getFile(), missing })
    {
        juce::OwnedArray<juce::PluginDescription> found;
        format.findAllTypesForFile (found, file.getFullPathName());
        EXPECT_EQ (found.size(), 0) << file.getFullPathName();

        juce::PluginDescription description;
        description.pluginFormatName = format.getName();
        description.fileOrIdentifier = file.getFullPathName();
        juce::String error;
        EXPECT_EQ (format.createInstanceFromDescription (description, kRate, kMaxBlock, error), nullptr);
        EXPECT_TRUE (error.isNotEmpty()) << file.getFullPathName();
    }
}
