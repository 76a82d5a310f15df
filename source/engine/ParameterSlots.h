#pragma once

#include "parameters/ParameterCatalogue.h"

#include <array>
#include <atomic>

namespace plumora
{

// The engine's record of one parameter. The target and the traces cross
// threads (parameter push and presets write targets, the editor reads traces)
// as single relaxed 32-bit values; the block value belongs to the audio thread.
struct ParameterSlot
{
    std::atomic<float> target { 0.0f };
    float blockValue = 0.0f;
    std::atomic<float> lowTrace { 0.0f };
    std::atomic<float> highTrace { 0.0f };
};

// The block values a voice works on: its private copy, which per-voice
// modulation may change without touching the engine's slots.
using VoiceParameters = std::array<float, kNumParameters>;

class ParameterSlots
{
public:
    ParameterSlots() noexcept;

    // Stores value clamped to the row's range.
    void setTarget (ParamID id, float value) noexcept;
    float target (ParamID id) const noexcept { return slot (id).target.load (std::memory_order_relaxed); }

    float blockValue (ParamID id) const noexcept { return slot (id).blockValue; }
    void setBlockValue (ParamID id, float value) noexcept { slot (id).blockValue = value; }

    // Start of a block: every block value becomes its target.
    void beginBlock() noexcept;
    // End of a block of numSamples: the traces follow the values a listener
    // hears (fast attack, a fall with a fixed time constant whatever the block
    // size). The values are the newest sounding voice's when given, with its
    // per-voice modulation, else the block values.
    void updateTraces (int numSamples, double sampleRate, const VoiceParameters* voiceValues) noexcept;
    // The next update starts the traces afresh at the values it sees.
    void restartTraces() noexcept { tracesStarted = false; }

    struct Range { float low, high; };
    Range traceRange (ParamID id) const noexcept;

    void copyBlockValues (VoiceParameters& destination) const noexcept;

private:
    ParameterSlot& slot (ParamID id) noexcept { return slots[static_cast<std::size_t> (index (id))]; }
    const ParameterSlot& slot (ParamID id) const noexcept { return slots[static_cast<std::size_t> (index (id))]; }

    std::array<ParameterSlot, kNumParameters> slots;
    bool tracesStarted = false;
};

} // namespace plumora
