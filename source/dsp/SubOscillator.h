#pragma once

namespace plumora
{

// A sine or plain square one octave below the first oscillator slot, added
// to both channels of the voice mix.
class SubOscillator
{
public:
    void reset() noexcept { phase = 0.0f; }

    // Adds numSamples of the sub (shape < 0.5 sine, else square) times level.
    void addTo (float* left, float* right, int numSamples, double frequencyHz, double sampleRate, float shape, float level) noexcept;

    float currentPhase() const noexcept { return phase; }

private:
    float phase = 0.0f;
};

} // namespace plumora
