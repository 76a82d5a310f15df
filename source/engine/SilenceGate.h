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

    // Whether the effect must process this block (its input, about to be
    // processed in place).
    bool mustRun (const float* left, const float* right, int numSamples) noexcept;
    // After a block the effect processed (its output).
    void ran (const float* left, const float* right, int numSamples) noexcept;

    bool isAsleep() const noexcept { return quietSamples >= memorySamples; }

    static bool isSilent (const float* left, const float* right, int numSamples) noexcept;

private:
    long long memorySamples = 0;
    long long quietSamples = 0;
    bool inputWasSilent = false;
};

} // namespace plumora
