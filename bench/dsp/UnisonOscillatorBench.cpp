#include "dsp/FactoryWavetables.h"
#include "dsp/UnisonOscillator.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace
{
constexpr int kBlock = 512;

// Items are unison-voice samples: the oscillator's unit of work. The second
// argument is the lane width: 8 uses the AVX2 kernels where the CPU has them.
void renderOscillator (benchmark::State& state, int mode, const char* table, bool movingPosition)
{
    const int unison = static_cast<int> (state.range (0));
    plumora::UnisonOscillator oscillator, partner;
    oscillator.prepare (48000.0);
    oscillator.setWideKernels (state.range (1) == 8);
    if (state.range (1) == 8 && ! plumora::cpuHasWideKernels())
        state.SetLabel ("no AVX2: four lanes");
    std::uint32_t randomState = 12345;
    plumora::startOscillatorPair (oscillator, partner, randomState);

    const auto wavetable = plumora::makeFactoryWavetable (table);
    plumora::OscillatorSettings settings;
    settings.mode = mode;
    settings.table = wavetable.get();
    settings.frequencyHz = 110.0; // a low note reads the fullest level
    settings.unison = unison;
    settings.detuneCents = 20.0f;
    settings.driftCents = 5.0f;
    settings.stereoWidth = 0.7f;
    settings.position = 0.37f;

    std::vector<float> left (kBlock), right (kBlock);
    int block = 0;
    for (auto _ : state)
    {
        if (movingPosition)
            settings.position = static_cast<float> (block++ % 100) / 100.0f;
        oscillator.render (left.data(), right.data(), kBlock, settings);
        benchmark::DoNotOptimize (left.data());
        benchmark::DoNotOptimize (right.data());
    }
    state.SetItemsProcessed (state.iterations() * kBlock * unison);
}

void wavetableBetweenFrames (benchmark::State& state) { renderOscillator (state, 0, "factory:analog_stack", false); }
void wavetableMovingPosition (benchmark::State& state) { renderOscillator (state, 0, "factory:analog_stack", true); }
void wavetableSingleFrame (benchmark::State& state) { renderOscillator (state, 0, "factory:saw", false); }
void superSaw (benchmark::State& state) { renderOscillator (state, 1, "factory:saw", false); }

BENCHMARK (wavetableBetweenFrames)->ArgsProduct ({ { 1, 4, 7, 16 }, { 4, 8 } });
BENCHMARK (wavetableMovingPosition)->ArgsProduct ({ { 16 }, { 4, 8 } });
BENCHMARK (wavetableSingleFrame)->ArgsProduct ({ { 16 }, { 4, 8 } });
BENCHMARK (superSaw)->ArgsProduct ({ { 1, 7, 16 }, { 4, 8 } });
} // namespace
