#include "MidiDispatch.h"

#include "engine/SynthEngine.h"

namespace plumora
{
namespace
{
constexpr float kOneOver127 = 1.0f / 127.0f;
} // namespace

void dispatchMidiMessage (SynthEngine& engine, const std::uint8_t* data, int size) noexcept
{
    if (data == nullptr || size < 2)
        return;

    const int status = data[0] & 0xf0;
    const int channel = (data[0] & 0x0f) + 1;
    const int first = data[1] & 0x7f;
    const bool hasSecond = size >= 3;
    const int second = hasSecond ? data[2] & 0x7f : 0;

    switch (status)
    {
        case 0x90:
            if (! hasSecond) return;
            if (second > 0)
                engine.noteOn (channel, first, static_cast<float> (second) * kOneOver127);
            else
                engine.noteOff (channel, first);
            return;

        case 0x80:
            if (hasSecond) engine.noteOff (channel, first);
            return;

        case 0xb0:
            if (hasSecond) engine.controller (channel, first, static_cast<float> (second) / 127.0f);
            return;

        case 0xd0:
            engine.channelPressure (channel, static_cast<float> (first) / 127.0f);
            return;

        case 0xa0:
            if (hasSecond) engine.polyAftertouch (channel, first, static_cast<float> (second) / 127.0f);
            return;

        case 0xe0:
            if (hasSecond) engine.pitchBend (channel, static_cast<float> ((second * 128 + first) - 8192) / 8192.0f);
            return;

        default:
            return;
    }
}

} // namespace plumora
