#include "dsp/MultimodeFilter.h"

#include "BenchNoise.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace
{
constexpr int kBlockSize = 512;
constexpr const char* kModeNames[] = { "LP12", "LP24", "HP12", "HP24", "BP", "Notch", "Comb", "Formant" };

std::vector<float> noiseBlock() { return plumora::bench::noiseBlock (kBlockSize, 1, 1.0f); }

// One voice channel's filter over blocks of 512 at 48 kHz.
// Arguments: mode index, drive (percent), resonance (percent).
void filterPerSample (benchmark::State& state)
{
    const auto modeIndex = static_cast<int> (state.range (0));
    plumora::MultimodeFilter filter;
    filter.prepare (48000.0);
    filter.settings.mode = static_cast<plumora::FilterMode> (modeIndex);
    filter.settings.cutoff = 1200.0f;
    filter.settings.drive = static_cast<float> (state.range (1)) / 100.0f;
    filter.settings.resonance = static_cast<float> (state.range (2)) / 100.0f;
    state.SetLabel (kModeNames[modeIndex]);

    const auto input = noiseBlock();
    auto block = input;
    for (auto _ : state)
    {
        block = input;
        filter.process (block.data(), kBlockSize);
        benchmark::DoNotOptimize (block.data());
    }
    state.SetItemsProcessed (state.iterations() * kBlockSize);
}
BENCHMARK (filterPerSample)->ArgsProduct ({ benchmark::CreateDenseRange (0, 7, 1), { 0, 50 }, { 50 } });
// Past resonance 0.975 the SVF modes take the level-damped path.
BENCHMARK (filterPerSample)->ArgsProduct ({ benchmark::CreateDenseRange (0, 5, 1), { 0 }, { 100 } });
} // namespace
