#pragma once

#include "Xorshift32.h"

#include <cstdint>

namespace plumora
{

enum class LfoShape : int { Sine = 0, Triangle = 1, SawUp = 2, SawDown = 3, Square = 4, SampleAndHold = 5 };

// Block-rate LFO: one value per block, stepped. A per-voice instance is
// restarted by its voice (phase 0, then delay, then fade-in); a global one just
// runs free.
class Lfo
{
public:
    void prepare (double sampleRate) noexcept;

    // Called every block by a per-voice owner; restart only on a new note.
    void trigger (float delayMs, float fadeMs, bool restart) noexcept;

    // Moves on by numSamples and returns the block's value in [-1, 1].
    float advance (float rateHz, int shape, int numSamples) noexcept;

    float getOutput() const noexcept { return output; }
    float getPhase() const noexcept { return phase; }

private:
    int millisecondsToSamples (float milliseconds) const noexcept;
    float shapeValue (int shape, bool cycleEnded) noexcept;

    double sampleRate = 44100.0;
    float phase = 0.0f;
    float output = 0.0f;
    float heldValue = 0.0f;
    Xorshift32 random { 42 };
    std::int32_t delayLength = 0, delayRemaining = 0;
    std::int32_t fadeLength = 0, fadeRemaining = 0;
};

} // namespace plumora
