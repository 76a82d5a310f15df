#include "engine/SynthEngine.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <vector>

namespace
{
constexpr double kRate = 48000.0;
constexpr double kSeconds = 10.0;

using Setup = void (*) (plumora::SynthEngine&);

// Renders ten seconds in calls of the benchmark's argument (host buffer
// size) and reports CPU time as a share of the audio's duration
// ("percent_of_one_core"); voices are started before timing.
void renderTenSeconds (benchmark::State& state, Setup setup, int voices)
{
    const int kBlock = static_cast<int> (state.range (0));
    plumora::SynthEngine engine;
    engine.prepare (kRate, kBlock);
    engine.setParameter (plumora::ParamID::amp_sustain, 1.0f);
    setup (engine);
    for (int i = 0; i < voices; ++i)
        engine.noteOn (1, 36 + (i * 5) % 48, 0.8f);

    std::vector<float> left (kBlock), right (kBlock);
    float* channels[] = { left.data(), right.data() };
    const int blocks = static_cast<int> (kSeconds * kRate / kBlock);
    const auto cpuStart = std::clock();
    for (auto _ : state)
        for (int b = 0; b < blocks; ++b)
        {
            engine.render (channels, 2, kBlock);
            benchmark::DoNotOptimize (left.data());
        }
    const double cpuSeconds = static_cast<double> (std::clock() - cpuStart) / CLOCKS_PER_SEC;

    state.counters["percent_of_one_core"] = 100.0 * cpuSeconds / (kSeconds * static_cast<double> (state.iterations()));
    state.counters["voices"] = engine.activeVoiceCount();
}

void defaultSound (plumora::SynthEngine&) {}

void eightWideVoices (plumora::SynthEngine& engine)
{
    engine.setParameter (plumora::ParamID::osc1_unison, 6.0f);
    engine.setParameter (plumora::ParamID::osc2_unison, 6.0f);
    engine.setParameter (plumora::ParamID::osc2_level, 0.6f);
    engine.setParameter (plumora::ParamID::filt_type, 2.0f);
}

// All six global effects running: auto-filter sweeping, chorus, three driven
// saturation bands, delay, reverb and EQ.
void allEffects (plumora::SynthEngine& engine)
{
    using plumora::ParamID;
    for (const auto& [id, value] : std::initializer_list<std::pair<ParamID, float>> {
             { ParamID::autofilter_rate, 2 }, { ParamID::autofilter_mix, 0.5f }, { ParamID::chorus_mode, 1 },
             { ParamID::mbsat_mix, 0.5f }, { ParamID::mbsat_low_drive, 0.3f }, { ParamID::mbsat_mid_drive, 0.3f },
             { ParamID::mbsat_high_drive, 0.3f }, { ParamID::eq_low_gain, 2 }, { ParamID::eq_high_gain, -2 } })
        engine.setParameter (id, value);
}

void worstCase (plumora::SynthEngine& engine)
{
    using plumora::ParamID;
    for (const auto& [id, value] : std::initializer_list<std::pair<ParamID, float>> {
             { ParamID::osc1_unison, 16 }, { ParamID::osc2_unison, 16 }, { ParamID::osc2_level, 0.6f },
             { ParamID::osc1_wt_pos, 0.4f }, { ParamID::filt_type, 2 }, { ParamID::filt_drive, 0.7f },
             { ParamID::filt_reso, 0.5f }, { ParamID::dist_drive, 0.5f }, { ParamID::dist_bypass, 0 } })
        engine.setParameter (id, value);
    allEffects (engine);
}

void idleAllEffects (benchmark::State& state) { renderTenSeconds (state, allEffects, 0); }
void oneVoiceDefault (benchmark::State& state) { renderTenSeconds (state, defaultSound, 1); }
void eightVoicesSixWideUnison (benchmark::State& state) { renderTenSeconds (state, eightWideVoices, 8); }
void worstCaseThirtyTwoVoices (benchmark::State& state) { renderTenSeconds (state, worstCase, 32); }

BENCHMARK (idleAllEffects)->Unit (benchmark::kMillisecond)->ArgName ("host_buffer")->Arg (64)->Arg (512)->Arg (4096);
BENCHMARK (oneVoiceDefault)->Unit (benchmark::kMillisecond)->ArgName ("host_buffer")->Arg (512);
BENCHMARK (eightVoicesSixWideUnison)->Unit (benchmark::kMillisecond)->ArgName ("host_buffer")->Arg (512);
BENCHMARK (worstCaseThirtyTwoVoices)->Unit (benchmark::kMillisecond)->Iterations (2)->ArgName ("host_buffer")->Arg (64)->Arg (512)->Arg (4096);
} // namespace
