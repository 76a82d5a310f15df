#pragma once

#include "ParameterSlots.h"
#include "dsp/AdsrEnvelope.h"

#include <cstdint>

namespace plumora
{

// One note of the pool: its life cycle (start, release, kill), its envelopes,
// its per-note expression and its glide. The sound chain joins later; for now
// a voice runs its envelopes and adds nothing to the output.
class Voice
{
public:
    enum State : std::int32_t { Idle = 0, Attack = 1, Sustain = 2, Release = 3 };

    void prepare (double sampleRate, int blockSize) noexcept;

    void start (int note, float velocity, int channel, std::uint32_t& randomState, float glideSourceHz) noexcept;
    void release() noexcept;
    void kill() noexcept;

    void render (float* left, float* right, int numSamples, const VoiceParameters& parameters) noexcept;

    State state() const noexcept { return currentState; }
    bool isIdle() const noexcept { return currentState == Idle; }
    bool isHeld() const noexcept { return currentState == Attack || currentState == Sustain; }
    int note() const noexcept { return currentNote; }
    int channel() const noexcept { return currentChannel; }
    float velocity() const noexcept { return currentVelocity; }
    float amplitudeLevel() const noexcept { return amplitudeEnvelope.getValue(); }
    float noteFrequency() const noexcept;

    struct Glide { float fromHz = 0.0f; float progress = 1.0f; };
    Glide glide() const noexcept { return currentGlide; }

    // Per-note expression, written by the engine's MIDI entry points.
    struct Expression { float polyPressure = 0, mpePressure = 0, mpeSlide = 0, mpePitch = 0; };
    Expression expression;

private:
    State currentState = Idle;
    int currentNote = 60;
    int currentChannel = 1;
    float currentVelocity = 0.0f;
    double sampleRate = 44100.0;

    AdsrEnvelope amplitudeEnvelope, modEnvelope1, modEnvelope2;
    float modEnvelopeOutputs[2] {};
    Glide currentGlide;
};

// 440 Hz at note 69, twelve notes an octave.
float midiNoteToFrequency (float note) noexcept;

// 0 to 11 for any note number, negative ones included.
constexpr int pitchClassOf (int note) noexcept { return ((note % 12) + 12) % 12; }

} // namespace plumora
