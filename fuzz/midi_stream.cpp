// Raw MIDI bytes, as a MIDI cable carries them, split into events with sample
// offsets and fed through processBlock; every sample must be finite, during
// the stream and in the tail after it.
//
// Input layout:
//   byte 0: set-up. Bits 0-1 the block size (256, 64, 17 or 480 samples),
//           bit 2 MPE on, bit 3 the arpeggiator on, bit 4 the sustain pedal
//           held from the start.
//   then:   the byte stream. Running status, system common and real-time
//           bytes, sysex (terminated or not) and messages cut short by the
//           next status byte or the end are all passed on as a driver would
//           hand them over. 0xFD, a real-time byte MIDI leaves undefined,
//           advances the clock by a quarter of a block instead (up to 48
//           blocks; later events share the last one).

#include "FuzzSupport.h"

#include <algorithm>
#include <vector>

using namespace plumora;

namespace
{
constexpr int kBlockSizes[] = { 256, 64, 17, 480 };
constexpr int kLargestBlock = 480;
constexpr int kLongestStream = 8192;
constexpr int kLongestStreamBlocks = 48; // later events share the last block: bounded time per input
constexpr int kTailBlocks = 4;
constexpr std::uint8_t kClockTick = 0xfd;

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

// The wire protocol's parser, done by hand so that it hands over what a
// lenient driver would: complete messages with their status byte restored,
// and whatever was cut short as it is.
class WireParser
{
public:
    std::vector<TimedEvent> events;

    void feed (std::uint8_t byte, int blockSize)
    {
        if (byte == kClockTick)
        {
            now = std::min (now + std::max (1, blockSize / 4), (kLongestStreamBlocks - 1) * blockSize);
            return;
        }
        if (byte >= 0xf8) // real time: a single byte, even inside another message
        {
            emit ({ byte });
            return;
        }
        if (inSysex)
        {
            if (byte < 0x80 || byte == 0xf7)
            {
                pending.push_back (byte);
                if (byte == 0xf7)
                    finishPending();
                return;
            }
            finishPending(); // a status byte ends an unterminated sysex
        }
        if (byte >= 0x80)
        {
            finishPending(); // a message cut short goes out as it is
            pending = { byte };
            inSysex = byte == 0xf0;
            runningStatus = byte < 0xf0 ? byte : 0; // system messages cancel running status
            needed = inSysex ? -1 : dataBytesAfter (byte);
            if (needed == 0)
                finishPending();
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
            finishPending();
    }

    void finish() { finishPending(); }
    int endTime() const noexcept { return now; }

private:
    void emit (std::vector<std::uint8_t> bytes) { events.push_back ({ now, std::move (bytes) }); }

    void finishPending()
    {
        if (! pending.empty())
            emit (std::move (pending));
        pending.clear();
        inSysex = false;
    }

    std::vector<std::uint8_t> pending;
    std::uint8_t runningStatus = 0;
    int needed = 0;
    bool inSysex = false;
    int now = 0;
};
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    fuzz::initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    if (size < 1 || size > kLongestStream)
        return -1;

    const int setup = data[0];
    const int blockSize = kBlockSizes[setup & 3];

    WireParser parser;
    for (std::size_t i = 1; i < size; ++i)
        parser.feed (data[i], blockSize);
    parser.finish();

    PlumoraAudioProcessor processor;
    processor.prepareToPlay (fuzz::kRate, kLargestBlock);
    processor.engine().setMpeEnabled ((setup & 4) != 0);
    if ((setup & 8) != 0)
        processor.parameters().getParameter ("arp_enabled")->setValueNotifyingHost (1.0f);

    juce::AudioBuffer<float> buffer (2, blockSize);
    const int streamBlocks = parser.endTime() / blockSize + 1;
    std::size_t next = 0;
    for (int block = 0; block < streamBlocks + kTailBlocks; ++block)
    {
        juce::MidiBuffer midi;
        if (block == 0 && (setup & 16) != 0)
            midi.addEvent (juce::MidiMessage::controllerEvent (1, 64, 127), 0);
        for (; next < parser.events.size() && parser.events[next].sample / blockSize == block; ++next)
        {
            const auto& event = parser.events[next];
            midi.addEvent (event.bytes.data(), static_cast<int> (event.bytes.size()), event.sample % blockSize);
        }
        processor.processBlock (buffer, midi);
        fuzz::check (fuzz::isFinite (buffer), "MIDI made the processor render a sample that is not finite");
    }
    return 0;
}
