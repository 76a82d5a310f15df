#pragma once

// What the fuzz targets share: process set-up, a failed check that libFuzzer
// reports as a crash (with the input saved), a private scratch folder for the
// readers that read files, and playing a processor while checking its audio.

#include "processor/PluginProcessor.h"

#include <juce_events/juce_events.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// libFuzzer's entry points, which every target defines.
extern "C" int LLVMFuzzerInitialize (int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size);

namespace plumora::fuzz
{

[[noreturn]] inline void fail (const char* what)
{
    std::fprintf (stderr, "\nfuzz check failed: %s\n", what);
    std::abort();
}

inline void check (bool condition, const char* what)
{
    if (! condition)
        fail (what);
}

// A folder of its own under the temporary folder, removed at exit. Fuzzers
// may run side by side (-jobs), so the name is random.
struct ScratchFolder
{
    juce::File root = juce::File::getSpecialLocation (juce::File::tempDirectory)
                          .getNonexistentChildFile ("plumora-fuzz-" + juce::String::toHexString (juce::Random().nextInt64()), "", false);

    ScratchFolder() { root.createDirectory(); }
    ~ScratchFolder() { root.deleteRecursively(); }

    // The bytes as the file at relativePath (no bytes: no file).
    juce::File write (const juce::String& relativePath, const std::uint8_t* data, std::size_t size) const
    {
        const auto file = root.getChildFile (relativePath);
        file.getParentDirectory().createDirectory();
        file.deleteFile();
        if (size > 0)
            file.replaceWithData (data, size);
        return file;
    }
};

// Once per process, before the first input: an empty home folder (the
// processor reads the user preset folder, which must neither change what an
// input does nor be written to) and the GUI layer the processor's timers expect.
inline void initialise()
{
    static ScratchFolder home;
    static bool done = false;
    if (done)
        return;
    done = true;
    setenv ("HOME", home.root.getFullPathName().toRawUTF8(), 1);
    unsetenv ("XDG_CONFIG_HOME");
    // Lives as long as the process, never torn down: libFuzzer ends the
    // process from inside its loop.
    static auto* const juceLayer = new juce::ScopedJuceInitialiser_GUI();
    juce::ignoreUnused (juceLayer);
}

constexpr double kRate = 48000.0;
constexpr int kBlock = 256;

inline bool isFinite (const juce::AudioBuffer<float>& buffer)
{
    for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            if (! std::isfinite (buffer.getSample (channel, i)))
                return false;
    return true;
}

// Plays a chord through processBlock for a few blocks, releases it and plays
// on into the release: every sample must be finite.
inline void playChordAndCheck (PlumoraAudioProcessor& processor, int blocks = 3)
{
    juce::AudioBuffer<float> buffer (2, kBlock);
    for (int b = 0; b < 2 * blocks; ++b)
    {
        juce::MidiBuffer midi;
        for (const int note : { 48, 60, 64, 67 })
            if (b == 0)
                midi.addEvent (juce::MidiMessage::noteOn (1, note, 0.9f), 0);
            else if (b == blocks)
                midi.addEvent (juce::MidiMessage::noteOff (1, note), 0);
        processor.processBlock (buffer, midi);
        check (isFinite (buffer), "the processor rendered a sample that is not finite");
    }
}

} // namespace plumora::fuzz
