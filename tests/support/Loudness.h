#pragma once

#include <vector>

namespace plumora::test
{

// Loudness as broadcast meters read it: both channels K-weighted (a high
// shelf for the head, a high-pass below 60 Hz), mean square summed over the
// channels, in LUFS. The coefficients are those for 48 kHz.
constexpr double kLoudnessSampleRate = 48000.0;

// The loudest 3-second stretch ("short-term" loudness), stepping 100 ms;
// the whole take when it is shorter than that. -200 for silence.
double loudestShortTermLoudness (const std::vector<float>& left, const std::vector<float>& right);

} // namespace plumora::test
