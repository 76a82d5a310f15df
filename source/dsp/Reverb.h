#pragma once

#include "DcBlocker.h"

#include <vector>

namespace plumora
{

// Global reverb: a mono pre-delay feeds four damped feedback combs in
// parallel; their average passes two all-passes per side (different lengths
// left and right) for the stereo tail.
class Reverb
{
public:
    struct Settings
    {
        float size = 0.5f;       // 0..1: comb feedback 0.7 .. 0.98
        float damp = 0.5f;       // 0..1: low-pass in the comb loops
        float mix = 0.2f;        // 0..1, dry to reverb
        float preDelayMs = 0.0f; // 0..100, applied by updatePreDelay
        bool bypass = false;     // skips the block and freezes the tail
    };

    static constexpr double kReferenceRate = 44100.0;
    static constexpr int kCombLengths[4] = { 1559, 1613, 1493, 1423 }; // at 44.1 kHz
    static constexpr int kAllPassLengthsLeft[2] = { 227, 557 };
    static constexpr int kAllPassLengthsRight[2] = { 337, 443 };
    static constexpr float kMaximumPreDelayMs = 100.0f;
    // The damping coefficient stops short of 1, where the loop filter would
    // hold its last value for ever: no tail, and a stuck DC offset.
    static constexpr float kMaximumDamping = 0.99f;

    // Written by the owner before each process call.
    Settings settings;

    // Sizes and clears every line for this rate (allocates), then applies
    // the pre-delay.
    void prepare (double sampleRate);
    void reset() noexcept;

    // Takes settings.preDelayMs into use (process also does, at each block).
    void updatePreDelay() noexcept;

    void process (float* left, float* right, int numSamples) noexcept;

    int getPreDelaySamples() const noexcept { return preDelaySamples; }

private:
    struct Line
    {
        std::vector<float> samples;
        int index = 0;

        void resize (int length);
        void clear() noexcept;
    };

    Line combs[4];
    float combLowpass[4] = {};
    Line allPassLeft[2], allPassRight[2];
    Line preDelay;
    DcBlocker sendDc;
    int preDelaySamples = 0;
    double sampleRate = 44100.0;
};

} // namespace plumora
