#pragma once

namespace plumora
{

// Lets an effect sleep while it has nothing to do: once its input and its
// output have both been silent for longer than the effect can hold sound
// (its memory: the longest delay line or ring-out), it skips its blocks, and
// the first input sample above the silence level wakes it.
// Blocks in which the effect is switched off are not shown to the gate: a
// switched-off effect keeps its state (a reverb tail, say) frozen, and must
// play it out when it is switched on again.
class SilenceGate
{
public:
    // -120 dBFS: far below anything audible.
    static constexpr float kSilenceLevel = 1.0e-6f;

    void prepare (double sampleRate, double memorySeconds) noexcept;
    // Awake, as a new gate is: the effect's state was cleared.
    void reset() noexcept;

    // Whether the effect must process this block, given whether its input
    // is silent (isSilent). The chain scans each buffer once: one effect's
    // output is the next one's input.
    bool mustRun (bool inputSilent) noexcept;
    // After a block of numSamples the effect processed, given whether its
    // output is silent.
    void ran (bool outputSilent, int numSamples) noexcept;

    bool isAsleep() const noexcept { return quietSamples >= memorySamples; }

    static bool isSilent (const float* left, const float* right, int numSamples) noexcept;

private:
    long long memorySamples = 0;
    long long quietSamples = 0;
    bool inputWasSilent = false;
};

} // namespace plumora
