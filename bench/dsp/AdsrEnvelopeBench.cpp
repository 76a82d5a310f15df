#include "dsp/AdsrEnvelope.h"

#include <benchmark/benchmark.h>

namespace
{
void adsrTick (benchmark::State& state)
{
    plumora::AdsrEnvelope envelope;
    envelope.prepare (48000.0);
    envelope.setParameters (0.5f, 0.3f, 0.7f, 0.5f);
    envelope.noteOn();

    for (auto _ : state)
        benchmark::DoNotOptimize (envelope.tick());

    state.SetItemsProcessed (state.iterations());
}
BENCHMARK (adsrTick);
} // namespace
