#pragma once

#include <juce_core/juce_core.h>

#include <optional>

namespace plumora::render
{

struct RenderOptions
{
    juce::String presetName { "First Light" };
    juce::File presetFile;
    juce::File midiFile;
    juce::File output { juce::File::getCurrentWorkingDirectory().getChildFile ("plumora-demo.wav") };
    juce::File picture;
    double sampleRate = 48000.0;
    int blockSize = 512;
    std::optional<double> tempo;       // BPM; the MIDI file's tempo when not given
    std::optional<double> tailSeconds; // default: the processor's tail, at most 15 s
    int bits = 24;                     // 16, 24 or 32 (float)
    bool listPresets = false;
    bool help = false;
};

// Parses the command line (without the program name). On failure the error
// text is set and nothing else matters.
struct ParsedOptions
{
    RenderOptions options;
    juce::String error;
};

ParsedOptions parseOptions (const juce::StringArray& arguments);

juce::String usageText();

} // namespace plumora::render
