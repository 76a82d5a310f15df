#pragma once

namespace plumora
{

// Per-voice tanh waveshaper with unity small-signal gain: more drive lowers
// the ceiling (+-1/(15 drive + 1)) rather than raising the level.
class Distortion
{
public:
    struct Settings
    {
        float drive = 0.0f; // 0..1
        float mix = 1.0f;   // 0..1, dry to wet
        bool bypass = true;
    };

    // Written by the owner before each process call.
    Settings settings;

    // In place; the voice calls it for its left and then its right buffer.
    void process (float* samples, int numSamples) const noexcept;
};

} // namespace plumora
