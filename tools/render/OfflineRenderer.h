#pragma once

#include "Performance.h"

#include <functional>

class PlumoraAudioProcessor;

namespace plumora::render
{

struct Rendered
{
    juce::AudioBuffer<float> audio;
    double sampleRate = 48000.0;
    double renderSeconds = 0.0; // wall time spent rendering
};

// Plays a performance through the processor block by block, as a host
// would: play head with the tempo, each event in the block it falls into.
Rendered renderPerformance (PlumoraAudioProcessor& processor, const Performance& performance, double sampleRate,
                            int blockSize, double tailSeconds, const std::function<void (double)>& progress = {});

// Writes a stereo WAV (16 or 24 bit, or 32-bit float) through a temporary
// file that replaces the target only when complete.
bool writeWav (const Rendered& rendered, int bits, const juce::File& file, juce::String& error);

} // namespace plumora::render
