// What an open editor costs: each page in a real window on an X display
// (scripts/bench.sh runs this under xvfb-run), 10 s of the message loop,
// idle (no notes, no audio device) and playing (an 8-note chord rendered in
// real time by a thread of its own, four LFO routings moving). The figures
// are the message thread's CPU time as a share of one core, and the whole
// process's for comparison with the same process with no window; and the
// time from asking for the editor to its first painted frame.
//
// The plug-in's shared code forbids modal loops (JUCE_MODAL_LOOPS_PERMITTED
// is 0), so each run takes a fresh message manager, runs its dispatch loop
// and stops it from a timer.

#include "editor/QuietXErrors.h"
#include "editor/shell/AdvancedEditorContent.h"
#include "editor/shell/SimpleEditorContent.h"
#include "editor/simple/CharacterBlockComponent.h"
#include "editor/shell/PluginEditor.h"
#include "processor/PluginProcessor.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <vector>
#include <thread>

namespace
{
constexpr int kSettleMilliseconds = 2000; // the window opens and paints first
constexpr int kMeasureMilliseconds = 10000;

// CPU seconds of the whole process, or of the calling thread alone.
double cpuSeconds (int who)
{
    rusage usage {};
    getrusage (who, &usage);
    const auto seconds = [] (const timeval& t) { return static_cast<double> (t.tv_sec) + static_cast<double> (t.tv_usec) * 1e-6; };
    return seconds (usage.ru_utime) + seconds (usage.ru_stime);
}

struct CoreShares
{
    double messageThread = 0.0; // percent of one core
    double process = 0.0;       // every thread of the process
};

// Runs the message loop for the settling time and then the measured time;
// the shares of one core the message thread and the whole process used in
// the measured part.
CoreShares percentOfOneCoreWhileTheLoopRuns()
{
    double threadStart = 0.0, processStart = 0.0, wallStart = 0.0;
    CoreShares shares;
    juce::Timer::callAfterDelay (kSettleMilliseconds, [&]
    {
        threadStart = cpuSeconds (RUSAGE_THREAD);
        processStart = cpuSeconds (RUSAGE_SELF);
        wallStart = juce::Time::getMillisecondCounterHiRes();
    });
    juce::Timer::callAfterDelay (kSettleMilliseconds + kMeasureMilliseconds, [&]
    {
        const double wallSeconds = (juce::Time::getMillisecondCounterHiRes() - wallStart) * 1e-3;
        shares.messageThread = 100.0 * (cpuSeconds (RUSAGE_THREAD) - threadStart) / wallSeconds;
        shares.process = 100.0 * (cpuSeconds (RUSAGE_SELF) - processStart) / wallSeconds;
        juce::MessageManager::getInstance()->stopDispatchLoop();
    });
    juce::MessageManager::getInstance()->runDispatchLoop();
    return shares;
}

void report (benchmark::State& state, const CoreShares& shares)
{
    state.counters["message_thread_percent_of_one_core"] = shares.messageThread;
    state.counters["process_percent_of_one_core"] = shares.process;
}

// The editor of processor in a window on the display; null (with the
// reason given to state) when there is no display or no PRO page.
struct OpenEditor
{
    PlumoraAudioProcessor& processor;
    std::unique_ptr<juce::AudioProcessorEditor> editor;

    OpenEditor (PlumoraAudioProcessor& owner, benchmark::State& state, int uiMode = 0) : processor (owner)
    {
        if (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isEmpty())
        {
            state.SkipWithError ("no X display: run under xvfb-run (scripts/bench.sh does)");
            return;
        }
        processor.setUiMode (uiMode);
        editor.reset (processor.createEditorIfNeeded());
        auto* plumoraEditor = dynamic_cast<PlumoraAudioProcessorEditor*> (editor.get());
        const bool pageShown = plumoraEditor != nullptr
                               && (uiMode == 0 ? dynamic_cast<plumora::AdvancedEditorContent*> (plumoraEditor->page()) != nullptr
                                               : dynamic_cast<plumora::SimpleEditorContent*> (plumoraEditor->page()) != nullptr);
        if (! pageShown)
        {
            state.SkipWithError ("the editor does not show the page asked for");
            close();
            return;
        }
        editor->setTopLeftPosition (0, 0);
        editor->addToDesktop (juce::ComponentPeer::windowAppearsOnTaskbar);
        editor->setVisible (true);
        if (editor->getPeer() == nullptr)
        {
            state.SkipWithError ("the editor's window did not open");
            close();
        }
    }

    ~OpenEditor() { close(); }

    void close()
    {
        if (editor == nullptr)
            return;
        editor->removeFromDesktop();
        processor.editorBeingDeleted (editor.get());
        editor.reset();
    }
};

void editorOpenProPageIdle (benchmark::State& state)
{
    plumora::bench::quietXErrors();
    const juce::ScopedJuceInitialiser_GUI gui;
    PlumoraAudioProcessor processor;
    OpenEditor open (processor, state);
    if (open.editor == nullptr)
        return;

    CoreShares shares;
    for (auto _ : state)
        shares = percentOfOneCoreWhileTheLoopRuns();
    report (state, shares);
}
BENCHMARK (editorOpenProPageIdle)->Iterations (1)->Unit (benchmark::kSecond)->UseRealTime()->MeasureProcessCPUTime();

// An 8-note chord the processor renders block by block in real time on a
// thread of its own, as an audio device would, while it exists.
class ChordPlayer
{
public:
    static constexpr int block = 512;
    static constexpr double rate = 48000.0;

    explicit ChordPlayer (PlumoraAudioProcessor& processor) : audio ([this, &processor] { play (processor); }) {}

    ~ChordPlayer()
    {
        playing = false;
        audio.join();
    }

private:
    void play (PlumoraAudioProcessor& processor)
    {
        juce::AudioBuffer<float> buffer (2, block);
        juce::MidiBuffer chord;
        for (const int note : { 48, 52, 55, 59, 62, 64, 67, 71 })
            chord.addEvent (juce::MidiMessage::noteOn (1, note, 0.8f), 0);
        processor.processBlock (buffer, chord);
        const auto period = std::chrono::microseconds (static_cast<long> (1e6 * block / rate));
        auto next = std::chrono::steady_clock::now();
        while (playing)
        {
            juce::MidiBuffer none;
            processor.processBlock (buffer, none);
            next += period;
            std::this_thread::sleep_until (next);
        }
    }

    std::atomic<bool> playing { true };
    std::thread audio;
};

// "First Light" playing an 8-note chord, rendered block by block in real
// time, with four LFO routings moving knobs and cables: the message thread's
// share of one core.
void editorOpenProPageChordPlaying (benchmark::State& state)
{
    plumora::bench::quietXErrors();
    const juce::ScopedJuceInitialiser_GUI gui;
    PlumoraAudioProcessor processor;
    processor.prepareToPlay (ChordPlayer::rate, ChordPlayer::block);
    auto& matrix = processor.engine().modMatrix();
    matrix.addRouting (plumora::ModSourceID::lfo3, plumora::index (plumora::ParamID::osc1_wt_pos), 0.5f, plumora::ModScope::global, false);
    matrix.addRouting (plumora::ModSourceID::lfo4, plumora::index (plumora::ParamID::filt_reso), 0.4f, plumora::ModScope::global, false);
    for (const auto& [id, value] : { std::pair<const char*, float> { "lfo3_depth", 1.0f }, { "lfo3_rate", 1.5f }, { "lfo4_depth", 1.0f },
                                     { "lfo4_rate", 0.7f }, { "lfo1_depth", 1.0f }, { "lfo2_depth", 1.0f } })
        if (auto* parameter = processor.parameters().getParameter (id))
            parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));

    OpenEditor open (processor, state);
    if (open.editor == nullptr)
        return;

    CoreShares shares;
    {
        const ChordPlayer chord (processor);
        for (auto _ : state)
            shares = percentOfOneCoreWhileTheLoopRuns();
    }
    report (state, shares);
}
BENCHMARK (editorOpenProPageChordPlaying)->Iterations (1)->Unit (benchmark::kSecond)->UseRealTime();

// The S!MPLE page, idle, and with its movement block animating while a
// chord plays: the whole process when idle, the message thread otherwise.
void editorOpenSimplePage (benchmark::State& state)
{
    plumora::bench::quietXErrors();
    const juce::ScopedJuceInitialiser_GUI gui;
    PlumoraAudioProcessor processor;
    const bool animating = state.range (0) != 0;
    processor.prepareToPlay (ChordPlayer::rate, ChordPlayer::block);
    OpenEditor open (processor, state, 1);
    if (open.editor == nullptr)
        return;
    std::unique_ptr<ChordPlayer> chord;
    if (animating)
    {
        auto* page = dynamic_cast<plumora::SimpleEditorContent*> (dynamic_cast<PlumoraAudioProcessorEditor*> (open.editor.get())->page());
        for (auto& characterBlock : page->characterBlocks())
            if (characterBlock->kind() == plumora::CharacterMapKind::movement)
            {
                characterBlock->setStep (3);
                characterBlock->toggleAnimation();
            }
        chord = std::make_unique<ChordPlayer> (processor);
    }
    CoreShares shares;
    for (auto _ : state)
        shares = percentOfOneCoreWhileTheLoopRuns();
    chord.reset();
    report (state, shares);
}
BENCHMARK (editorOpenSimplePage)->Arg (0)->Arg (1)->Iterations (1)->Unit (benchmark::kSecond)->UseRealTime();

// From asking for the editor to the end of its first painted frame in a
// window, as a host opens it: building the page's parts, laying them out,
// and painting every section once. Ten openings, one after another, in one
// run of the message loop (a run may not be restarted here).
void editorOpenToFirstPaintedFrame (benchmark::State& state)
{
    plumora::bench::quietXErrors();
    const juce::ScopedJuceInitialiser_GUI gui;
    if (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isEmpty())
    {
        state.SkipWithError ("no X display: run under xvfb-run (scripts/bench.sh does)");
        return;
    }
    PlumoraAudioProcessor processor;
    processor.setUiMode (static_cast<int> (state.range (0)));
    processor.prepareToPlay (ChordPlayer::rate, ChordPlayer::block);

    // A host's window around the editor: its paintOverChildren runs once the
    // editor inside it has painted.
    struct HostWindow : juce::Component
    {
        double paintedAt = 0.0;
        void paintOverChildren (juce::Graphics&) override
        {
            if (paintedAt == 0.0)
                paintedAt = juce::Time::getMillisecondCounterHiRes();
        }
    };

    constexpr int openings = 10;
    std::vector<double> milliseconds;
    std::unique_ptr<HostWindow> window;
    std::unique_ptr<juce::AudioProcessorEditor> editor;
    double askedAt = 0.0;
    const auto close = [&]
    {
        if (editor == nullptr)
            return;
        window->removeChildComponent (editor.get());
        processor.editorBeingDeleted (editor.get());
        editor.reset();
        window.reset();
    };
    const auto open = [&]
    {
        window = std::make_unique<HostWindow>();
        askedAt = juce::Time::getMillisecondCounterHiRes();
        editor.reset (processor.createEditorIfNeeded());
        window->setOpaque (true);
        window->addAndMakeVisible (*editor);
        window->setBounds (0, 0, editor->getWidth(), editor->getHeight());
        window->addToDesktop (juce::ComponentPeer::windowAppearsOnTaskbar);
        window->setVisible (true);
    };
    const double giveUpAt = juce::Time::getMillisecondCounterHiRes() + 60000.0;
    std::function<void()> poll = [&]
    {
        if (window != nullptr && window->paintedAt > 0.0)
        {
            milliseconds.push_back (window->paintedAt - askedAt);
            close();
            if (static_cast<int> (milliseconds.size()) < openings)
                open();
        }
        if (static_cast<int> (milliseconds.size()) >= openings || juce::Time::getMillisecondCounterHiRes() > giveUpAt)
            juce::MessageManager::getInstance()->stopDispatchLoop();
        else
            juce::Timer::callAfterDelay (1, poll);
    };
    for (auto _ : state)
    {
        open();
        poll();
        juce::MessageManager::getInstance()->runDispatchLoop();
        close();
    }
    if (static_cast<int> (milliseconds.size()) < openings)
    {
        state.SkipWithError ("the editor did not paint within a minute");
        return;
    }
    std::sort (milliseconds.begin(), milliseconds.end());
    state.counters["median_ms_to_first_frame"] = milliseconds[milliseconds.size() / 2];
    state.counters["worst_ms_to_first_frame"] = milliseconds.back();
}
BENCHMARK (editorOpenToFirstPaintedFrame)->Arg (0)->Arg (1)->Iterations (1)->Unit (benchmark::kMillisecond)->UseRealTime();

// The same process without the window: what the processor and JUCE cost on
// their own, for comparison.
void noEditorIdle (benchmark::State& state)
{
    const juce::ScopedJuceInitialiser_GUI gui;
    PlumoraAudioProcessor processor;
    CoreShares shares;
    for (auto _ : state)
        shares = percentOfOneCoreWhileTheLoopRuns();
    report (state, shares);
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
