#pragma once

#include <cstdint>

namespace plumora
{

// Filtered white noise: one-pole low-pass, its complementary high-pass, or a
// band-pass from two cascaded poles.
class NoiseSource
{
public:
    enum Mode : int { LowPass = 0, HighPass = 1, BandPass = 2 };

    void render (float* out, int numSamples, float cutoffHz, double sampleRate, int mode) noexcept;

private:
    std::uint32_t randomState = 42;
    float lowState = 0.0f;
    float highState = 0.0f;
};

// The pick click at a note start: the noise gain rises over 1 ms, then decays
// with a time constant of 500 * pick_attack ms (at least 1 ms).
class PickTransient
{
public:
    void start (double sampleRate) noexcept;

    // Once per block, before the noise renders. Returns false when neither
    // the noise nor the pick has anything to add this block.
    bool advance (int numSamples, double sampleRate, float noiseLevel, float pickAttack) noexcept;

    float level() const noexcept { return pickLevel; }

private:
    float pickLevel = 0.0f;
    int rampRemaining = 0;
    bool ramping = false;
};

// Renders the voice's noise and pick into scratch and adds it to both channels.
void addNoiseAndPick (NoiseSource&, PickTransient&, float* scratch, float* left, float* right, int numSamples,
                      double sampleRate, float noiseLevel, float cutoffHz, int mode, float pickAttack) noexcept;

} // namespace plumora
