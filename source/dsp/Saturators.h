#pragma once

namespace plumora
{

// Gentle tanh colouring of the voice mix: at warmth 1 the signal becomes
// tanh(4x)/tanh(4), which keeps full scale at +-1. Below 0.0001 it is skipped.
struct WarmthSaturator
{
    static void process (float* left, float* right, int numSamples, float warmth) noexcept;
};

// Adds even harmonics as a note blooms (progress 0..1 since the note start),
// with a 5 Hz DC blocker per channel that the voice clears at every note.
class BloomSaturator
{
public:
    void prepare (double sampleRate) noexcept;
    void reset() noexcept;
    void process (float* left, float* right, int numSamples, float bloom) noexcept;

private:
    struct Channel
    {
        float lastIn = 0.0f, lastOut = 0.0f;

        float block (float in, float coefficient) noexcept
        {
            lastOut = in - lastIn + coefficient * lastOut;
            lastIn = in;
            return lastOut;
        }
    };

    static void shape (const float* input, float* shaped, int numSamples, float evenDrive) noexcept;

    float dcCoefficient = 0.995f;
    Channel leftState, rightState;
};

} // namespace plumora
