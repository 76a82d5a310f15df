#pragma once

#include <vector>

namespace plumora
{

// Global chorus with two characters: Classic, four taps (two per side) on one
// LFO in quadrature steps, depth and rate set by the user; Ensemble, three
// slowly drifting voices at 7, 13 and 21 ms panned across the stereo field.
// A mode change crossfades the two over 10 ms.
class Chorus
{
public:
    enum Mode : int { Classic = 0, Ensemble = 1 };

    struct Settings
    {
        int mode = Classic;  // Ensemble when 1, Classic otherwise
        float rate = 1.0f;   // Classic LFO Hz, 0.1..5
        float depth = 0.5f;  // 0..1: Classic swing of +-5 ms around 7 ms
        float mix = 0.3f;    // 0..1, dry to chorus
        bool bypass = false; // skips the block and freezes the state
    };

    static constexpr int kLineLength = 8192; // per side, a power of two

    // Written by the owner before each process call.
    Settings settings;

    // Allocates the lines (once), clears them and restarts the LFOs in Classic.
    void prepare (double sampleRate);
    void reset() noexcept;

    void process (float* left, float* right, int numSamples) noexcept;

    // 0 Classic .. 1 Ensemble; in between while crossfading.
    float getBlend() const noexcept { return blend; }

private:
    float read (const float* line, float delay) const noexcept;

    std::vector<float> lineLeft, lineRight;
    int writeIndex = 0;
    double sampleRate = 44100.0;
    // In double: a float phase would step by a visibly wrong amount at slow
    // rates and high sample rates.
    double classicPhases[4] = {};
    double ensemblePhases[3] = {}; // cycles
    int lastMode = Classic;
    float blend = 0.0f, blendTarget = 0.0f, blendStep = 0.0f;
    int blendRemaining = 0;
};

} // namespace plumora
