#pragma once

#include <vector>

namespace plumora
{

// Global ping-pong delay: each side has its own time, and the feedback
// crosses sides, so repeats alternate left and right.
class StereoDelay
{
public:
    struct Settings
    {
        float timeLeft = 0.3f;  // seconds, up to kMaximumTime
        float timeRight = 0.4f; // seconds
        float feedback = 0.4f;  // 0..0.95
        float mix = 0.3f;       // 0..1, dry to delayed
        bool bypass = false;    // skips the block and freezes the lines
    };

    static constexpr double kMaximumTime = 2.0;     // seconds
    static constexpr float kMaximumFeedback = 0.95f;
    static constexpr int kMinimumLineLength = 192000;
    // Above this rate the lines stop growing, and the longest time shrinks.
    static constexpr double kFullTimeSampleRate = 384000.0;

    // Written by the owner before each process call.
    Settings settings;

    // Sizes the lines so kMaximumTime fits at this rate (allocates only when
    // they must grow) and clears them.
    void prepare (double sampleRate);
    // Clears the lines: only what was written since they were last cleared.
    void reset() noexcept;

    void process (float* left, float* right, int numSamples) noexcept;

    int getLineLength() const noexcept { return lineLength; }

private:
    float delayInSamples (float seconds, float fallback) const noexcept;

    std::vector<float> lineLeft, lineRight;
    int lineLength = 0;
    int writeIndex = 0;
    // Writing starts at 0 after a clear, so past this the lines still hold
    // its zeros: a reset need not clear all of two long lines.
    int writtenLength = 0;
    double sampleRate = 44100.0;
};

} // namespace plumora
