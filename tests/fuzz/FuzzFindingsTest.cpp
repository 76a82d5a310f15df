// Inputs the fuzzers (fuzz/) once failed on, kept in tests/fuzz/inputs/TARGET
// and replayed here through the same readers on every run of the suite, with
// the outcome each one must have now.

#include "processor/PluginProcessor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace plumora;

namespace
{
juce::Array<juce::File> keptInputs (const char* target)
{
    auto files = juce::File (PLUMORA_FUZZ_INPUTS).getChildFile (target).findChildFiles (juce::File::findFiles, false);
    files.sort();
    return files;
}

juce::MemoryBlock contents (const juce::File& file)
{
    juce::MemoryBlock data;
    file.loadFileAsData (data);
    return data;
}

juce::MemoryBlock savedState (PlumoraAudioProcessor& processor)
{
    juce::MemoryBlock chunk;
    processor.getStateInformation (chunk);
    return chunk;
}

// Digits and the signs of a number, byte by byte: juce::String's own checks
// read a stray UTF-8 byte as something else.
bool isNumberText (const juce::String& text)
{
    const auto bytes = text.toStdString();
    return ! bytes.empty() && bytes.find_first_not_of ("0123456789+-.eE") == std::string::npos && std::isfinite (text.getDoubleValue());
}

bool playsFinite (PlumoraAudioProcessor& processor)
{
    processor.prepareToPlay (48000.0, 256);
    juce::AudioBuffer<float> buffer (2, 256);
    for (int block = 0; block < 8; ++block)
    {
        juce::MidiBuffer midi;
        if (block == 0)
            for (const int note : { 48, 60, 64, 67 })
                midi.addEvent (juce::MidiMessage::noteOn (1, note, 0.9f), 0);
        processor.processBlock (buffer, midi);
        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < buffer.getNumSamples(); ++i)
                if (! std::isfinite (buffer.getSample (channel, i)))
                    return false;
    }
    return true;
}
} // namespace

// Each kept chunk restores; what the processor then saves holds every
// parameter as a number, restores in a second processor to the very same
// chunk, and the sound plays finite audio.
TEST (HostStateFindings, KeptChunksRestoreToNumbersThatSaveAndRestoreUnchanged)
{
    const auto inputs = keptInputs ("host_state");
    ASSERT_FALSE (inputs.isEmpty());
    for (const auto& input : inputs)
    {
        SCOPED_TRACE (input.getFileName().toStdString());
        const auto chunk = contents (input);
        PlumoraAudioProcessor processor;
        processor.setStateInformation (chunk.getData(), static_cast<int> (chunk.getSize()));

        const auto saved = savedState (processor);
        const auto xml = juce::AudioProcessor::getXmlFromBinary (saved.getData(), static_cast<int> (saved.getSize()));
        ASSERT_NE (xml, nullptr);
        for (const auto* parameter : xml->getChildWithTagNameIterator ("PARAM"))
            EXPECT_TRUE (isNumberText (parameter->getStringAttribute ("value")))
                << parameter->getStringAttribute ("id") << " saved as '" << parameter->getStringAttribute ("value") << "'";

        PlumoraAudioProcessor reopened;
        reopened.setStateInformation (saved.getData(), static_cast<int> (saved.getSize()));
        EXPECT_TRUE (savedState (reopened) == saved) << "a saved chunk restores to a different state";
        EXPECT_TRUE (playsFinite (processor));
    }
}

// value-text-with-stray-byte.state: a chunk of "Drawbar Saw Organ Pad" whose
// osc1_tune reads "0." followed by a lone UTF-8 continuation byte. The value
// is the number before the stray byte, and the saved chunk says so in digits
// rather than repeating the byte (which the next restore read as text that
// is no number, falling back to a different value).
TEST (HostStateFindings, AValueWithAStrayByteAfterItsDigitsIsKeptAsItsNumber)
{
    const auto chunk = contents (juce::File (PLUMORA_FUZZ_INPUTS).getChildFile ("host_state/value-text-with-stray-byte.state"));
    ASSERT_GT (chunk.getSize(), 0u);
    PlumoraAudioProcessor processor;
    processor.parameters().getParameter ("osc1_tune")->setValueNotifyingHost (processor.parameters().getParameter ("osc1_tune")->convertTo0to1 (7.0f));
    processor.setStateInformation (chunk.getData(), static_cast<int> (chunk.getSize()));

    EXPECT_EQ (processor.parameters().getRawParameterValue ("osc1_tune")->load(), 0.0f);
    EXPECT_EQ (processor.getCurrentPresetName(), "Drawbar Saw Organ Pad");
    const auto saved = savedState (processor);
    const auto xml = juce::AudioProcessor::getXmlFromBinary (saved.getData(), static_cast<int> (saved.getSize()));
    ASSERT_NE (xml, nullptr);
    const auto* tune = xml->getChildByAttribute ("id", "osc1_tune");
    ASSERT_NE (tune, nullptr);
    EXPECT_EQ (tune->getStringAttribute ("value").getDoubleValue(), 0.0);
    EXPECT_TRUE (isNumberText (tune->getStringAttribute ("value")));
}
