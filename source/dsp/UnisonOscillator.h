#pragma once

#include "UnisonKernels.h"
#include "Wavetable.h"

#include <array>
#include <cstdint>

namespace plumora
{

// What the voice hands an oscillator slot each block.
struct OscillatorSettings
{
    enum Mode : int { Wavetable = 0, SuperSaw = 1 };

    double frequencyHz = 440.0;
    float position = 0.0f;                   // 0 first frame .. 1 last frame
    const plumora::Wavetable* table = nullptr; // Wavetable mode; silence without one
    int unison = 1;                          // clamped to 1..16
    float detuneCents = 0.0f;                // Wavetable mode spread
    float driftCents = 0.0f;                 // depth of each voice's slow pitch wander
    float driftRateHz = 0.1f;
    float stereoWidth = 0.0f;
    int mode = Wavetable;
    float superSawMix = 0.5f;
};

// One oscillator slot of a voice: up to 16 detuned, panned, drifting copies
// of a wavetable or of a plain rising saw (SuperSaw), rendered to stereo.
// All pitch and gain maths runs once per block; the per-sample loop only
// reads the table, so the copies are processed four at a time.
class UnisonOscillator
{
public:
    static constexpr int kMaxVoices = 16;

    void prepare (double sampleRate) noexcept;

    // Note start, first pass: clears the copies, draws their drift phases.
    void resetForNote (std::uint32_t& randomState) noexcept;
    // Note start, second pass: draws the copies' start phases.
    void randomisePhases (std::uint32_t& randomState) noexcept;

    // Writes numSamples to left and right (overwriting them).
    void render (float* left, float* right, int numSamples, const OscillatorSettings&) noexcept;
    // Phase modulation: every copy reads at phase + depth * modulator[s].
    void renderModulated (float* left, float* right, int numSamples, const OscillatorSettings&,
                          const float* modulator, float depth) noexcept;
    // Self phase modulation from the mean of the last two output samples.
    void renderWithFeedback (float* left, float* right, int numSamples, const OscillatorSettings&,
                             float& history1, float& history2, float depth) noexcept;

    // The current spread, for tests and displays.
    float detuneOf (int copy) const noexcept { return detune[static_cast<std::size_t> (copy)]; }
    float panOf (int copy) const noexcept { return pan[static_cast<std::size_t> (copy)]; }
    float gainLeftOf (int copy) const noexcept { return gainLeft[static_cast<std::size_t> (copy)]; }
    float gainRightOf (int copy) const noexcept { return gainRight[static_cast<std::size_t> (copy)]; }
    float phaseOf (int copy) const noexcept { return phase[static_cast<std::size_t> (copy)]; }
    float driftOf (int copy) const noexcept { return drift[static_cast<std::size_t> (copy)]; }

    // Eight-lane kernels are used where the CPU has them; tests and
    // benchmarks switch them off to compare with the four-lane ones.
    void setWideKernels (bool enabled) noexcept;

private:
    struct Layout
    {
        int count = 0;
        float detune = 0.0f, width = 0.0f, superSawMix = 0.0f;
        int mode = -1;
        bool operator== (const Layout& o) const noexcept
        {
            return count == o.count && detune == o.detune && width == o.width && superSawMix == o.superSawMix && mode == o.mode;
        }
    };

    template <class Offset>
    void renderBlock (float* left, float* right, int numSamples, const OscillatorSettings&, Offset offset) noexcept;
    void updateLayout (const Layout&) noexcept;
    void updateIncrements (double frequencyHz, int count) noexcept;
    void advanceDrift (int numSamples, float rateHz, float amountCents) noexcept;

    double sampleRate = 44100.0;
    alignas (16) std::array<float, kMaxVoices> phase {};
    alignas (16) std::array<float, kMaxVoices> increment {};
    alignas (16) std::array<float, kMaxVoices> gainLeft {};
    alignas (16) std::array<float, kMaxVoices> gainRight {};
    std::array<float, kMaxVoices> detune {}, pan {}, driftPhase {}, drift {};
    Layout layout;
    float previousPosition = 0.0f;
    bool firstBlock = true;
    float driftFade = 0.0f; // 0 at a note's start, 1 once its drift is fully in
    bool wideKernels = cpuHasWideKernels();
    float highPassLeft = 0.0f, highPassRight = 0.0f;
};

// Note start for a voice's two slots: 64 random draws in a fixed order
// (slot-1 drift phases, slot-2 drift phases, slot-1 phases, slot-2 phases).
void startOscillatorPair (UnisonOscillator& slot1, UnisonOscillator& slot2, std::uint32_t& randomState) noexcept;

} // namespace plumora
