// Inputs the fuzzers (fuzz/) once failed on, kept in tests/fuzz/inputs/TARGET
// and replayed here through the same readers on every run of the suite, with
// the outcome each one must have now.

#include "presets/PresetDocument.h"
#include "processor/PluginProcessor.h"
#include "simple/CharacterMap.h"

#include <gtest/gtest.h>

#include <climits>
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

// long-integer.pmpreset: a factory preset mangled so that a value reads
// 18446744073709551616. juce::JSON reads a number's leading digits into a
// 64-bit integer that overflowed (undefined behaviour; the sanitizer pass
// stops on it). A number of more than 18 leading digits now reads as the
// nearest double, and whole numbers beyond the int range as its limits.
TEST (PresetJsonFindings, NumbersBeyondTheIntegerRangesReadAsTheirNearestValues)
{
    const auto kept = contents (juce::File (PLUMORA_FUZZ_INPUTS).getChildFile ("preset_json/long-integer.pmpreset"));
    ASSERT_GT (kept.getSize(), 0u);
    const auto mangled = presetFromJson (juce::String::createStringFromData (kept.getData(), static_cast<int> (kept.getSize())));
    EXPECT_TRUE (mangled.parameters.empty()) << "the mangled preset is no JSON any more and reads as the default document";

    struct Value { const char* literal; float expected; };
    const Value values[] = {
        { "18446744073709551616", 18446744073709551616.0f },
        { "-99999999999999999999", -1.0e20f },
        { "123456789012345678", 123456789012345678.0f },                       // 18 digits: read as before
        { "00000000000000000000042", 42.0f },
        { "1234567890123456789012345678901234567890.5e-30", 1234567890.1234567f },
    };
    for (const auto& value : values)
    {
        SCOPED_TRACE (value.literal);
        const auto document = presetFromJson (juce::String (R"({"name": "12345678901234567890123", "parameters": {"filt_cutoff": )")
                                              + value.literal + "}}");
        EXPECT_EQ (document.name, "12345678901234567890123") << "digits inside a string are text";
        ASSERT_EQ (document.parameters.size(), 1u);
        EXPECT_FLOAT_EQ (document.parameters[0].second, value.expected);
    }

    const auto huge = presetFromJson (R"({"parameters": {"filt_cutoff": 1)" + juce::String::repeatedString ("0", 400) + "}}");
    ASSERT_EQ (huge.parameters.size(), 1u);
    EXPECT_GT (huge.parameters[0].second, 3.0e38f) << "past every double: the largest one";

    struct Whole { const char* literal; int expected; };
    const Whole wholes[] = {
        { "1e20", INT_MAX }, { "-1e20", INT_MIN }, { "99999999999", INT_MAX }, { "-99999999999", INT_MIN },
        { "2147483647", INT_MAX }, { "7", 7 }, { "2.9", 2 }, { "\"3\"", 3 }, { "null", 0 },
    };
    for (const auto& whole : wholes)
    {
        SCOPED_TRACE (whole.literal);
        const auto document = presetFromJson (juce::String (R"({"version": )") + whole.literal
                                              + R"(, "simpleMeta": {"blockSteps": [)" + whole.literal + "]}}");
        EXPECT_EQ (document.version, whole.expected);
        EXPECT_EQ (document.simpleMeta.steps[0], whole.expected);
    }
}

// long-integer.json: a character map whose name is a 20-digit number, the
// same overflow through the S!MPLE data reader. The file is no JSON object
// and reads as a nameless map without steps; a step value of that size
// reads as its nearest float.
TEST (CharacterMapFindings, LongIntegersInAMapFileReadWithoutOverflow)
{
    const auto folder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                            .getNonexistentChildFile ("plumora-fuzz-findings-" + juce::String::toHexString (juce::Random().nextInt64()), "", false);
    ASSERT_TRUE (folder.createDirectory());

    const auto kept = juce::File (PLUMORA_FUZZ_INPUTS).getChildFile ("character_map/long-integer.json");
    const auto broken = loadCharacterMap (kept);
    EXPECT_TRUE (broken.name.isEmpty());
    EXPECT_TRUE (broken.steps.empty());

    const auto file = folder.getChildFile ("tone.json");
    ASSERT_TRUE (file.replaceWithText (R"({"name": "Tone", "steps": [{"label": "Far", "params": {"filt_cutoff": 18446744073709551616}}]})"));
    const auto map = loadCharacterMap (file);
    EXPECT_EQ (map.name, "Tone");
    ASSERT_EQ (map.steps.size(), 1u);
    ASSERT_EQ (map.steps[0].params.size(), 1u);
    EXPECT_FLOAT_EQ (map.steps[0].params[0].value, 18446744073709551616.0f);
    folder.deleteRecursively();
}
