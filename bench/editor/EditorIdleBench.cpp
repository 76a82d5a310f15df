// What an open editor costs while nothing happens: the PRO page in a real
// window on an X display (scripts/bench.sh runs this under xvfb-run), no
// notes, no audio device, 10 s of the message loop. The figure is the whole
// process's CPU time (every thread) as a share of one core; the baseline is
// the same process with the processor and no window.
//
// The plug-in's shared code forbids modal loops (JUCE_MODAL_LOOPS_PERMITTED
// is 0), so each run takes a fresh message manager, runs its dispatch loop
// and stops it from a timer.

#include "editor/QuietXErrors.h"
#include "editor/shell/AdvancedEditorContent.h"
#include "editor/shell/PluginEditor.h"
#include "processor/PluginProcessor.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>

namespace
{
constexpr int kSettleMilliseconds = 2000; // the window opens and paints first
constexpr int kMeasureMilliseconds = 10000;

double processCpuSeconds()
{
    rusage usage {};
    getrusage (RUSAGE_SELF, &usage);
    const auto seconds = [] (const timeval& t) { return static_cast<double> (t.tv_sec) + static_cast<double> (t.tv_usec) * 1e-6; };
    return seconds (usage.ru_utime) + seconds (usage.ru_stime);
}

// Runs the message loop for the settling time and then the measured time;
// the share of one core the process used in the measured part, in percent.
double percentOfOneCoreWhileTheLoopRuns()
{
    double cpuStart = 0.0, wallStart = 0.0, percent = 0.0;
    juce::Timer::callAfterDelay (kSettleMilliseconds, [&]
    {
        cpuStart = processCpuSeconds();
        wallStart = juce::Time::getMillisecondCounterHiRes();
    });
    juce::Timer::callAfterDelay (kSettleMilliseconds + kMeasureMilliseconds, [&]
    {
        const double wallSeconds = (juce::Time::getMillisecondCounterHiRes() - wallStart) * 1e-3;
        percent = 100.0 * (processCpuSeconds() - cpuStart) / wallSeconds;
        juce::MessageManager::getInstance()->stopDispatchLoop();
    });
    juce::MessageManager::getInstance()->runDispatchLoop();
    return percent;
}

void editorOpenProPageIdle (benchmark::State& state)
{
    if (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isEmpty())
    {
        state.SkipWithError ("no X display: run under xvfb-run (scripts/bench.sh does)");
        return;
    }
    plumora::bench::quietXErrors();
    const juce::ScopedJuceInitialiser_GUI gui;

    PlumoraAudioProcessor processor;
    processor.setUiMode (0);
    std::unique_ptr<juce::AudioProcessorEditor> editor (processor.createEditorIfNeeded());
    struct Close
    {
        PlumoraAudioProcessor& processor;
        std::unique_ptr<juce::AudioProcessorEditor>& editor;
        ~Close()
        {
            if (editor == nullptr)
                return;
            editor->removeFromDesktop();
            processor.editorBeingDeleted (editor.get());
            editor.reset();
        }
    } closeEditor { processor, editor };
    auto* plumoraEditor = dynamic_cast<PlumoraAudioProcessorEditor*> (editor.get());
    if (plumoraEditor == nullptr || dynamic_cast<plumora::AdvancedEditorContent*> (plumoraEditor->page()) == nullptr)
    {
        state.SkipWithError ("the editor does not show the PRO page");
        return;
    }
    editor->setTopLeftPosition (0, 0);
    editor->addToDesktop (juce::ComponentPeer::windowAppearsOnTaskbar);
    editor->setVisible (true);
    if (editor->getPeer() == nullptr)
    {
        state.SkipWithError ("the editor's window did not open");
        return;
    }

    double percent = 0.0;
    for (auto _ : state)
        percent = percentOfOneCoreWhileTheLoopRuns();
    state.counters["percent_of_one_core"] = percent;
}
BENCHMARK (editorOpenProPageIdle)->Iterations (1)->Unit (benchmark::kSecond)->UseRealTime()->MeasureProcessCPUTime();

// The same process without the window: what the processor and JUCE cost on
// their own, for comparison.
void noEditorIdle (benchmark::State& state)
{
    const juce::ScopedJuceInitialiser_GUI gui;
    PlumoraAudioProcessor processor;
    double percent = 0.0;
    for (auto _ : state)
        percent = percentOfOneCoreWhileTheLoopRuns();
    state.counters["percent_of_one_core"] = percent;
}
BENCHMARK (noEditorIdle)->Iterations (1)->Unit (benchmark::kSecond)->UseRealTime()->MeasureProcessCPUTime();
} // namespace

int main (int argc, char** argv)
{
    // The editor writes a diagnostic to the desktop folder and the presets
    // keep user files in the home folder: both go to a temporary home.
    const auto home = juce::File::getSpecialLocation (juce::File::tempDirectory)
                          .getChildFile ("plumora-bench-home-" + juce::Uuid().toString());
    home.createDirectory();
    setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);
    unsetenv ("XDG_CONFIG_HOME");

    benchmark::Initialize (&argc, argv);
    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    home.deleteRecursively();
    return 0;
}
