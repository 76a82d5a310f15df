#pragma once

namespace plumora
{

// Global LFO-swept low-pass: a state-variable filter whose cutoff sits at
// 100 Hz .. 10 kHz on an exponential position scale, moved by a sine LFO.
// Coefficients are recomputed every 16 samples.
class AutoFilter
{
public:
    struct Settings
    {
        float position = 0.5f;  // 0..1: cutoff 100 * 100^position Hz
        float rate = 0.0f;      // LFO Hz, 0..10; at or below 0.001 the LFO is off
        float depth = 0.5f;     // 0..1, in position units
        float mix = 1.0f;       // 0..1, dry to filtered
        float resonance = 0.3f; // 0..1: Q 0.707 .. 8
        bool bypass = false;    // skips the block and freezes the state
    };

    static constexpr int kChunkSize = 16;

    // Written by the owner before each process call.
    Settings settings;

    // LFO phase to 0, filter states cleared.
    void prepare (double sampleRate) noexcept;
    void reset() noexcept;

    void process (float* left, float* right, int numSamples) noexcept;

    // Cutoff of the most recent chunk, in Hz.
    float getCutoff() const noexcept { return cutoff; }

private:
    void updateCoefficients (float cutoffHz, float resonance) noexcept;

    double sampleRate = 44100.0;
    double phase = 0.0;
    float cutoff = 1000.0f;
    float a1 = 1.0f, a2 = 0.0f, a3 = 0.0f;
    float ic1[2] = {}, ic2[2] = {};
};

} // namespace plumora
