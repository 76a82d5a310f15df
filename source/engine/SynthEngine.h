#pragma once

#include "Arpeggiator.h"
#include "EngineSnapshot.h"
#include "GlobalEffectChain.h"
#include "ModMatrix.h"
#include "OutputGain.h"
#include "ParameterSlots.h"
#include "RealtimeHandOver.h"
#include "VoicePool.h"
#include "dsp/Wavetable.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace plumora
{

// The sound engine: parameter slots, the voice pool and its allocation rules,
// MIDI entry points and the block render. Plain C++, driven by the processor
// on the audio thread; the message thread only edits targets, routings and
// the MPE flag and reads the queries below.
class SynthEngine
{
public:
    // Control values (parameter slots, modulation, LFOs, envelopes' block
    // values, filter settings) are taken once per piece of at most this many
    // samples, on a grid that runs on from prepare across render calls. The
    // sound therefore does not depend on how the host cuts its blocks.
    static constexpr int kControlInterval = 64;

    SynthEngine();
    ~SynthEngine();

    // Audio thread ---------------------------------------------------------
    void prepare (double sampleRate, int maximumBlockSize);
    // Silence and a fresh start, as a new engine prepared at the same rate
    // plays: no voices, held keys, pedal or controller values, arpeggiator
    // pattern, modulation phases or effect tails. Parameters, routings,
    // tables, the MPE flag and the host tempo stay. Allocates nothing.
    void reset() noexcept;
    void setParameter (ParamID id, float value) noexcept { slots.setTarget (id, value); }

    void noteOn (int channel, int note, float velocity) noexcept;
    void noteOff (int channel, int note) noexcept;
    void controller (int channel, int number, float value) noexcept;
    void channelPressure (int channel, float value) noexcept;
    void polyAftertouch (int channel, int note, float value) noexcept;
    void pitchBend (int channel, float value) noexcept;
    void setHostTempo (double bpm) noexcept;

    // Clears and fills the first channelCount channels, any number of samples.
    // Events given between two calls take effect at the first sample of the
    // second, so a caller that renders up to each event's sample places it
    // exactly.
    void render (float* const* channels, int channelCount, int numSamples) noexcept;

    double tailLengthSeconds() const noexcept;

    // Message thread --------------------------------------------------------
    struct ParameterValue { ParamID id; float value; };
    void setParameters (const std::vector<ParameterValue>& values) noexcept;
    // The value the engine took at its last parameter push (the host
    // parameters hold what the user set; read those for saving a sound).
    float parameterValue (ParamID id) const noexcept { return slots.target (id); }
    ParameterSlots::Range modulationRange (ParamID id) const noexcept { return slots.traceRange (id); }
    int activeVoiceCount() const noexcept { return activeVoices.load (std::memory_order_relaxed); }
    // Slot 0 is oscillator 1's table, slot 1 oscillator 2's; an empty table
    // or another slot changes nothing.
    void setWavetable (int slot, SharedWavetable table, std::string id = {});
    SharedWavetable wavetable (int slot) const;
    // The name the slot's table was set with ("factory:saw"), so a saved
    // sound can say which tables it plays.
    std::string wavetableId (int slot) const;
    void setMpeEnabled (bool enabled) noexcept { mpeEnabled.store (enabled, std::memory_order_relaxed); }
    bool isMpeEnabled() const noexcept { return mpeEnabled.load (std::memory_order_relaxed); }
    ModMatrix& modMatrix() noexcept { return matrix; }
    const ModMatrix& modMatrix() const noexcept { return matrix; }
    // The sound as one flat record: the given parameter values (the host
    // parameters', which the user set) with the engine's routings and MPE flag.
    EngineSnapshot snapshot (const ParameterValues& values) const;
    Arpeggiator::Position arpeggiatorPosition() const noexcept { return arpeggiator.position(); }

    // Read by modulation and tests.
    struct GlobalSources { float chordComplexity, modWheel, channelPressure, pitchBend; };
    GlobalSources globalSources() const noexcept;
    const VoicePool& voicePool() const noexcept { return voices; }
    // The tempo delay sync and the arpeggiator follow: the host's once it has
    // given one, else arp_bpm.
    double tempo() const noexcept { return currentTempo.load (std::memory_order_relaxed); }
    double sampleRate() const noexcept { return currentSampleRate; }
    int maximumBlockSize() const noexcept { return currentBlockSize; }

private:
    float target (ParamID id) const noexcept { return slots.target (id); }
    bool isPerNote (int channel) const noexcept { return isMpeEnabled() && channel > 1; }
    bool isArpeggiatorOn() const noexcept { return target (ParamID::arp_enabled) > 0.5f; }
    void startVoice (int voiceIndex, int channel, int note, float velocity, float glideSourceHz, bool byArpeggiator) noexcept;
    void takeOverVoice (int voiceIndex, int channel, int note, float velocity, float glideSourceHz) noexcept;
    void releaseNote (int channel, int note) noexcept;
    void countRepetition (int note) noexcept;
    void renderPiece (int numSamples) noexcept;
    void renderVoicesUpTo (int sampleInPiece) noexcept;
    int newestVoice() const noexcept;
    void runArpeggiator (int numSamples) noexcept;
    void noticeArpeggiatorSwitchedOn() noexcept;

    // Starts and releases voices for the arpeggiator's events.
    struct ArpVoices : ArpEventSink
    {
        explicit ArpVoices (SynthEngine& e) : engine (e) {}
        void arpEvent (const ArpEvent& event, int sampleOffset) noexcept override;
        SynthEngine& engine;
    };

    double currentSampleRate = 44100.0;
    int currentBlockSize = 512;
    std::atomic<bool> mpeEnabled { false };

    ParameterSlots slots;
    RenderEpoch renderEpoch;
    std::array<std::string, 2> wavetableIds { "factory:analog_stack", "factory:saw" }; // before the tables they name
    RealtimeHandOver<Wavetable> wavetable1, wavetable2;
    ModMatrix matrix;
    VoicePool voices;
    // A voice as prepare leaves it, copied over the voices a reset clears.
    Voice silentVoice;
    VoiceParameters voiceParameters {};

    std::atomic<float> chordComplexity { 0.0f }, modWheel { 0.0f }, pressure { 0.0f }, bend { 0.0f };
    std::atomic<double> currentTempo { 120.0 };
    std::atomic<int> activeVoices { 0 };

    static constexpr std::uint32_t kOscillatorSeed = 12345;
    std::uint32_t oscillatorRandomState = kOscillatorSeed;
    GlobalEffectChain effects;
    OutputGain outputGain;

    Arpeggiator arpeggiator;
    ArpVoices arpVoices { *this };
    bool arpeggiatorWasOn = false;
    float lastArpFrequency = 0.0f;
    // Voices the arpeggiator started; the others belong to their keys.
    std::array<bool, VoicePool::kSize> startedByArpeggiator {};
    // When each voice started, to find the newest one for the traces.
    std::array<std::uint64_t, VoicePool::kSize> voiceStartOrder {};
    std::uint64_t voicesStarted = 0;

    bool sustainPedalDown = false;
    std::array<bool, 128> sustainedNotes {};
    std::array<std::uint8_t, 12> repetitionCounts {};

    // The piece being rendered: where it stands on the control grid, the
    // tables it plays, how far its voices have rendered (arpeggiator events
    // fall inside pieces) and the newest voice's modulated values.
    int gridPosition = 0;
    const Wavetable* pieceTable1 = nullptr;
    const Wavetable* pieceTable2 = nullptr;
    int voicesRenderedTo = 0;
    VoiceParameters newestVoiceValues {};
    bool newestVoiceTraced = false;

    std::array<float, kControlInterval> mixLeft {}, mixRight {};
};

} // namespace plumora
