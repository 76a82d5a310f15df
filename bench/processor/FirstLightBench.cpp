#include "processor/PluginProcessor.h"

#include <benchmark/benchmark.h>

#include <ctime>

namespace
{
constexpr double kRate = 48000.0;
constexpr double kSeconds = 10.0;

// The start-up sound through the whole processor with an 8-note chord held,
// as a share of one core, at the host buffer size given.
void firstLightEightNoteChord (benchmark::State& state)
{
    const int kBlock = static_cast<int> (state.range (0));
    PlumoraAudioProcessor processor; // loads "First Light"
    processor.prepareToPlay (kRate, kBlock);
    juce::AudioBuffer<float> buffer (2, kBlock);
    juce::MidiBuffer chord, none;
    for (const int note : { 36, 48, 55, 60, 64, 67, 71, 74 })
        chord.addEvent (juce::MidiMessage::noteOn (1, note, 0.8f), 0);
    processor.processBlock (buffer, chord);

    const int blocks = static_cast<int> (kSeconds * kRate / kBlock);
    const auto cpuStart = std::clock();
    for (auto _ : state)
        for (int b = 0; b < blocks; ++b)
            processor.processBlock (buffer, none);
    const double cpuSeconds = static_cast<double> (std::clock() - cpuStart) / CLOCKS_PER_SEC;
    state.counters["percent_of_one_core"] = 100.0 * cpuSeconds / (kSeconds * static_cast<double> (state.iterations()));
    state.counters["voices"] = processor.engine().activeVoiceCount();
}
BENCHMARK (firstLightEightNoteChord)->Unit (benchmark::kMillisecond)->ArgName ("host_buffer")->Arg (64)->Arg (512)->Arg (4096);
} // namespace
