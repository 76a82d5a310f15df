#include "Voice.h"

#include <cmath>

namespace plumora
{

float midiNoteToFrequency (float note) noexcept
{
    return 440.0f * std::exp2 ((note - 69.0f) / 12.0f);
}

void Voice::prepare (double newSampleRate, int /*blockSize*/) noexcept
{
    sampleRate = newSampleRate;
    amplitudeEnvelope.prepare (sampleRate);
    modEnvelope1.prepare (sampleRate);
    modEnvelope2.prepare (sampleRate);
}

float Voice::noteFrequency() const noexcept
{
    return midiNoteToFrequency (static_cast<float> (currentNote));
}

void Voice::start (int note, float velocity, int channel, std::uint32_t& /*randomState*/, float glideSourceHz) noexcept
{
    currentNote = note;
    currentChannel = channel;
    currentVelocity = velocity;
    currentState = Attack;

    currentGlide = glideSourceHz > 0.0f ? Glide { glideSourceHz, 0.0f } : Glide {};
    expression = {};

    amplitudeEnvelope.noteOn();
    modEnvelope1.noteOn();
    modEnvelope2.noteOn();
}

void Voice::release() noexcept
{
    if (currentState == Idle)
        return;

    currentState = Release;
    amplitudeEnvelope.noteOff();
    modEnvelope1.noteOff();
    modEnvelope2.noteOff();
}

void Voice::kill() noexcept
{
    currentState = Idle;
    amplitudeEnvelope.reset();
    modEnvelope1.reset();
    modEnvelope2.reset();
    modEnvelopeOutputs[0] = modEnvelopeOutputs[1] = 0.0f;
    expression = {};
    currentGlide = {};
}

void Voice::render (float* /*left*/, float* /*right*/, int numSamples, const VoiceParameters& p) noexcept
{
    if (currentState == Idle)
        return;

    const auto value = [&p] (ParamID id) { return p[static_cast<std::size_t> (index (id))]; };

    amplitudeEnvelope.setParameters (value (ParamID::amp_attack), value (ParamID::amp_decay),
                                     value (ParamID::amp_sustain), value (ParamID::amp_release));
    modEnvelope1.setParameters (value (ParamID::modenv1_attack), value (ParamID::modenv1_decay),
                                value (ParamID::modenv1_sustain), value (ParamID::modenv1_release));
    modEnvelope2.setParameters (value (ParamID::modenv2_attack), value (ParamID::modenv2_decay),
                                value (ParamID::modenv2_sustain), value (ParamID::modenv2_release));

    modEnvelopeOutputs[0] = modEnvelope1.advance (numSamples);
    modEnvelopeOutputs[1] = modEnvelope2.advance (numSamples);

    // The signal chain joins here; the amplitude envelope already decides the voice's life.
    amplitudeEnvelope.advance (numSamples);

    if (amplitudeEnvelope.isIdle())
        currentState = Idle;
    else if (amplitudeEnvelope.getStage() == AdsrEnvelope::Sustain)
        currentState = Sustain;
}

} // namespace plumora
