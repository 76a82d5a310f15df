// MIDI events with sample offsets, fed through processBlock; every sample
// must be finite, during the stream and in the tail after it. One processor
// plays every input, reset before each; now and then an input plays on a new
// processor too and must sound the same.
//
// The bytes describe events rather than being the wire stream itself, so
// most mutations still give whole, valid messages: a flipped bit changes a
// note or a controller instead of turning the rest into stray data bytes.
//
// Input layout:
//   byte 0: set-up. Bits 0-1 the block size (32, 17, 64 or 128 samples), bit 2
//           MPE on, bit 3 the arpeggiator on, bit 4 the sustain pedal held
//           from the start, bits 5-7 the sound: 0-3 the startup preset, 4-7
//           one of four factory programs across the bank.
//   then records, each led by one byte:
//     0x80-0xEF  a channel message with that status byte; its one or two data
//                bytes follow, top bit cleared
//     0xF0       a sysex: the next byte (low five bits) gives the number of
//                data bytes that follow (top bits cleared); F7 ends it
//     0xF1-0xFF  a system message, as the wire has it; the data bytes of
//                F1, F2 and F3 follow, top bits cleared
//     0x00-0x3F  time: the clock moves on by (byte + 1) * 4 samples, up to
//                kLongestStream (later events share the last block)
//     0x40-0x5F  raw wire bytes: the next (byte - 0x3F) bytes as a cable
//                carries them, through a lenient driver's parser (running
//                status, messages cut short, stray data bytes, unterminated
//                sysex)
//     0x60-0x7F  a note-off for one of the last 32 notes started (low five
//                bits: 0 the newest), so notes end as played ones do

#include "FuzzSupport.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

using namespace plumora;

namespace
{
constexpr int kBlockSizes[] = { 32, 17, 64, 128 };
constexpr int kLargestBlock = 128;
constexpr std::size_t kLongestInput = 8192;
constexpr int kLongestStream = 768;   // samples; bounds the time an input takes
constexpr int kTailSamples = 96;      // into the release
constexpr int kTickSamples = 4;
constexpr int kProgramChoices = 4;

// How many data bytes follow a status byte (sysex aside).
int dataBytesAfter (std::uint8_t status)
{
    if (status < 0xf0)
        return (status & 0xe0) == 0xc0 ? 1 : 2; // program change and channel pressure take one
    switch (status)
    {
        case 0xf1: case 0xf3: return 1;
        case 0xf2:            return 2;
        default:              return 0;
    }
}

struct TimedEvent
{
    int sample;
    std::vector<std::uint8_t> bytes;
};

// The wire protocol's parser for the raw records, done by hand so that it
// hands over what a lenient driver would: complete messages with their
// status byte restored, and whatever was cut short as it is.
class WireParser
{
public:
    explicit WireParser (std::vector<TimedEvent>& output) : events (output) {}

    void feed (std::uint8_t byte, int now)
    {
        if (byte >= 0xf8) // real time: a single byte, even inside another message
        {
            events.push_back ({ now, { byte } });
            return;
        }
        if (inSysex)
        {
            if (byte < 0x80 || byte == 0xf7)
            {
                pending.push_back (byte);
                if (byte == 0xf7)
                    finish (now);
                return;
            }
            finish (now); // a status byte ends an unterminated sysex
        }
        if (byte >= 0x80)
        {
            finish (now); // a message cut short goes out as it is
            pending = { byte };
            inSysex = byte == 0xf0;
            runningStatus = byte < 0xf0 ? byte : 0; // system messages cancel running status
            needed = inSysex ? -1 : dataBytesAfter (byte);
            if (needed == 0)
                finish (now);
            return;
        }
        if (pending.empty())
        {
            if (runningStatus == 0)
                return; // a stray data byte: nothing to attach it to
            pending = { runningStatus };
            needed = dataBytesAfter (runningStatus);
        }
        pending.push_back (byte);
        if (static_cast<int> (pending.size()) == needed + 1)
            finish (now);
    }

    void finish (int now)
    {
        if (! pending.empty())
            events.push_back ({ now, std::move (pending) });
        pending.clear();
        inSysex = false;
    }

private:
    std::vector<TimedEvent>& events;
    std::vector<std::uint8_t> pending;
    std::uint8_t runningStatus = 0;
    int needed = 0;
    bool inSysex = false;
};

// The records of an input as timed events.
class EventReader
{
public:
    EventReader (const std::uint8_t* data, std::size_t size) : bytes (data), end (data + size) {}

    std::vector<TimedEvent> read()
    {
        WireParser wire (events);
        while (bytes < end)
        {
            const auto lead = next();
            if (lead >= 0x60)
                wire.finish (now); // as the status byte of a whole message would end one cut short
            if (lead >= 0x80 && lead < 0xf0)
                channelMessage (lead);
            else if (lead == 0xf0)
                sysex();
            else if (lead > 0xf0)
                systemMessage (lead);
            else if (lead < 0x40)
                now = std::min (now + (lead + 1) * kTickSamples, kLongestStream - 1);
            else if (lead < 0x60)
                for (int count = lead - 0x3f; count > 0 && bytes < end; --count)
                    wire.feed (next(), now);
            else
                releaseStartedNote (lead & 0x1f);
        }
        wire.finish (now);
        return std::move (events);
    }

    int endTime() const noexcept { return now; }

private:
    std::uint8_t next() { return bytes < end ? *bytes++ : 0; }
    std::uint8_t nextData() { return next() & 0x7f; }

    void channelMessage (std::uint8_t status)
    {
        std::vector<std::uint8_t> message { status, nextData() };
        if (dataBytesAfter (status) == 2)
            message.push_back (nextData());
        if ((status & 0xf0) == 0x90 && message[2] > 0)
        {
            started[startedCount % started.size()] = { static_cast<std::uint8_t> (status & 0x0f), message[1] };
            ++startedCount;
        }
        events.push_back ({ now, std::move (message) });
    }

    void sysex()
    {
        std::vector<std::uint8_t> message { 0xf0 };
        for (int count = next() & 0x1f; count > 0; --count)
            message.push_back (nextData());
        message.push_back (0xf7);
        events.push_back ({ now, std::move (message) });
    }

    void systemMessage (std::uint8_t status)
    {
        std::vector<std::uint8_t> message { status };
        for (int count = dataBytesAfter (status); count > 0; --count)
            message.push_back (nextData());
        events.push_back ({ now, std::move (message) });
    }

    void releaseStartedNote (int newest)
    {
        if (static_cast<std::size_t> (newest) >= std::min (startedCount, started.size()))
            return;
        const auto& note = started[(startedCount - 1 - static_cast<std::size_t> (newest)) % started.size()];
        events.push_back ({ now, { static_cast<std::uint8_t> (0x80 | note.channel), note.number, 0x40 } });
    }

    struct StartedNote { std::uint8_t channel, number; };

    const std::uint8_t* bytes;
    const std::uint8_t* const end;
    std::vector<TimedEvent> events;
    std::array<StartedNote, 32> started {};
    std::size_t startedCount = 0;
    int now = 0;
};

void setUp (PlumoraAudioProcessor& processor, int setup)
{
    if (const int choice = (setup >> 5) - kProgramChoices; choice >= 0)
        processor.setCurrentProgram ((choice + 1) * processor.getNumPrograms() / (kProgramChoices + 1));
    processor.engine().setMpeEnabled ((setup & 4) != 0);
    if ((setup & 8) != 0)
        processor.parameters().getParameter ("arp_enabled")->setValueNotifyingHost (1.0f);
}

void play (PlumoraAudioProcessor& processor, int setup, const std::vector<TimedEvent>& events, int endTime,
           fuzz::Fingerprint& fingerprint)
{
    setUp (processor, setup);
    const int blockSize = kBlockSizes[setup & 3];
    juce::AudioBuffer<float> buffer (2, blockSize);
    const int blocks = (endTime + kTailSamples) / blockSize + 1;
    std::size_t next = 0;
    for (int block = 0; block < blocks; ++block)
    {
        juce::MidiBuffer midi;
        if (block == 0 && (setup & 16) != 0)
            midi.addEvent (juce::MidiMessage::controllerEvent (1, 64, 127), 0);
        for (; next < events.size() && events[next].sample / blockSize == block; ++next)
        {
            const auto& event = events[next];
            midi.addEvent (event.bytes.data(), static_cast<int> (event.bytes.size()), event.sample % blockSize);
        }
        processor.processBlock (buffer, midi);
        fuzz::check (fuzz::isFinite (buffer), "MIDI made the processor render a sample that is not finite");
        fingerprint.add (buffer);
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    fuzz::initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    if (size < 1 || size > kLongestInput)
        return -1;

    const int setup = data[0];
    EventReader reader (data + 1, size - 1);
    const auto events = reader.read();

    static fuzz::ProcessorRig rig (kLargestBlock);
    fuzz::runOnSharedRig (rig, kLargestBlock, [&] (PlumoraAudioProcessor& processor, fuzz::Fingerprint& print)
    {
        play (processor, setup, events, reader.endTime(), print);
    });
    return 0;
}
