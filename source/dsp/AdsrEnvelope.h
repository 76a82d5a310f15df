#pragma once

namespace plumora
{

// Linear attack, exponential decay and release (each covering 99 % of its
// distance in the set time). Retriggering rises from the current value, so a
// stolen or retriggered voice never drops to zero.
class AdsrEnvelope
{
public:
    enum Stage : int { Idle = 0, Attack = 1, Decay = 2, Sustain = 3, Release = 4 };

    void prepare (double sampleRate) noexcept;
    void setParameters (float attackSeconds, float decaySeconds, float sustainLevel, float releaseSeconds) noexcept;

    void noteOn() noexcept { stage = Attack; }
    void noteOff() noexcept;
    // Idle at value 0, at once.
    void reset() noexcept;

    float tick() noexcept;
    // Writes the next numSamples values (the same as numSamples ticks);
    // held and finished stages cost one fill.
    void render (float* output, int numSamples) noexcept;
    // Advances numSamples ticks and returns the last value.
    float advance (int numSamples) noexcept;

    float getValue() const noexcept { return static_cast<float> (level); }
    Stage getStage() const noexcept { return stage; }
    bool isIdle() const noexcept { return stage == Idle; }

private:
    void updateCoefficients() noexcept;

    double sampleRate = 44100.0;
    Stage stage = Idle;
    // The recursions run in double: in float, rounding drifts a 10 s stage by
    // hundreds of samples.
    double level = 0.0;
    float attack = 0.01f, decay = 0.3f, sustain = 0.7f, release = 0.5f;
    double attackStep = 0.0, attackEndLevel = 1.0, decayCoef = 0.0, releaseCoef = 0.0;
};

} // namespace plumora
