#pragma once

#include <cstdint>
#include <vector>

namespace plumora
{

struct KsParameters
{
    float damping = 0.5f;       // 0..1: loop loss per period, 0.96 .. 0.999
    float brightness = 0.9f;    // 0..1: low-pass of the pluck burst
    float pickPosition = 0.25f; // 0.02..0.5 of the string length
    float stretch = 0.5f;       // 0..1: higher notes lose less per period
    int pickDirection = 0;      // 0 up, otherwise down
};

// A plucked string: a filtered noise burst shaped by the pick recirculates
// through a delay line whose length sets the pitch. The pitch is fixed at the
// pluck. All memory is sized by prepare, so plucking allocates nothing.
class KarplusStrongString
{
public:
    static constexpr double kLowestFrequency = 28.0;

    void prepare (double sampleRate);
    void reset() noexcept;

    // The pluck; randomState is the owner's own generator.
    void excite (std::uint32_t& randomState, float frequencyHz, float velocity, const KsParameters&) noexcept;

    // Writes numSamples mono samples (zeros before the first pluck).
    void render (float* out, int numSamples, const KsParameters&) noexcept;

    bool isActive() const noexcept { return active; }
    float frequency() const noexcept { return pluckedFrequency; }
    int delayWhole() const noexcept { return delayInt; }
    float delayFraction() const noexcept { return delayFrac; }
    int lineLength() const noexcept { return static_cast<int> (line.size()); }

private:
    double sampleRate = 44100.0;
    std::vector<float> line;
    std::vector<float> burst, burstCopy; // pluck scratch, sized with the line
    std::uint32_t writeIndex = 0;
    int delayInt = 2;
    float delayFrac = 0.0f;
    float pluckedFrequency = 440.0f;
    float lastOut = 0.0f;
    bool active = false;
};

} // namespace plumora
