#pragma once

#include <vector>

namespace plumora
{

enum class FilterMode : int
{
    LowPass12 = 0,
    LowPass24 = 1,
    HighPass12 = 2,
    HighPass24 = 3,
    BandPass = 4,
    Notch = 5,
    Comb = 6,
    Formant = 7
};

// The voice filter: a topology-preserving state-variable filter (one or two
// stages), a feedback comb tuned to the cutoff, or three parallel band-passes
// at vowel formants, each with an optional tanh input drive. Settings are read
// once per block; the states persist across blocks and notes.
class MultimodeFilter
{
public:
    struct Settings
    {
        FilterMode mode = FilterMode::LowPass24;
        float cutoff = 1000.0f;  // Hz
        float resonance = 0.0f;  // 0..1
        float drive = 0.0f;      // 0..1, up to +24 dB into a tanh
        float vowel = 0.5f;      // formant position U, O, A, E, I over 0..1
        bool bypass = false;
    };

    // Written by the owner before each process call.
    Settings settings;

    // Allocates the comb line and clears every state.
    void prepare (double sampleRate);

    // Filters in place; leaves the samples untouched when bypassed.
    void process (float* samples, int numSamples) noexcept;

    // A stereo pair: the same as processing each channel with its own
    // filter, but with equal state-variable settings both run in one pass,
    // where their recursions overlap in the CPU.
    static void processPair (MultimodeFilter& left, MultimodeFilter& right, float* leftSamples, float* rightSamples,
                             int numSamples) noexcept;

    static constexpr int combLength = 4096;

    // Integrator states of one SVF stage, plus its last band-pass output,
    // which sets the extra damping when the filter self-oscillates.
    struct SvfState
    {
        float ic1 = 0.0f, ic2 = 0.0f, bandPass = 0.0f;
    };

private:
    void clearSvfStatesIfNotFinite() noexcept;
    float driveGain() const noexcept;
    FilterMode mode() const noexcept;
    // This filter's settings and states on channel 0; with two channels the
    // partner's states on channel 1.
    void processSvfModes (float* const* samples, MultimodeFilter* partner, int channels, int numSamples) noexcept;
    void processComb (float* samples, int numSamples, float driveGain) noexcept;
    void processFormant (float* samples, int numSamples, float driveGain) noexcept;

    double sampleRate = 44100.0;
    std::vector<float> combLine;
    int combWriteIndex = 0;
    SvfState stage1, stage2, stage3;
};

} // namespace plumora
