#include "OfflineRenderer.h"

#include "SafeFileWrite.h"
#include "processor/PluginProcessor.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <chrono>

namespace plumora::render
{
namespace
{
class RenderPlayHead : public juce::AudioPlayHead
{
public:
    double bpm = 120.0;
    juce::int64 samplePosition = 0;
    double sampleRate = 48000.0;

    juce::Optional<PositionInfo> getPosition() const override
    {
        PositionInfo info;
        info.setBpm (bpm);
        info.setTimeSignature (TimeSignature { 4, 4 });
        info.setTimeInSamples (samplePosition);
        info.setTimeInSeconds (static_cast<double> (samplePosition) / sampleRate);
        info.setPpqPosition (static_cast<double> (samplePosition) / sampleRate * bpm / 60.0);
        info.setIsPlaying (true);
        return info;
    }
};
} // namespace

Rendered renderPerformance (PlumoraAudioProcessor& processor, const Performance& performance, double sampleRate,
                            int blockSize, double tailSeconds, const std::function<void (double)>& progress)
{
    const double lastEvent = performance.events.getNumEvents() > 0 ? performance.events.getEndTime() : 0.0;
    const auto totalSamples = static_cast<int> (std::ceil ((lastEvent + tailSeconds) * sampleRate));

    Rendered rendered;
    rendered.sampleRate = sampleRate;
    rendered.audio.setSize (2, juce::jmax (totalSamples, 1));
    rendered.audio.clear();

    RenderPlayHead playHead;
    playHead.bpm = performance.tempo;
    playHead.sampleRate = sampleRate;
    processor.setPlayHead (&playHead);
    processor.setRateAndBufferSizeDetails (sampleRate, blockSize);
    processor.prepareToPlay (sampleRate, blockSize);

    juce::AudioBuffer<float> block (2, blockSize);
    juce::MidiBuffer midi;
    int nextEvent = 0;
    const auto started = std::chrono::steady_clock::now();

    for (int offset = 0; offset < totalSamples; offset += blockSize)
    {
        const int length = juce::jmin (blockSize, totalSamples - offset);
        block.setSize (2, length, false, false, true);
        midi.clear();
        const double blockEnd = static_cast<double> (offset + length) / sampleRate;
        for (; nextEvent < performance.events.getNumEvents(); ++nextEvent)
        {
            const auto& message = performance.events.getEventPointer (nextEvent)->message;
            if (message.getTimeStamp() >= blockEnd)
                break;
            const int position = juce::jlimit (0, length - 1, static_cast<int> (message.getTimeStamp() * sampleRate) - offset);
            midi.addEvent (message, position);
        }

        playHead.samplePosition = offset;
        processor.processBlock (block, midi);
        for (int channel = 0; channel < 2; ++channel)
            rendered.audio.copyFrom (channel, offset, block, channel, 0, length);

        if (progress)
            progress (static_cast<double> (offset + length) / totalSamples);
    }

    rendered.renderSeconds = std::chrono::duration<double> (std::chrono::steady_clock::now() - started).count();
    processor.setPlayHead (nullptr);
    return rendered;
}

bool writeWav (const Rendered& rendered, int bits, const juce::File& file, juce::String& error)
{
    return writeThroughTemporary (file, error, [&] (const juce::File& temporary)
    {
        auto stream = std::make_unique<juce::FileOutputStream> (temporary);
        if (! stream->openedOk())
            return false;
        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatWriter> writer (wav.createWriterFor (stream.get(), rendered.sampleRate, 2, bits, {}, 0));
        if (writer == nullptr)
        {
            error = "cannot write a " + juce::String (bits) + "-bit WAV";
            return false;
        }
        stream.release(); // the writer owns it now
        return writer->writeFromAudioSampleBuffer (rendered.audio, 0, rendered.audio.getNumSamples());
    });
}

} // namespace plumora::render
