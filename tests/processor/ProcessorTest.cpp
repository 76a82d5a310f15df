#include "processor/PluginProcessor.h"
#include "support/AllocationCounter.h"
#include "support/Spectrum.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plumora;

namespace
{
constexpr double kRate = 48000.0;
constexpr int kBlock = 256;

class FixedPlayHead : public juce::AudioPlayHead
{
public:
    juce::Optional<PositionInfo> position;
    juce::Optional<PositionInfo> getPosition() const override { return position; }
};

struct ProcessorFixture : testing::Test
{
    PlumoraAudioProcessor processor;
    juce::AudioBuffer<float> buffer { 2, kBlock };

    // The processor starts as the factory preset "First Light"; these tests
    // are about the processor itself and start from the catalogue defaults
    // (and the engine's own start-up tables).
    ProcessorFixture()
    {
        PresetDocument defaults;
        defaults.name = "Init";
        defaults.wavetable1 = "factory:analog_stack";
        defaults.wavetable2 = "factory:saw";
        processor.presets().loadPreset (defaults);
        processor.prepareToPlay (kRate, kBlock);
    }

    void process (juce::MidiBuffer midi = {})
    {
        processor.processBlock (buffer, midi);
    }

    void process (std::initializer_list<juce::MidiMessage> messages)
    {
        juce::MidiBuffer midi;
        int position = 0;
        for (const auto& message : messages)
            midi.addEvent (message, position++ * 50);
        process (midi);
    }

    const Voice& voice (int i) { return processor.engine().voicePool()[i]; }

    void setParameter (const char* id, float plainValue)
    {
        auto* parameter = processor.parameters().getParameter (id);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (plainValue));
    }

    float parameter (const char* id) { return processor.parameters().getRawParameterValue (id)->load(); }

    juce::MemoryBlock saveState()
    {
        juce::MemoryBlock chunk;
        processor.getStateInformation (chunk);
        return chunk;
    }
};
} // namespace

TEST_F (ProcessorFixture, IdentityAndBusesAreThoseOfASynth)
{
    EXPECT_EQ (processor.getName(), "Plumora");
    EXPECT_TRUE (processor.acceptsMidi());
    EXPECT_FALSE (processor.producesMidi());
    EXPECT_FALSE (processor.isMidiEffect());
    EXPECT_TRUE (processor.hasEditor());
    EXPECT_EQ (processor.getTotalNumInputChannels(), 0);
    EXPECT_EQ (processor.getTotalNumOutputChannels(), 2);
    EXPECT_EQ (processor.getBus (false, 0)->getName(), "Output");

    auto layout = processor.getBusesLayout();
    EXPECT_TRUE (processor.checkBusesLayoutSupported (layout));
    layout.outputBuses.getReference (0) = juce::AudioChannelSet::mono();
    EXPECT_FALSE (processor.checkBusesLayoutSupported (layout));
    layout.outputBuses.getReference (0) = juce::AudioChannelSet::create5point1();
    EXPECT_FALSE (processor.checkBusesLayoutSupported (layout));
}

TEST_F (ProcessorFixture, ProgramsAreTheFactoryListAndIndicesOutsideItAreIgnored)
{
    const auto& factory = processor.presets().getFactoryPresets();
    ASSERT_FALSE (factory.empty());
    const int count = static_cast<int> (factory.size());
    EXPECT_EQ (processor.getNumPrograms(), count);
    EXPECT_EQ (processor.getProgramName (0), factory.front().name);
    EXPECT_EQ (processor.getProgramName (-1), "");
    EXPECT_EQ (processor.getProgramName (count), "");
    EXPECT_EQ (processor.getCurrentPresetName(), "Init");
    EXPECT_EQ (processor.getProgramName (processor.getCurrentProgram()), "First Light")
        << "a preset outside the factory list keeps the program the host last saw";

    processor.setCurrentProgram (count);
    processor.setCurrentProgram (-1);
    EXPECT_EQ (processor.getCurrentPresetName(), "Init") << "out-of-range programs load nothing";
    EXPECT_EQ (parameter ("filt_cutoff"), parameterSpec (ParamID::filt_cutoff).defaultValue);

    processor.setCurrentProgram (count - 1);
    EXPECT_EQ (processor.getCurrentPresetName(), factory.back().name);
    EXPECT_EQ (processor.getCurrentProgram(), count - 1);
}

TEST_F (ProcessorFixture, NoteOnAndOffReachTheEngineWithVelocityScaled)
{
    process ({ juce::MidiMessage::noteOn (1, 60, (juce::uint8) 127), juce::MidiMessage::noteOn (3, 64, (juce::uint8) 64) });
    EXPECT_EQ (voice (0).note(), 60);
    EXPECT_FLOAT_EQ (voice (0).velocity(), 1.0f);
    EXPECT_EQ (voice (1).note(), 64);
    EXPECT_EQ (voice (1).channel(), 3);
    EXPECT_FLOAT_EQ (voice (1).velocity(), 64.0f / 127.0f);

    // Note on with velocity 0 is a note off; a note off's own velocity does not matter.
    process ({ juce::MidiMessage::noteOn (1, 60, (juce::uint8) 0), juce::MidiMessage::noteOff (3, 64, (juce::uint8) 99) });
    EXPECT_EQ (voice (0).state(), Voice::Release);
    EXPECT_EQ (voice (1).state(), Voice::Release);
}

TEST_F (ProcessorFixture, PitchWheelCentreAndExtremes)
{
    const auto bendAfter = [this] (int wheel)
    {
        process ({ juce::MidiMessage::pitchWheel (1, wheel) });
        return processor.engine().globalSources().pitchBend;
    };

    EXPECT_EQ (bendAfter (0x2000), 0.0f);
    EXPECT_EQ (bendAfter (0), -1.0f);
    EXPECT_EQ (bendAfter (0x3fff), 8191.0f / 8192.0f);
}

TEST_F (ProcessorFixture, ControllersAndPressureAreScaledToUnitRange)
{
    process ({ juce::MidiMessage::noteOn (1, 60, 0.5f) });
    process ({ juce::MidiMessage::controllerEvent (2, 1, 127),
               juce::MidiMessage::channelPressureChange (1, 64),
               juce::MidiMessage::aftertouchChange (9, 60, 127),
               juce::MidiMessage::programChange (1, 5) });

    const auto sources = processor.engine().globalSources();
    EXPECT_EQ (sources.modWheel, 1.0f);
    EXPECT_FLOAT_EQ (sources.channelPressure, 64.0f / 127.0f);
    EXPECT_EQ (voice (0).expression.polyPressure, 1.0f);
}

TEST_F (ProcessorFixture, MalformedMidiBytesAreIgnored)
{
    juce::MidiBuffer midi;
    const juce::uint8 truncatedNoteOn[] = { 0x90, 60 };
    const juce::uint8 dataWithoutStatus[] = { 0x3c, 0x40, 0x40 };
    const juce::uint8 sysex[] = { 0xf0, 0x7e, 0x7f, 0x09, 0x01, 0xf7 };
    midi.addEvent (truncatedNoteOn, 2, 0);
    midi.addEvent (dataWithoutStatus, 3, 1);
    midi.addEvent (sysex, 6, 2);
    process (midi);

    EXPECT_EQ (processor.engine().activeVoiceCount(), 0);
}

TEST_F (ProcessorFixture, ParametersArePushedIntoTheEngineEveryBlock)
{
    setParameter ("filt_cutoff", 1234.0f);
    setParameter ("voice_mode", 1.0f);
    process();
    EXPECT_NEAR (processor.engine().parameterValue (ParamID::filt_cutoff), 1234.0f, 0.01f);
    EXPECT_EQ (processor.engine().parameterValue (ParamID::voice_mode), 1.0f);

    // A target set directly on the engine is overwritten by the next push.
    processor.engine().setParameter (ParamID::filt_cutoff, 300.0f);
    process();
    EXPECT_NEAR (processor.engine().parameterValue (ParamID::filt_cutoff), 1234.0f, 0.01f);
}

TEST_F (ProcessorFixture, HostTempoFollowsThePlayHeadAndIgnoresUnusableValues)
{
    FixedPlayHead playHead;
    processor.setPlayHead (&playHead);

    juce::AudioPlayHead::PositionInfo info;
    info.setBpm (93.0);
    playHead.position = info;
    process();
    EXPECT_EQ (processor.engine().tempo(), 93.0);

    for (const double unusable : { 0.0, -20.0, std::nan ("") })
    {
        info.setBpm (unusable);
        playHead.position = info;
        process();
        EXPECT_EQ (processor.engine().tempo(), 93.0) << unusable;
    }

    // A position that carries no tempo changes nothing.
    playHead.position = juce::AudioPlayHead::PositionInfo();
    process();
    EXPECT_EQ (processor.engine().tempo(), 93.0);

    // No position at all changes nothing.
    info.setBpm (140.0);
    playHead.position = info;
    process();
    playHead.position = {};
    process();
    EXPECT_EQ (processor.engine().tempo(), 140.0);

    processor.setPlayHead (nullptr);
}

TEST_F (ProcessorFixture, OnScreenKeyboardNotesArePlayed)
{
    processor.keyboardState().noteOn (1, 72, 0.8f);
    process();
    EXPECT_EQ (voice (0).note(), 72);
    EXPECT_FLOAT_EQ (voice (0).velocity(), std::round (0.8f * 127.0f) / 127.0f);
}

TEST_F (ProcessorFixture, ANoteSoundsAtItsPitchAndStopsAfterItsRelease)
{
    setParameter ("osc1_unison", 1.0f);
    setParameter ("osc1_drift_amt", 0.0f);
    for (const char* effect : { "chorus_bypass", "delay_bypass", "reverb_bypass" })
        setParameter (effect, 1.0f); // no effect tails after the note
    process ({ juce::MidiMessage::noteOn (1, 69, 1.0f) });
    std::vector<float> left;
    for (int block = 0; block < 128; ++block)
    {
        process();
        left.insert (left.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + kBlock);
    }
    EXPECT_NEAR (test::dominantFrequency (left, kRate), 440.0, 1.0);
    EXPECT_GT (test::rms (left), 0.01);

    process ({ juce::MidiMessage::noteOff (1, 69) });
    for (int block = 0; block < 400; ++block) // release 0.5 s ends within about a second
        process();
    EXPECT_EQ (buffer.getMagnitude (0, 0, kBlock), 0.0f);
    EXPECT_EQ (processor.engine().activeVoiceCount(), 0);
}

TEST_F (ProcessorFixture, BlocksLongerThanPreparedAreRenderedSafely)
{
    juce::AudioBuffer<float> longBuffer (2, kBlock * 5 + 3);
    longBuffer.clear();
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, 1.0f), 0);
    processor.processBlock (longBuffer, midi);
    EXPECT_GT (longBuffer.getMagnitude (0, kBlock * 5, 3), 0.0f) << "the last piece is rendered too";
    for (int i = 0; i < longBuffer.getNumSamples(); ++i)
        ASSERT_TRUE (std::isfinite (longBuffer.getSample (0, i)));
    EXPECT_EQ (processor.engine().activeVoiceCount(), 1);
}

TEST_F (ProcessorFixture, ProcessBlockDoesNotAllocate)
{
    process ({ juce::MidiMessage::noteOn (1, 40, 1.0f) }); // warm-up
    juce::MidiBuffer midi;
    for (int note = 0; note < 40; ++note)
        midi.addEvent (juce::MidiMessage::noteOn (1 + note % 16, 40 + note, 0.7f), note);
    for (int note = 0; note < 40; ++note)
        midi.addEvent (juce::MidiMessage::noteOff (1 + note % 16, 40 + note), 100 + note);
    midi.addEvent (juce::MidiMessage::controllerEvent (1, 64, 127), 200);
    midi.addEvent (juce::MidiMessage::pitchWheel (2, 100), 201);

    test::ScopedAllocationCounter allocations;
    for (int block = 0; block < 20; ++block)
        processor.processBlock (buffer, midi);
    EXPECT_EQ (allocations.count(), 0u);
}

TEST_F (ProcessorFixture, StateRoundTripRestoresParametersModeAndPresetName)
{
    setParameter ("filt_cutoff", 777.0f);
    setParameter ("arp_pattern", 5.0f);
    processor.setUiMode (1);
    // A name beyond plain ASCII, up to a character past 16 bits, as users type them.
    const auto name = juce::String::fromUTF8 ("My Sound \xc3\xa9 \xf0\x9f\x8e\xb9");
    processor.setCurrentPresetName (name);
    const auto chunk = saveState();

    const auto xml = juce::AudioProcessor::getXmlFromBinary (chunk.getData(), (int) chunk.getSize());
    ASSERT_NE (xml, nullptr);
    EXPECT_TRUE (xml->hasTagName ("PARAMETERS"));
    EXPECT_EQ (xml->getIntAttribute ("uiMode"), 1);
    EXPECT_EQ (xml->getStringAttribute ("presetName"), name);
    int parameterElements = 0;
    for (const auto* child : xml->getChildIterator())
        parameterElements += child->hasTagName ("PARAM") ? 1 : 0;
    EXPECT_EQ (parameterElements, kNumParameters);

    PlumoraAudioProcessor restored;
    restored.setStateInformation (chunk.getData(), (int) chunk.getSize());
    EXPECT_NEAR (restored.parameters().getRawParameterValue ("filt_cutoff")->load(), 777.0f, 0.01f);
    EXPECT_EQ (restored.parameters().getRawParameterValue ("arp_pattern")->load(), 5.0f);
    EXPECT_EQ (restored.uiMode(), 1);
    EXPECT_EQ (restored.getCurrentPresetName(), name);
}

TEST_F (ProcessorFixture, StateSavedUnderInitOrWithoutANameStillRestoresTheSound)
{
    // A sound made from the initial patch is the user's work too: it must come back.
    for (const char* name : { "Init", "" })
    {
        setParameter ("filt_reso", 0.6f);
        processor.setCurrentPresetName (name);
        const auto chunk = saveState();

        PlumoraAudioProcessor restored;
        restored.setCurrentPresetName ("Other");
        restored.setStateInformation (chunk.getData(), (int) chunk.getSize());
        EXPECT_NEAR (restored.parameters().getRawParameterValue ("filt_reso")->load(), 0.6f, 1e-6f) << name;
        EXPECT_EQ (restored.getCurrentPresetName(), "Init") << name;
    }
}

TEST_F (ProcessorFixture, UnusableStateChunksChangeNothing)
{
    setParameter ("filt_cutoff", 900.0f);
    processor.setUiMode (1);
    processor.setCurrentPresetName ("Kept");
    const auto before = saveState();

    juce::MemoryBlock wrongRoot;
    juce::AudioProcessor::copyXmlToBinary (juce::XmlElement ("SOMETHING"), wrongRoot);

    juce::MemoryBlock truncated (before);
    truncated.setSize (before.getSize() / 2);

    juce::MemoryBlock garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append (&i, 1);

    juce::MemoryBlock plainXmlText;
    plainXmlText.append ("<PARAMETERS presetName=\"x\"/>", 28);

    for (const auto* chunk : { &wrongRoot, &truncated, &garbage, &plainXmlText })
    {
        processor.setStateInformation (chunk->getData(), (int) chunk->getSize());
        EXPECT_EQ (saveState(), before);
    }
    processor.setStateInformation (nullptr, 0);
    processor.setStateInformation (before.getData(), -4);
    EXPECT_EQ (saveState(), before);
}

TEST_F (ProcessorFixture, BadValuesInsideAChunkKeepTheCurrentValues)
{
    setParameter ("filt_cutoff", 900.0f);
    setParameter ("filt_reso", 0.25f);

    juce::XmlElement xml ("PARAMETERS");
    xml.setAttribute ("presetName", "Edited");
    auto* cutoff = xml.createNewChildElement ("PARAM");
    cutoff->setAttribute ("id", "filt_cutoff");
    cutoff->setAttribute ("value", "not a number");
    auto* reso = xml.createNewChildElement ("PARAM");
    reso->setAttribute ("id", "filt_reso");
    reso->setAttribute ("value", "nan");
    auto* drive = xml.createNewChildElement ("PARAM");
    drive->setAttribute ("id", "filt_drive");
    drive->setAttribute ("value", 5.0); // out of range: clamped by the parameter
    auto* unknown = xml.createNewChildElement ("PARAM");
    unknown->setAttribute ("id", "no_such_parameter");
    unknown->setAttribute ("value", 1.0);

    juce::MemoryBlock chunk;
    juce::AudioProcessor::copyXmlToBinary (xml, chunk);
    processor.setStateInformation (chunk.getData(), (int) chunk.getSize());

    EXPECT_NEAR (parameter ("filt_cutoff"), 900.0f, 0.01f);
    EXPECT_NEAR (parameter ("filt_reso"), 0.25f, 1e-6f);
    EXPECT_EQ (parameter ("filt_drive"), 1.0f);
    EXPECT_EQ (processor.getCurrentPresetName(), "Edited");
    process();
    EXPECT_EQ (processor.engine().parameterValue (ParamID::filt_drive), 1.0f);
}

TEST_F (ProcessorFixture, TailLengthFollowsTheEngineAndNeverExceedsFifteenSeconds)
{
    setParameter ("reverb_bypass", 1.0f);
    setParameter ("delay_feedback", 0.5f);
    process();
    EXPECT_NEAR (processor.getTailLengthSeconds(), -3.0 / std::log10 (0.5) * 0.4, 1e-4);

    setParameter ("delay_feedback", 0.95f);
    setParameter ("delay_time_l", 2.0f);
    process();
    EXPECT_EQ (processor.getTailLengthSeconds(), 15.0);
}

TEST_F (ProcessorFixture, CpuLoadIsMeasuredPerBlock)
{
    EXPECT_EQ (processor.cpuLoadPercent(), 0.0f);
    process ({ juce::MidiMessage::noteOn (1, 60, 1.0f) });
    EXPECT_GT (processor.cpuLoadPercent(), 0.0f);
    EXPECT_TRUE (std::isfinite (processor.cpuLoadPercent()));
}

TEST_F (ProcessorFixture, GenericEditorOpensHeadless)
{
    std::unique_ptr<juce::AudioProcessorEditor> editor (processor.createEditorIfNeeded());
    ASSERT_NE (editor, nullptr);
    EXPECT_GT (editor->getWidth(), 0);
    processor.editorBeingDeleted (editor.get());
}
