#include "dsp/FactoryWavetables.h"

#include <benchmark/benchmark.h>

namespace
{
// One factory table built from its recipe (uncached), as a preset load does
// on the message thread.
void buildFactoryTable (benchmark::State& state)
{
    const auto& name = plumora::factoryWavetableNames()[static_cast<std::size_t> (state.range (0))];
    state.SetLabel (name);
    for (auto _ : state)
        benchmark::DoNotOptimize (plumora::buildFactoryWavetable (name));
}
BENCHMARK (buildFactoryTable)->DenseRange (0, 9)->Unit (benchmark::kMillisecond);

void buildAllFactoryTables (benchmark::State& state)
{
    for (auto _ : state)
        for (const auto& name : plumora::factoryWavetableNames())
            benchmark::DoNotOptimize (plumora::buildFactoryWavetable (name));
}
BENCHMARK (buildAllFactoryTables)->Unit (benchmark::kMillisecond);
} // namespace
