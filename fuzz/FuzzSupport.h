#pragma once

// What the fuzz targets share: process set-up, a failed check that libFuzzer
// reports as a crash (with the input saved), a private scratch folder for the
// readers that read files, the processor a target keeps for the whole run
// and puts back before each input, playing it while checking its audio, and
// the check that putting it back leaves nothing of earlier inputs.

#include "engine/SynthEngine.h"
#include "processor/PluginProcessor.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

// libFuzzer's entry points: every target defines the first two, the
// structure-aware ones the mutators.
extern "C" int LLVMFuzzerInitialize (int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size);
extern "C" std::size_t LLVMFuzzerCustomMutator (std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned int seed);
extern "C" std::size_t LLVMFuzzerCustomCrossOver (const std::uint8_t* data1, std::size_t size1, const std::uint8_t* data2,
                                                  std::size_t size2, std::uint8_t* out, std::size_t maxOutSize, unsigned int seed);

namespace plumora::fuzz
{

[[noreturn]] void fail (const char* what);

inline void check (bool condition, const char* what)
{
    if (! condition)
        fail (what);
}

// A folder of its own, removed at exit: in memory (/dev/shm) where there is
// one, as some targets write a file per input, else in the temporary
// folder. Fuzzers may run side by side (-jobs), so the name is random.
struct ScratchFolder
{
    ScratchFolder();
    ~ScratchFolder() { root.deleteRecursively(); }

    // The bytes as the file at relativePath (no bytes: no file).
    juce::File write (const juce::String& relativePath, const std::uint8_t* data, std::size_t size) const;

    juce::File root;
};

// Once per process, before the first input: an empty home folder (the
// processor reads the user preset folder, which must neither change what an
// input does nor be written to) and the GUI layer the processor's timers expect.
void initialise();

constexpr double kRate = 48000.0;
// Under the sanitizers every rendered sample is dear: inputs play blocks of
// half a control interval, which still reach every stage of the sound.
constexpr int kBlock = 32;

// What an input led to (saved bytes, rendered samples), as a 64-bit FNV-1a.
class Fingerprint
{
public:
    void add (const void* data, std::size_t size) noexcept;
    void add (const juce::AudioBuffer<float>& buffer) noexcept;
    std::uint64_t value() const noexcept { return hash; }

private:
    std::uint64_t hash = 14695981039346656037ull;
};

// Whether this input is also run on objects made for it alone, to show that
// a reset leaves nothing of the inputs before: every 256th input, or every
// PLUMORA_FUZZ_RESET_CHECK_EVERY-th when that is set (1: each one).
bool isResetCheckInput();

// The check itself: what the input led to on the long-lived objects, reset
// after other inputs, against what it led to on new ones.
void checkResetLeftNothing (const Fingerprint& afterOthers, const Fingerprint& alone);

bool isFinite (const juce::AudioBuffer<float>& buffer);

// A processor as a host opens it (the startup preset loaded), made and
// prepared once per process: a new one takes 20 to 30 ms under the
// sanitizers, most of what an input may cost.
class ProcessorRig
{
public:
    explicit ProcessorRig (int maximumBlockSize = kBlock);
    ~ProcessorRig();

    // Back to the processor as it was made: its parameters, the startup
    // preset's routings, tables and MPE flag, its preset name and program,
    // the editor mode, a parameter tree of its own where a restored state
    // brought another, the on-screen keyboard, and silence with every
    // sounding and remembering part of the engine cleared. Puts back only
    // what differs, so an input that changed little is reset quickly.
    PlumoraAudioProcessor& reset();
    PlumoraAudioProcessor& processor() noexcept { return plugin; }

private:
    struct TreeWatcher : juce::ValueTree::Listener
    {
        bool replaced = false;
        void valueTreeRedirected (juce::ValueTree&) override { replaced = true; }
    };

    PlumoraAudioProcessor plugin;
    juce::ValueTree madeTree;
    std::array<std::atomic<float>*, kNumParameters> values {};
    std::array<float, kNumParameters> madeValues {};
    ParameterValues madePresetValues {}; // what writes the made values again
    std::vector<ModRouting> madeRoutings;
    std::array<std::string, 2> madeTables;
    bool madeMpe = false;
    juce::String madeName;
    int madeProgram = 0;
    int madeUiMode = 0;
    TreeWatcher treeWatcher;
};

// Runs an input (run (processor, fingerprint)) on the long-lived rig, reset
// first, and, for a reset-check input, again on a rig of its own: both must
// lead to the same fingerprint.
template <typename Input>
void runOnSharedRig (ProcessorRig& rig, int maximumBlockSize, Input&& run)
{
    Fingerprint afterOthers;
    run (rig.reset(), afterOthers);
    if (isResetCheckInput())
    {
        const auto alone = std::make_unique<ProcessorRig> (maximumBlockSize);
        Fingerprint fresh;
        run (alone->processor(), fresh);
        checkResetLeftNothing (afterOthers, fresh);
    }
}

// Plays a processor block by block as a host would, note events at the
// start of a block; every sample must be finite, and goes into a fingerprint.
class Player
{
public:
    Player (PlumoraAudioProcessor& processor, Fingerprint& fingerprint, int blockSize = kBlock);

    void press (std::initializer_list<int> notes);
    void release (std::initializer_list<int> notes);
    // Blocks, the first with the notes pressed or released since the last one.
    void play (int blocks, const char* failure);

    // One block that starts a note and releases the one this started last:
    // a sound just changed plays a note that began with it.
    void playNewNote (int note, const char* failure);
    // One block into the release of the note started last.
    void releaseLastNote (const char* failure);

private:
    PlumoraAudioProcessor& processor;
    Fingerprint& fingerprint;
    juce::AudioBuffer<float> buffer;
    juce::MidiBuffer events;
    int lastNote = -1;
};

} // namespace plumora::fuzz
