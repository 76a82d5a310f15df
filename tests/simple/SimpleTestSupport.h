#pragma once

// Shared by the S!MPLE data tests: a private temporary folder, a processor
// that starts from the catalogue defaults, and rendering a held note.

#include "processor/PluginProcessor.h"
#include "simple/ParameterWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace plumora::test
{

// A folder of its own under the temporary folder, deleted with the object.
// Test processes run side by side and share the temporary folder: a random
// name keeps two of them from picking (and deleting) the same folder.
struct TemporaryFolder
{
    juce::File root = juce::File::getSpecialLocation (juce::File::tempDirectory)
                          .getNonexistentChildFile ("plumora-simple-test-" + juce::String::toHexString (juce::Random().nextInt64()), "", false);

    TemporaryFolder() { root.createDirectory(); }
    ~TemporaryFolder() { root.deleteRecursively(); }

    juce::File folder (const juce::String& relativePath) const
    {
        const auto made = root.getChildFile (relativePath);
        made.createDirectory();
        return made;
    }

    juce::File write (const juce::String& relativePath, const juce::String& text) const
    {
        const auto file = root.getChildFile (relativePath);
        file.getParentDirectory().createDirectory();
        file.replaceWithText (text);
        return file;
    }
};

// The folder of data files the product ships (the repository's resources/).
inline juce::File shippedResources() { return juce::File (PLUMORA_SOURCE_RESOURCES); }

struct StereoSignal
{
    std::vector<float> left, right;
};

// A real processor, prepared, starting from the catalogue defaults and the
// engine's own start-up tables rather than the start-up preset.
struct SimpleSynth
{
    static constexpr double kRate = 48000.0;
    static constexpr int kBlock = 256;

    PlumoraAudioProcessor processor;
    ParameterWriter writer { processor.engine(), processor.parameters() };

    SimpleSynth()
    {
        PresetDocument defaults;
        defaults.name = "Init";
        defaults.wavetable1 = "factory:analog_stack";
        defaults.wavetable2 = "factory:saw";
        processor.presets().loadPreset (defaults);
        processor.prepareToPlay (kRate, kBlock);
    }

    float hostValue (ParamID id) { return processor.parameters().getRawParameterValue (parameterSpec (id).id)->load(); }
    float engineValue (ParamID id) { return processor.engine().parameterValue (id); }
    const std::vector<ModRouting>& routings() { return processor.engine().modMatrix().routings(); }

    // Runs blocks through processBlock, as a host does, with the first
    // block's MIDI given; returns the output.
    StereoSignal render (double seconds, juce::MidiBuffer firstBlockMidi = {})
    {
        StereoSignal signal;
        juce::AudioBuffer<float> buffer (2, kBlock);
        const int blocks = static_cast<int> (seconds * kRate / kBlock);
        for (int b = 0; b < blocks; ++b)
        {
            juce::MidiBuffer midi;
            if (b == 0)
                midi = firstBlockMidi;
            processor.processBlock (buffer, midi);
            signal.left.insert (signal.left.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + kBlock);
            signal.right.insert (signal.right.end(), buffer.getReadPointer (1), buffer.getReadPointer (1) + kBlock);
        }
        return signal;
    }

    static juce::MidiBuffer noteOn (int note = 57)
    {
        juce::MidiBuffer midi;
        midi.addEvent (juce::MidiMessage::noteOn (1, note, 0.8f), 0);
        return midi;
    }

    static juce::MidiBuffer noteOff (int note = 57)
    {
        juce::MidiBuffer midi;
        midi.addEvent (juce::MidiMessage::noteOff (1, note), 0);
        return midi;
    }
};

struct ProcessorFixture : testing::Test, SimpleSynth
{
};

// Mean square of x[begin, end) (sample indices).
inline double energy (const std::vector<float>& x, std::size_t begin, std::size_t end)
{
    end = std::min (end, x.size());
    double sum = 0.0;
    for (auto i = begin; i < end; ++i)
        sum += static_cast<double> (x[i]) * x[i];
    return end > begin ? sum / static_cast<double> (end - begin) : 0.0;
}

} // namespace plumora::test
