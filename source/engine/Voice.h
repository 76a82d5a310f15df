#pragma once

#include "ParameterSlots.h"
#include "VoiceModSources.h"
#include "dsp/AdsrEnvelope.h"
#include "dsp/Distortion.h"
#include "dsp/KarplusStrongString.h"
#include "dsp/DcBlocker.h"
#include "dsp/PannedLevel.h"
#include "dsp/Lfo.h"
#include "dsp/MultimodeFilter.h"
#include "dsp/NoiseSource.h"
#include "dsp/Saturators.h"
#include "dsp/SubOscillator.h"
#include "dsp/UnisonOscillator.h"

#include <array>
#include <cstdint>
#include <vector>

namespace plumora
{

struct OscillatorSlotIds; // the parameters of one oscillator slot

// One note of the pool: its life cycle (start, release, kill), its envelopes,
// per-note expression, glide and per-voice LFOs, and its signal chain:
// oscillator slots, sub, noise and pick, warmth and bloom, filter,
// distortion and the amplitude envelope.
class Voice
{
public:
    enum State : std::int32_t { Idle = 0, Attack = 1, Sustain = 2, Release = 3 };

    // Sizes every buffer; the only place a voice allocates.
    void prepare (double sampleRate, int blockSize);
    // Read access to the engine's note-on counts per pitch class.
    void setRepetitionCounts (const std::array<std::uint8_t, 12>* counts) noexcept { repetitionCounts = counts; }

    void start (int note, float velocity, int channel, std::uint32_t& randomState, float glideSourceHz) noexcept;
    // A new note on a sounding voice (mono): the envelopes start again, the
    // pitch moves (gliding from glideSourceHz when > 0), and the oscillators,
    // sub, levels and note bloom run on, so the waveform does not jump.
    void takeOver (int note, float velocity, int channel, float glideSourceHz) noexcept;
    void release() noexcept;
    void kill() noexcept;

    // Block pipeline: LFOs, then sources, then (after per-voice modulation of
    // the parameters) the render, which adds into left and right.
    void updateLfos (int numSamples, const VoiceParameters& parameters) noexcept;
    VoiceModSources modSources() const noexcept;
    void render (float* left, float* right, int numSamples, const VoiceParameters& parameters,
                 const Wavetable* table1, const Wavetable* table2) noexcept;

    State state() const noexcept { return currentState; }
    bool isIdle() const noexcept { return currentState == Idle; }
    bool isHeld() const noexcept { return currentState == Attack || currentState == Sustain; }
    int note() const noexcept { return currentNote; }
    int channel() const noexcept { return currentChannel; }
    float velocity() const noexcept { return currentVelocity; }
    float amplitudeLevel() const noexcept { return amplitudeEnvelope.getValue(); }
    float noteFrequency() const noexcept;
    float noteBloom() const noexcept { return bloom; }

    struct Glide { float fromHz = 0.0f; float progress = 1.0f; };
    Glide glide() const noexcept { return currentGlide; }
    // The frequency the oscillators played in the last block (glide included).
    float currentFrequency() const noexcept { return playedFrequency; }

    // Per-note expression, written by the engine's MIDI entry points.
    struct Expression { float polyPressure = 0, mpePressure = 0, mpeSlide = 0, mpePitch = 0; };
    Expression expression;

private:
    float advanceGlide (int numSamples, float glideTime) noexcept;
    void renderSlots (int numSamples, const VoiceParameters&, float frequency, const Wavetable* table1, const Wavetable* table2) noexcept;
    void renderSlot (const OscillatorSlotIds&, UnisonOscillator&, KarplusStrongString&, PannedLevel& level, int numSamples,
                     const VoiceParameters&, float frequency, const Wavetable* table) noexcept;
    void renderFmPair (int numSamples, const VoiceParameters&, float frequency, const Wavetable* table1, const Wavetable* table2) noexcept;
    void addToMix (const float* left, const float* right, int numSamples, const PannedLevel& level) noexcept;
    void runFilter (int numSamples, const VoiceParameters&) noexcept;

    State currentState = Idle;
    int currentNote = 60;
    int currentChannel = 1;
    float currentVelocity = 0.0f;
    double sampleRate = 44100.0;

    AdsrEnvelope amplitudeEnvelope, modEnvelope1, modEnvelope2;
    std::array<float, 2> modEnvelopeOutputs {};
    std::array<Lfo, 4> lfos;
    std::array<float, 4> lfoOutputs {};
    bool restartLfos = false;

    std::uint64_t samplesSinceStart = 0;
    float bloom = 0.0f;
    const std::array<std::uint8_t, 12>* repetitionCounts = nullptr;

    UnisonOscillator slot1, slot2;
    PannedLevel slot1Level, slot2Level;
    DcBlocker dcLeft, dcRight;
    KarplusStrongString string1, string2;
    std::uint32_t stringRandomState = 0xC0DEC0DE;
    NoiseSource noise;
    PickTransient pick;
    SubOscillator sub;
    std::array<float, 2> fmFeedbackHistory {};
    BloomSaturator bloomSaturator;
    MultimodeFilter filterLeft, filterRight;
    Distortion distortion;
    Glide currentGlide;
    float playedFrequency = 0.0f;
    bool firstBlock = false;

    std::vector<float> oscLeft, oscRight, mixLeft, mixRight, fmModulator;
};

// 440 Hz at note 69, twelve notes an octave.
float midiNoteToFrequency (float note) noexcept;

// 0 to 11 for any note number, negative ones included.
constexpr int pitchClassOf (int note) noexcept { return ((note % 12) + 12) % 12; }

} // namespace plumora
