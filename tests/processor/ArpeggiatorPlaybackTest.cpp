// The arpeggiator as a DAW drives it: keys arrive as MIDI in processBlock and
// the host's play head supplies the tempo.

#include "processor/PluginProcessor.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plumora;

namespace
{
constexpr double kRate = 48000.0;
constexpr int kBlock = 512;

class TempoPlayHead : public juce::AudioPlayHead
{
public:
    double bpm = 120.0;
    juce::Optional<PositionInfo> getPosition() const override
    {
        PositionInfo info;
        info.setBpm (bpm);
        info.setIsPlaying (true);
        return info;
    }
};

struct Start
{
    int block, note, channel;
};

struct ArpPlayback : testing::Test
{
    PlumoraAudioProcessor processor;
    TempoPlayHead playHead;
    juce::AudioBuffer<float> buffer { 2, kBlock };
    int blockCount = 0;
    std::vector<Start> starts;

    ArpPlayback()
    {
        processor.setPlayHead (&playHead);
        processor.prepareToPlay (kRate, kBlock);
        set ("arp_enabled", 1.0f);
        set ("arp_rate", 1.0f); // 1/8: 12000 samples at 120 BPM
        set ("amp_release", 0.01f);
    }

    ~ArpPlayback() override { processor.setPlayHead (nullptr); }

    void set (const char* id, float value)
    {
        auto* parameter = processor.parameters().getParameter (id);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
    }

    const Voice& voice (int i) { return processor.engine().voicePool()[i]; }

    // One block; voices that went from idle to sounding are recorded as starts.
    void block (juce::MidiBuffer midi = {})
    {
        bool wasIdle[VoicePool::kSize];
        for (int i = 0; i < VoicePool::kSize; ++i)
            wasIdle[i] = voice (i).isIdle();
        processor.processBlock (buffer, midi);
        for (int i = 0; i < VoicePool::kSize; ++i)
            if (wasIdle[i] && ! voice (i).isIdle())
                starts.push_back ({ blockCount, voice (i).note(), voice (i).channel() });
        ++blockCount;
    }

    void blocks (int count)
    {
        for (int i = 0; i < count; ++i)
            block();
    }

    void keys (std::initializer_list<int> notes, bool on, int channel = 1)
    {
        juce::MidiBuffer midi;
        for (const int note : notes)
            midi.addEvent (on ? juce::MidiMessage::noteOn (channel, note, 0.9f) : juce::MidiMessage::noteOff (channel, note), 0);
        block (midi);
    }
};
} // namespace

TEST_F (ArpPlayback, PlaysTheChordUpOnTheHostTempoGrid)
{
    keys ({ 60, 64, 67 }, true);
    blocks (139); // 140 blocks of 512 = 71680 samples: steps at 0, 12000, ..., 60000

    ASSERT_EQ (starts.size(), 6u);
    const int expectedNotes[] = { 60, 64, 67, 60, 64, 67 };
    for (int k = 0; k < 6; ++k)
    {
        EXPECT_EQ (starts[static_cast<std::size_t> (k)].note, expectedNotes[k]);
        EXPECT_EQ (starts[static_cast<std::size_t> (k)].block, (12000 * k) / kBlock) << "step " << k;
    }
}

TEST_F (ArpPlayback, KeysFeedThePatternAndNotesPlayOnChannelOne)
{
    keys ({ 62 }, true, 5);
    ASSERT_EQ (starts.size(), 1u);
    EXPECT_EQ (starts[0].block, 0) << "the first key sounds in its own block";
    EXPECT_EQ (starts[0].channel, 1);
    EXPECT_EQ (processor.engine().activeVoiceCount(), 1);
}

TEST_F (ArpPlayback, FollowsTempoChangesAndIgnoresUnusableTempos)
{
    playHead.bpm = 240.0; // 6000 samples a step
    keys ({ 60 }, true);
    blocks (47);
    EXPECT_EQ (starts.size(), 5u); // 0, 6000, ..., 24000 within 24576 samples

    for (const double bad : { 0.0, -120.0, std::nan (""), 1.0e300 })
    {
        playHead.bpm = bad;
        blocks (5);
    }
    for (const auto& s : starts)
        EXPECT_EQ (s.note, 60);
    for (int i = 0; i < kBlock; ++i)
        ASSERT_TRUE (std::isfinite (buffer.getSample (0, i)));
}

TEST_F (ArpPlayback, SwitchingOffReleasesTheNotesItWasPlaying)
{
    keys ({ 60, 64 }, true);
    blocks (2);
    ASSERT_EQ (processor.engine().activeVoiceCount(), 1);
    set ("arp_enabled", 0.0f);
    blocks (1);
    EXPECT_EQ (voice (0).state(), Voice::Release);
    blocks (10);
    EXPECT_EQ (processor.engine().activeVoiceCount(), 0);

    // Back on: keys held before are not in the pattern until pressed again.
    set ("arp_enabled", 1.0f);
    blocks (50);
    EXPECT_EQ (processor.engine().activeVoiceCount(), 0);
}

TEST_F (ArpPlayback, LegatoGlidesFromTheLastArpeggiatedNote)
{
    set ("arp_legato", 1.0f);
    set ("glide_time", 0.05f);
    keys ({ 57, 69 }, true);
    blocks (30);
    ASSERT_GE (starts.size(), 2u);
    EXPECT_EQ (starts[1].note, 69);
    for (int i = 0; i < VoicePool::kSize; ++i)
        if (! voice (i).isIdle() && voice (i).note() == 69)
        {
            EXPECT_EQ (voice (i).glide().fromHz, 220.0f);
        }
}

TEST_F (ArpPlayback, NotesPlayedBeforeTheArpeggiatorStillEndWithTheirKeys)
{
    set ("arp_enabled", 0.0f);
    keys ({ 48 }, true);
    set ("arp_enabled", 1.0f);
    blocks (1);
    keys ({ 48 }, false);
    EXPECT_EQ (voice (0).state(), Voice::Release);
}

// Hosts call prepareToPlay again while playing (a new rate or buffer size),
// at any moment of a step. The notes the arpeggiator had started end, and
// the keys still held go on arpeggiating; once they are let go, all is quiet.
TEST_F (ArpPlayback, PreparingAgainWhilePlayingLeavesNoVoiceHangingAndKeepsTheKeys)
{
    set ("arp_gate", 0.5f);
    for (int timing = 0; timing < 17; ++timing)
    {
        SCOPED_TRACE ("blocks before the re-prepare: " + std::to_string (timing));
        keys ({ 60, 64 }, true);
        blocks (timing * 3 % 23 + 1);
        processor.prepareToPlay (timing % 2 == 0 ? kRate : 44100.0, kBlock);
        for (int i = 0; i < VoicePool::kSize; ++i)
            EXPECT_FALSE (voice (i).isHeld()) << "voice " << i << " still held after the re-prepare";

        starts.clear();
        blocks (60); // two and a half steps of 1/8 at 120 BPM
        EXPECT_GE (starts.size(), 2u) << "the held keys stopped arpeggiating";

        keys ({ 60, 64 }, false);
        blocks (40);
        EXPECT_EQ (processor.engine().activeVoiceCount(), 0) << "a voice hangs after the keys are let go";
        processor.prepareToPlay (kRate, kBlock);
    }
}
