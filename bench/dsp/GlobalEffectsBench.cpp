#include "dsp/AutoFilter.h"
#include "dsp/Chorus.h"
#include "dsp/Reverb.h"
#include "dsp/StereoDelay.h"

#include "BenchNoise.h"

#include <benchmark/benchmark.h>

#include <vector>

// Auto-filter, chorus, delay and reverb at typical settings, 48 kHz, blocks
// of 512; items are stereo sample frames.
namespace
{
constexpr int kBlockSize = 512;
constexpr double kSampleRate = 48000.0;

std::vector<float> noiseBlock (unsigned seed) { return plumora::bench::noiseBlock (kBlockSize, seed, 0.5f); }

template <typename Effect>
void runStereo (benchmark::State& state, Effect& effect)
{
    const auto inputLeft = noiseBlock (1), inputRight = noiseBlock (2);
    auto left = inputLeft, right = inputRight;
    for (auto _ : state)
    {
        left = inputLeft;
        right = inputRight;
        effect.process (left.data(), right.data(), kBlockSize);
        benchmark::DoNotOptimize (left.data());
        benchmark::DoNotOptimize (right.data());
    }
    state.SetItemsProcessed (state.iterations() * kBlockSize);
}

// LFO sweeping at 2 Hz.
void autoFilterPerStereoSample (benchmark::State& state)
{
    plumora::AutoFilter filter;
    filter.prepare (kSampleRate);
    filter.settings = { 0.5f, 2.0f, 0.5f, 1.0f, 0.3f, false };
    runStereo (state, filter);
}
BENCHMARK (autoFilterPerStereoSample);

// Argument: 0 Classic, 1 Ensemble, 2 crossfading between them (both run).
void chorusPerStereoSample (benchmark::State& state)
{
    plumora::Chorus chorus;
    chorus.prepare (kSampleRate);
    const auto mode = state.range (0);
    chorus.settings = { mode == 1 ? 1 : 0, 1.0f, 0.5f, 0.3f, false };
    if (mode == 2)
    {
        // Toggling every block keeps a crossfade running all the time.
        const auto inputLeft = noiseBlock (1), inputRight = noiseBlock (2);
        auto left = inputLeft, right = inputRight;
        for (auto _ : state)
        {
            left = inputLeft;
            right = inputRight;
            chorus.settings.mode = 1 - chorus.settings.mode;
            chorus.process (left.data(), right.data(), kBlockSize);
            benchmark::DoNotOptimize (left.data());
            benchmark::DoNotOptimize (right.data());
        }
        state.SetItemsProcessed (state.iterations() * kBlockSize);
        return;
    }
    runStereo (state, chorus);
}
BENCHMARK (chorusPerStereoSample)->DenseRange (0, 2);

void stereoDelayPerStereoSample (benchmark::State& state)
{
    plumora::StereoDelay delay;
    delay.prepare (kSampleRate);
    delay.settings = { 0.3f, 0.4f, 0.5f, 0.3f, false };
    runStereo (state, delay);
}
BENCHMARK (stereoDelayPerStereoSample);

void reverbPerStereoSample (benchmark::State& state)
{
    plumora::Reverb reverb;
    reverb.settings = { 0.5f, 0.5f, 0.2f, 20.0f, false };
    reverb.prepare (kSampleRate);
    runStereo (state, reverb);
}
BENCHMARK (reverbPerStereoSample);
} // namespace
