#include "dsp/Distortion.h"
#include "dsp/MultibandSaturator.h"
#include "dsp/ThreeBandEq.h"

#include "BenchNoise.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace
{
constexpr int kBlockSize = 512;

std::vector<float> noiseBlock (unsigned seed) { return plumora::bench::noiseBlock (kBlockSize, seed, 0.5f); }

// Per-voice distortion on one channel; argument: mix in percent.
void distortionPerSample (benchmark::State& state)
{
    plumora::Distortion distortion;
    distortion.settings = { 0.7f, static_cast<float> (state.range (0)) / 100.0f, false };
    const auto input = noiseBlock (1);
    auto block = input;
    for (auto _ : state)
    {
        block = input;
        distortion.process (block.data(), kBlockSize);
        benchmark::DoNotOptimize (block.data());
    }
    state.SetItemsProcessed (state.iterations() * kBlockSize);
}
BENCHMARK (distortionPerSample)->Arg (100)->Arg (50);

// Global EQ, items are stereo sample frames.
void eqPerStereoSample (benchmark::State& state)
{
    plumora::ThreeBandEq eq;
    eq.settings = { 6.0f, -4.0f, 3.0f, false };
    eq.prepare (48000.0);
    const auto inputLeft = noiseBlock (1), inputRight = noiseBlock (2);
    auto left = inputLeft, right = inputRight;
    for (auto _ : state)
    {
        left = inputLeft;
        right = inputRight;
        eq.updateCoefficients();
        eq.process (left.data(), right.data(), kBlockSize);
        benchmark::DoNotOptimize (left.data());
        benchmark::DoNotOptimize (right.data());
    }
    state.SetItemsProcessed (state.iterations() * kBlockSize);
}
BENCHMARK (eqPerStereoSample);

// Global multiband saturator, items are stereo sample frames; argument: the
// number of driven bands (0 is the crossover network alone).
void multibandSaturatorPerStereoSample (benchmark::State& state)
{
    plumora::MultibandSaturator saturator;
    saturator.prepare (48000.0);
    const auto drivenBands = state.range (0);
    saturator.settings.lowDrive = drivenBands > 0 ? 0.5f : 0.0f;
    saturator.settings.midDrive = drivenBands > 1 ? 0.5f : 0.0f;
    saturator.settings.highDrive = drivenBands > 2 ? 0.5f : 0.0f;
    saturator.settings.mix = 0.8f;
    const auto inputLeft = noiseBlock (1), inputRight = noiseBlock (2);
    auto left = inputLeft, right = inputRight;
    for (auto _ : state)
    {
        left = inputLeft;
        right = inputRight;
        saturator.process (left.data(), right.data(), kBlockSize);
        benchmark::DoNotOptimize (left.data());
        benchmark::DoNotOptimize (right.data());
    }
    state.SetItemsProcessed (state.iterations() * kBlockSize);
}
BENCHMARK (multibandSaturatorPerStereoSample)->DenseRange (0, 3);
} // namespace
