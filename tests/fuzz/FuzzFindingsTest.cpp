// Inputs the fuzzers (fuzz/) once failed on, kept in tests/fuzz/inputs/TARGET
// and replayed here through the same readers on every run of the suite, with
// the outcome each one must have now.

#include "engine/SynthEngine.h"
#include "presets/PresetDocument.h"
#include "presets/SafeJson.h"
#include "processor/PluginProcessor.h"
#include "simple/CharacterMap.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

using namespace plumora;

namespace
{
// A state chunk as a host keeps it: the XML header (magic, length) and the
// text's bytes as given, with its closing zero.
juce::MemoryBlock stateChunkOf (const char* text, std::size_t size)
{
    juce::MemoryBlock chunk;
    const juce::uint32 magic = 0x21324356, length = static_cast<juce::uint32> (size);
    chunk.append (&magic, 4);
    chunk.append (&length, 4);
    chunk.append (text, size + 1);
    return chunk;
}

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
        {
            if (processor.parameters().getParameter (parameter->getStringAttribute ("id")) != nullptr)
            {
                EXPECT_TRUE (isNumberText (parameter->getStringAttribute ("value")))
                    << parameter->getStringAttribute ("id") << " saved as '" << parameter->getStringAttribute ("value") << "'";
            }
        }

        PlumoraAudioProcessor reopened;
        reopened.setStateInformation (saved.getData(), static_cast<int> (saved.getSize()));
        EXPECT_TRUE (savedState (reopened) == saved) << "a saved chunk restores to a different state";
        EXPECT_TRUE (playsFinite (processor));
    }
}

// value-text-with-stray-byte.state: a chunk of "Drawbar Saw Organ Pad" whose
// osc1_tune reads "0." followed by a lone UTF-8 continuation byte. The
// restore read it as 0 but saved the text back as it came, and the next
// restore read that as no number at all. Now the byte reads as '?', so the
// value is no number: the parameter keeps its value, the rest of the chunk
// restores, and the saved chunk holds the value in digits.
TEST (HostStateFindings, AValueWithAStrayByteAfterItsDigitsKeepsTheCurrentValue)
{
    const auto chunk = contents (juce::File (PLUMORA_FUZZ_INPUTS).getChildFile ("host_state/value-text-with-stray-byte.state"));
    ASSERT_GT (chunk.getSize(), 0u);
    PlumoraAudioProcessor processor;
    auto* tune = processor.parameters().getParameter ("osc1_tune");
    tune->setValueNotifyingHost (tune->convertTo0to1 (7.0f));
    const float current = processor.parameters().getRawParameterValue ("osc1_tune")->load();
    processor.setStateInformation (chunk.getData(), static_cast<int> (chunk.getSize()));

    EXPECT_EQ (processor.parameters().getRawParameterValue ("osc1_tune")->load(), current);
    EXPECT_EQ (processor.getCurrentPresetName(), "Drawbar Saw Organ Pad");
    EXPECT_EQ (processor.parameters().getRawParameterValue ("osc1_unison")->load(), 3.0f) << "the rest of the chunk restores";
    const auto saved = savedState (processor);
    const auto xml = juce::AudioProcessor::getXmlFromBinary (saved.getData(), static_cast<int> (saved.getSize()));
    ASSERT_NE (xml, nullptr);
    const auto* savedTune = xml->getChildByAttribute ("id", "osc1_tune");
    ASSERT_NE (savedTune, nullptr);
    EXPECT_TRUE (isNumberText (savedTune->getStringAttribute ("value")));
    EXPECT_FLOAT_EQ (static_cast<float> (savedTune->getStringAttribute ("value").getDoubleValue()), current);
}

// value-given-twice.state: a chunk of "Warm Pad" whose delay_time_r entry
// carries its value twice, 0.35 and then 940395355. The parameter took the
// first, the saved chunk wrote the second, and restoring that saved chunk
// gave a different state. The first now counts throughout, and every entry
// is the value its parameter takes: limited to its range, snapped to its
// steps, the current value where the text is no number.
TEST (HostStateFindings, EntriesHoldTheValuesTheirParametersTake)
{
    const auto kept = contents (juce::File (PLUMORA_FUZZ_INPUTS).getChildFile ("host_state/value-given-twice.state"));
    ASSERT_GT (kept.getSize(), 0u);
    PlumoraAudioProcessor processor;
    processor.setStateInformation (kept.getData(), static_cast<int> (kept.getSize()));
    EXPECT_EQ (processor.getCurrentPresetName(), "Warm Pad");
    EXPECT_FLOAT_EQ (processor.parameters().getRawParameterValue ("delay_time_r")->load(), 0.35f);
    const auto saved = savedState (processor);
    const auto xml = juce::AudioProcessor::getXmlFromBinary (saved.getData(), static_cast<int> (saved.getSize()));
    ASSERT_NE (xml, nullptr);
    ASSERT_NE (xml->getChildByAttribute ("id", "delay_time_r"), nullptr);
    EXPECT_FLOAT_EQ (static_cast<float> (xml->getChildByAttribute ("id", "delay_time_r")->getDoubleAttribute ("value")), 0.35f);

    struct Case { const char* id; const char* text; float expected; };
    const Case cases[] = {
        { "delay_time_r", "940395355", 2.0f }, { "delay_time_r", "-1e30", 0.01f }, { "delay_time_r", " 0.5 ", 0.5f },
        { "delay_time_r", "nan", -1.0f }, { "delay_time_r", "", -1.0f }, { "osc1_unison", "3.4", 3.0f }, { "osc1_unison", "1e9", 16.0f },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.id) + " = '" + c.text + "'");
        PlumoraAudioProcessor restored;
        const float current = restored.parameters().getRawParameterValue (c.id)->load();
        juce::XmlElement root ("PARAMETERS");
        auto* entry = root.createNewChildElement ("PARAM");
        entry->setAttribute ("id", c.id);
        entry->setAttribute ("value", c.text);
        juce::MemoryBlock chunk;
        juce::AudioProcessor::copyXmlToBinary (root, chunk);
        restored.setStateInformation (chunk.getData(), static_cast<int> (chunk.getSize()));

        const float expected = c.expected < 0.0f ? current : c.expected;
        EXPECT_EQ (restored.parameters().getRawParameterValue (c.id)->load(), expected);
        const auto resaved = savedState (restored);
        const auto resavedXml = juce::AudioProcessor::getXmlFromBinary (resaved.getData(), static_cast<int> (resaved.getSize()));
        ASSERT_NE (resavedXml, nullptr);
        ASSERT_NE (resavedXml->getChildByAttribute ("id", c.id), nullptr);
        EXPECT_FLOAT_EQ (static_cast<float> (resavedXml->getChildByAttribute ("id", c.id)->getDoubleAttribute ("value")), expected);
        PlumoraAudioProcessor reopened;
        reopened.setStateInformation (saved.getData(), static_cast<int> (saved.getSize()));
        EXPECT_TRUE (savedState (reopened) == saved);
    }
}

// value-with-a-long-exponent.state: a chunk of "Resonant Sweep" whose
// dist_drive reads "0.31e3900000011920929". juce::String::getDoubleValue adds
// up exponent digits in an int, which overflowed (undefined behaviour; the
// sanitizer pass stops on it). Numbers from chunks and files are now read by
// numberFromText: such a value is past the double range, no finite number,
// and the parameter keeps its value; the rest of the chunk restores.
TEST (HostStateFindings, AValueWithALongExponentKeepsTheCurrentValue)
{
    const auto kept = contents (juce::File (PLUMORA_FUZZ_INPUTS).getChildFile ("host_state/value-with-a-long-exponent.state"));
    ASSERT_GT (kept.getSize(), 0u);
    PlumoraAudioProcessor processor;
    const float current = processor.parameters().getRawParameterValue ("dist_drive")->load();
    processor.setStateInformation (kept.getData(), static_cast<int> (kept.getSize()));
    EXPECT_EQ (processor.getCurrentPresetName(), "Resonant Sweep");
    EXPECT_EQ (processor.parameters().getRawParameterValue ("dist_drive")->load(), current);

    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    struct Case { const char* text; double expected; };
    const Case cases[] = {
        { "0.31e3900000011920929", kInfinity }, { "-2e99999999999", -kInfinity }, { "5e-99999999999", 0.0 },
        { "1e400", kInfinity },
        { "0.5", 0.5 }, { "  -12.25 s", -12.25 }, { "+3", 3.0 }, { "1e", 1.0 }, { ".5", 0.5 }, { "", 0.0 }, { "abc", 0.0 },
        { "1e3", 1000.0 }, { "inf", kInfinity },
    };
    for (const auto& c : cases)
        EXPECT_EQ (numberFromText (c.text), c.expected) << "'" << c.text << "'";
    EXPECT_TRUE (std::isnan (numberFromText ("nan")));
    EXPECT_EQ (numberFromText ("1" + juce::String::repeatedString ("0", 400)), kInfinity);
    EXPECT_EQ (numberFromText ("0." + juce::String::repeatedString ("0", 400) + "1"), 0.0);

    // The same numbers in a preset and in a S!MPLE data file's text.
    const auto preset = presetFromJson (R"({"parameters": {"filt_cutoff": 2e99999999999, "filt_reso": "3e99999999999", "osc1_level": 1e-99999}})");
    ASSERT_EQ (preset.parameters.size(), 3u);
    EXPECT_EQ (preset.parameters[0].second, std::numeric_limits<float>::max());
    EXPECT_EQ (preset.parameters[1].second, std::numeric_limits<float>::max());
    EXPECT_EQ (preset.parameters[2].second, 0.0f);
}

// invalid-utf8-near-the-end.state: a saved chunk of "Screaming Lead" cut
// short, bytes near its end overwritten with 0xFF (a byte that announces a
// sequence of four). JUCE's XML reader stepped over them four bytes at a time,
// past the end of the text. Now each invalid byte reads as '?': that chunk
// restores as far as its XML goes, and damage inside a text leaves '?' in
// its place.
TEST (HostStateFindings, InvalidUtf8InAChunkReadsAsQuestionMarks)
{
    PlumoraAudioProcessor processor;
    const auto broken = contents (juce::File (PLUMORA_FUZZ_INPUTS).getChildFile ("host_state/invalid-utf8-near-the-end.state"));
    ASSERT_GT (broken.getSize(), 0u);
    processor.setStateInformation (broken.getData(), static_cast<int> (broken.getSize()));
    EXPECT_EQ (processor.getCurrentPresetName(), "Screaming Lead");

    struct Case { const char* why; std::string nameBytes; juce::String expected; };
    const Case cases[] = {
        { "a sequence cut short at the end of the name", "Lead \xe2\x82", "Lead ??" },
        { "a lead byte of a sequence no UTF-8 has", "Pad \xff", "Pad ?" },
        { "a continuation byte without a lead", "\x80" "Bass", "?Bass" },
        { "an encoded surrogate", "Keys \xed\xa0\x80", "Keys ???" },
        { "well-formed text stays as it is", "Caf\xc3\xa9 \xe2\x82\xac", juce::String::fromUTF8 ("Caf\xc3\xa9 \xe2\x82\xac") },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.why);
        const auto text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PARAMETERS presetName=\"" + c.nameBytes
                          + "\"><PARAM id=\"filt_cutoff\" value=\"640.0\"/></PARAMETERS>";
        const auto chunk = stateChunkOf (text.data(), text.size());
        PlumoraAudioProcessor restored;
        restored.setStateInformation (chunk.getData(), static_cast<int> (chunk.getSize()));
        EXPECT_EQ (restored.getCurrentPresetName(), c.expected);
        EXPECT_EQ (restored.parameters().getRawParameterValue ("filt_cutoff")->load(), 640.0f);
    }
}

// length-cuts-a-character-short.state: a chunk whose header gives its text
// a length that ends just after the first byte of a two-byte character. The
// XML reader reads only that much, and stepped over the character's second
// byte, the closing zero, and past the end of the text (the sanitizer pass
// stops there). The bytes the length takes are the ones now made valid UTF-8.
TEST (HostStateFindings, ALengthThatCutsACharacterShortNeverReadsPastTheText)
{
    const auto kept = contents (juce::File (PLUMORA_FUZZ_INPUTS).getChildFile ("host_state/length-cuts-a-character-short.state"));
    ASSERT_GT (kept.getSize(), 8u);
    PlumoraAudioProcessor processor;
    const auto before = savedState (processor);
    processor.setStateInformation (kept.getData(), static_cast<int> (kept.getSize()));
    EXPECT_TRUE (savedState (processor) == before) << "the cut text is no document: the state stays as it was";

    const std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PARAMETERS presetName=\"Caf\xc3\xa9\">"
                             "<PARAM id=\"filt_cutoff\" value=\"640.0\"/></PARAMETERS>";
    const auto cut = static_cast<juce::uint32> (text.find ('\xc3') + 1);
    struct Case { const char* why; juce::uint32 length; bool restores; };
    const Case cases[] = {
        { "the whole text", static_cast<juce::uint32> (text.size()), true },
        { "a length past the chunk's end", static_cast<juce::uint32> (text.size() + 100), true },
        { "a length that ends inside the name's last character", cut, false },
        { "a negative length", 0xffffffffu, false },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.why);
        auto chunk = stateChunkOf (text.data(), text.size());
        chunk.copyFrom (&c.length, 4, 4);
        PlumoraAudioProcessor restored;
        const auto name = restored.getCurrentPresetName();
        restored.setStateInformation (chunk.getData(), static_cast<int> (chunk.getSize()));
        EXPECT_EQ (restored.getCurrentPresetName(), c.restores ? juce::String::fromUTF8 ("Caf\xc3\xa9") : name);
        EXPECT_EQ (restored.parameters().getRawParameterValue ("filt_cutoff")->load() == 640.0f, c.restores);
    }
}

// parameters-left-out.state: a chunk of an older session that lists two
// parameters. The others keep their values, but the parameter tree gave
// their entries a value only where the parameter had changed since the tree
// was last brought up to date (the host saving its project does that). The
// saved chunk then left those values out, and reopening it set the
// parameters to their defaults. Every parameter's entry now holds its value:
// the chunk saved after such a restore reopens to the same sound.
TEST (HostStateFindings, ParametersAChunkLeavesOutKeepTheirValuesThroughSaveAndReopen)
{
    const auto chunk = contents (juce::File (PLUMORA_FUZZ_INPUTS).getChildFile ("host_state/parameters-left-out.state"));
    ASSERT_GT (chunk.getSize(), 0u);
    PlumoraAudioProcessor processor;
    const auto value = [] (PlumoraAudioProcessor& p, const char* id) { return p.parameters().getRawParameterValue (id)->load(); };
    auto* tune = processor.parameters().getParameter ("osc1_tune");
    tune->setValueNotifyingHost (tune->convertTo0to1 (7.0f));
    const float tuned = value (processor, "osc1_tune");
    const float cutoff = value (processor, "filt_cutoff");
    savedState (processor); // as a host saving its project before it restores another
    processor.setStateInformation (chunk.getData(), static_cast<int> (chunk.getSize()));
    ASSERT_NE (value (processor, "filt_cutoff"), cutoff) << "the chunk restores";
    EXPECT_EQ (value (processor, "osc1_unison"), 3.0f);
    EXPECT_EQ (value (processor, "osc1_tune"), tuned) << "a parameter the chunk leaves out keeps its value";

    const auto saved = savedState (processor);
    const auto xml = juce::AudioProcessor::getXmlFromBinary (saved.getData(), static_cast<int> (saved.getSize()));
    ASSERT_NE (xml, nullptr);
    int entries = 0;
    for (const auto* parameter : xml->getChildWithTagNameIterator ("PARAM"))
    {
        ++entries;
        EXPECT_TRUE (isNumberText (parameter->getStringAttribute ("value"))) << parameter->getStringAttribute ("id") << " has no value";
    }
    EXPECT_EQ (entries, kNumParameters);

    PlumoraAudioProcessor reopened;
    reopened.setStateInformation (saved.getData(), static_cast<int> (saved.getSize()));
    EXPECT_TRUE (savedState (reopened) == saved) << "the saved chunk reopens to a different state";
    EXPECT_EQ (value (reopened, "osc1_tune"), tuned);
    for (int row = 0; row < kNumParameters; ++row)
    {
        const auto* id = parameterCatalogue()[row].id;
        EXPECT_EQ (value (reopened, id), value (processor, id)) << id;
    }
}

// instruction-before-text.state: a saved chunk of "Euro Bell Stab", mangled
// so that a processing instruction ("<?...?>") stands among the entries with
// text after it. JUCE's XML reader skips such an instruction as white space,
// then steps back before it to read the text as a text element, meets the
// instruction again and never returns: a host opening the project hung. The
// instructions are now blanked before the chunk is read. That chunk, broken
// elsewhere too, then reads as no XML and changes nothing; chunks that are
// whole apart from their instructions restore every entry.
TEST (HostStateFindings, AProcessingInstructionBeforeTextNeitherHangsNorLosesTheEntries)
{
    const auto kept = contents (juce::File (PLUMORA_FUZZ_INPUTS).getChildFile ("host_state/instruction-before-text.state"));
    ASSERT_GT (kept.getSize(), 0u);
    PlumoraAudioProcessor processor;
    const auto before = savedState (processor);
    processor.setStateInformation (kept.getData(), static_cast<int> (kept.getSize()));
    EXPECT_TRUE (savedState (processor) == before);

    struct Case { const char* why; const char* content; };
    const Case cases[] = {
        { "text right after an instruction", "<?x?>text" },
        { "white space between them", "<?x y?> \n text" },
        { "an empty instruction", "<?" "?>t" },
        { "an instruction after a comment", "<!-- c --><?x?>t" },
        { "two instructions", "<?a?><?b?>t" },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.why);
        const auto text = juce::String ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PARAMETERS presetName=\"Kept\">")
                          + "<PARAM id=\"filt_cutoff\" value=\"640.0\"/>" + c.content + "<PARAM id=\"filt_reso\" value=\"0.5\"/></PARAMETERS>";
        const auto chunk = stateChunkOf (text.toRawUTF8(), text.getNumBytesAsUTF8());

        PlumoraAudioProcessor restored;
        restored.setStateInformation (chunk.getData(), static_cast<int> (chunk.getSize()));
        EXPECT_EQ (restored.getCurrentPresetName(), "Kept");
        EXPECT_EQ (restored.parameters().getRawParameterValue ("filt_cutoff")->load(), 640.0f);
        EXPECT_FLOAT_EQ (restored.parameters().getRawParameterValue ("filt_reso")->load(), 0.5f);
    }
}

// routings-given-twice.state: a chunk of "Euro Bell Stab" that carries its
// routing list twice, once mangled in among the entries. The first list was
// restored and taken out of the parameter tree; the other stayed there, was
// saved again ahead of the engine's own, and restoring the saved chunk read
// that one instead. The first list still counts, and now every list is taken
// out: the saved chunk holds one, the engine's, and reopens to itself.
TEST (HostStateFindings, ARoutingListGivenTwiceCountsOnceAndIsSavedOnce)
{
    const auto countLists = [] (const juce::MemoryBlock& chunk)
    {
        const auto xml = juce::AudioProcessor::getXmlFromBinary (chunk.getData(), static_cast<int> (chunk.getSize()));
        int lists = 0;
        for (auto* list = xml != nullptr ? xml->getChildByName ("MODROUTINGS") : nullptr; list != nullptr;
             list = list->getNextElementWithTagName ("MODROUTINGS"))
            ++lists;
        return lists;
    };
    const auto kept = contents (juce::File (PLUMORA_FUZZ_INPUTS).getChildFile ("host_state/routings-given-twice.state"));
    ASSERT_GT (kept.getSize(), 0u);
    PlumoraAudioProcessor processor;
    processor.setStateInformation (kept.getData(), static_cast<int> (kept.getSize()));
    const auto saved = savedState (processor);
    EXPECT_EQ (countLists (saved), 1);
    PlumoraAudioProcessor reopened;
    reopened.setStateInformation (saved.getData(), static_cast<int> (saved.getSize()));
    EXPECT_TRUE (savedState (reopened) == saved);

    juce::XmlElement root ("PARAMETERS");
    for (const auto& [source, target] : { std::pair { "lfo1", "filt_cutoff" }, std::pair { "lfo2", "osc1_pan" } })
    {
        auto* routing = root.createNewChildElement ("MODROUTINGS")->createNewChildElement ("ROUTING");
        routing->setAttribute ("source", source);
        routing->setAttribute ("target", target);
        routing->setAttribute ("depth", 0.5);
        routing->setAttribute ("scope", 0);
    }
    juce::MemoryBlock chunk;
    juce::AudioProcessor::copyXmlToBinary (root, chunk);
    PlumoraAudioProcessor restored;
    restored.setStateInformation (chunk.getData(), static_cast<int> (chunk.getSize()));
    const auto& routings = restored.engine().modMatrix().routings();
    ASSERT_EQ (routings.size(), 1u);
    EXPECT_EQ (routings[0].source, ModSourceID::lfo1);
    EXPECT_EQ (routings[0].target, index (ParamID::filt_cutoff));
    EXPECT_EQ (countLists (savedState (restored)), 1);
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

// minus-before-a-non-digit.pmpreset: a mangled preset whose filt_reso reads
// a minus sign, a stray byte and 18 nines. juce::JSON takes whatever follows
// a minus sign as a number's first digit: the stray byte's value times 10^18
// overflowed its 64-bit integer (undefined behaviour; the sanitizer pass
// stops on it), and "-x5" read as -725. A minus sign before anything but a
// digit (white space aside) now makes the text no JSON, as a syntax error
// does; strings and exponents keep theirs.
TEST (PresetJsonFindings, AMinusSignBeforeANonDigitMakesTheTextNoJson)
{
    const auto kept = contents (juce::File (PLUMORA_FUZZ_INPUTS).getChildFile ("preset_json/minus-before-a-non-digit.pmpreset"));
    ASSERT_GT (kept.getSize(), 0u);
    EXPECT_TRUE (presetFromJson (juce::String::createStringFromData (kept.getData(), static_cast<int> (kept.getSize()))).parameters.empty());

    struct Case { const char* value; bool read; float expected; };
    const Case cases[] = {
        { "-x5", false, 0.0f }, { "-\xc3\xa9" "99999999999999", false, 0.0f }, { "--5", false, 0.0f }, { "-", false, 0.0f },
        { "-5", true, -5.0f }, { "- 5", true, -5.0f }, { "-0.25", true, -0.25f }, { "-1e-2", true, -0.01f }, { "2E-1", true, 0.2f },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.value);
        const auto document = presetFromJson (juce::String::fromUTF8 (R"({"name": "A - B", "parameters": {"osc1_level": 0.5, "filt_reso": )")
                                              + juce::String::fromUTF8 (c.value) + "}}");
        ASSERT_EQ (document.parameters.size(), c.read ? 2u : 0u);
        if (c.read)
        {
            EXPECT_EQ (document.name, "A - B");
            EXPECT_FLOAT_EQ (document.parameters[1].second, c.expected);
        }
    }
    EXPECT_EQ (presetFromJson (R"({"name": 'Lead -Bright', "version": 2})").name, "Lead -Bright") << "juce::JSON takes single-quoted strings";
}

// The preset fuzzer's write-and-read-back check fails on values no float
// holds: a number past the float range read as an infinity, written as null
// and read back as 0, and "nan" likewise. Such a value now reads as the
// largest float of its sign, and "nan" leaves the parameter out (it takes its
// default when the preset is applied); either way writing and reading back
// keeps the document as it was.
TEST (PresetJsonFindings, ValuesBeyondAFloatReadAsWhatAWrittenDocumentKeeps)
{
    constexpr float kLargest = std::numeric_limits<float>::max();
    struct Case { const char* literal; bool kept; float expected; };
    const Case cases[] = {
        { "1e39", true, kLargest }, { "-1e300", true, -kLargest }, { "\"inf\"", true, kLargest }, { "\"-inf\"", true, -kLargest },
        { "3.4028234663852886e38", true, kLargest }, { "1e-50", true, 0.0f }, { "\"nan\"", false, 0.0f },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.literal);
        const auto document = presetFromJson (juce::String (R"({"name": "Edge", "scope": "complete", "parameters": {"master_vol": -3, "filt_cutoff": )")
                                              + c.literal + R"(}, "modRoutings": [{"source": "lfo1", "target": "filt_cutoff", "depth": )"
                                              + c.literal + R"(}], "macros": [)" + c.literal + ", " + c.literal + "]}");
        ASSERT_EQ (document.parameters.size(), c.kept ? 2u : 1u);
        EXPECT_EQ (document.parameters[0].first, "master_vol");
        if (c.kept)
        {
            EXPECT_EQ (document.parameters[1].second, c.expected);
        }
        ASSERT_EQ (document.routings.size(), 1u);
        EXPECT_EQ (document.routings[0].depth, c.expected);
        EXPECT_EQ (document.macro1, c.expected);

        const auto again = presetFromJson (presetToJson (document));
        ASSERT_EQ (again.parameters.size(), document.parameters.size());
        for (std::size_t i = 0; i < document.parameters.size(); ++i)
        {
            EXPECT_EQ (again.parameters[i].first, document.parameters[i].first);
            EXPECT_EQ (again.parameters[i].second, document.parameters[i].second);
        }
        ASSERT_EQ (again.routings.size(), 1u);
        EXPECT_EQ (again.routings[0].depth, document.routings[0].depth);
        EXPECT_EQ (again.macro1, document.macro1);

        const auto values = presetValuesOver (presetValuesOver ({}, PresetDocument {}), document);
        EXPECT_EQ (values[static_cast<std::size_t> (index (ParamID::filt_cutoff))],
                   c.kept ? parameterSpec (ParamID::filt_cutoff).clamp (c.expected) : parameterSpec (ParamID::filt_cutoff).defaultValue);
    }
}

// character-beyond-16-bits-in-a-key.pmpreset: a mangled preset with a
// parameter key holding a character beyond the 16-bit range. Writing gives
// such a character as an escaped UTF-16 surrogate pair, as JSON does, but
// juce::JSON read the pair as two broken characters: the key changed on
// reading the written document back, and a preset named "Keys" and a
// keyboard emoji came back under another name. The pair now reads as the
// character, however the text writes it.
TEST (PresetJsonFindings, CharactersBeyondSixteenBitsSurviveWritingAndReadingBack)
{
    const auto kept = contents (juce::File (PLUMORA_FUZZ_INPUTS).getChildFile ("preset_json/character-beyond-16-bits-in-a-key.pmpreset"));
    const auto mangled = presetFromJson (juce::String::createStringFromData (kept.getData(), static_cast<int> (kept.getSize())));
    ASSERT_FALSE (mangled.parameters.empty());
    const auto mangledAgain = presetFromJson (presetToJson (mangled));
    ASSERT_EQ (mangledAgain.parameters.size(), mangled.parameters.size());
    for (std::size_t i = 0; i < mangled.parameters.size(); ++i)
        EXPECT_EQ (mangledAgain.parameters[i].first, mangled.parameters[i].first);

    const auto keys = juce::String::fromUTF8 ("Keys \xf0\x9f\x8e\xb9");
    struct Case { const char* why; std::string literal; juce::String expected; };
    const Case cases[] = {
        { "an escaped pair", R"("Keys \ud83c\udfb9")", keys },
        { "an escaped pair in capitals", R"("Keys \uD83C\uDFB9")", keys },
        { "the character's own bytes", "\"Keys \xf0\x9f\x8e\xb9\"", keys },
        { "a single-quoted string", R"('Keys \ud83c\udfb9')", keys },
        { "escaped backslashes: no pair", R"("Keys \\ud83c\\udfb9")", juce::String (R"(Keys \ud83c\udfb9)") },
        { "a lone surrogate stays one", R"("Keys \ud83c!")", "Keys " + juce::String::charToString (0xd83c) + "!" },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.why);
        const auto document = presetFromJson (juce::String::fromUTF8 (("{\"name\": " + c.literal + R"(, "parameters": {"filt_cutoff": 900}})").c_str()));
        EXPECT_EQ (document.name, c.expected);
        ASSERT_EQ (document.parameters.size(), 1u) << "the rest of the document reads";
        EXPECT_EQ (presetFromJson (presetToJson (document)).name, c.expected);
    }

    // Through a preset file, as a user saves and loads one.
    const juce::TemporaryFile folder;
    ASSERT_TRUE (folder.getFile().createDirectory());
    const auto file = folder.getFile().getChildFile ("keys.pmpreset");
    PresetDocument saved;
    saved.name = keys;
    saved.parameters = { { "filt_cutoff", 900.0f } };
    ASSERT_TRUE (writePresetFile (saved, file));
    EXPECT_EQ (readPresetFile (file).name, keys);
    folder.getFile().deleteRecursively();
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
