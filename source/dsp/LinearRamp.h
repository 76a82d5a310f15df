#pragma once

namespace plumora
{

// A gain or mix that is set once per block but applied per sample: across
// each block it moves in a straight line from the last block's value to this
// block's, so a changed setting never steps (a step in a gain is a click).
// The first block starts at its value.
class LinearRamp
{
public:
    // Heads for target over the next numSamples; value (i) then gives the
    // setting for sample i of the block, reaching target at the last one.
    void begin (float target, int numSamples) noexcept
    {
        if (! started)
            jumpTo (target);
        start = end;
        end = target;
        step = numSamples > 0 ? (end - start) / static_cast<float> (numSamples) : 0.0f;
    }

    float value (int i) const noexcept { return start + step * static_cast<float> (i + 1); }
    bool isSteady() const noexcept { return step == 0.0f; }
    float target() const noexcept { return end; }

    // The next block starts from value, as after a jump.
    void jumpTo (float value) noexcept
    {
        start = end = value;
        step = 0.0f;
        started = true;
    }

private:
    float start = 0.0f, end = 0.0f, step = 0.0f;
    bool started = false;
};

} // namespace plumora
