#include "RenderPicture.h"

#include "SafeFileWrite.h"

#include <juce_graphics/juce_graphics.h>

#include <fftw3.h>

#include <cmath>

namespace plumora::render
{
namespace
{
constexpr int kWidth = 1200, kWaveHeight = 200, kSpectrumHeight = 400;
constexpr int kFftSize = 4096;
constexpr double kLowestHz = 20.0;
constexpr float kFloorDb = -100.0f;

juce::Colour heat (float level) // 0..1
{
    return juce::Colour::fromHSV (0.7f - 0.7f * level, 0.85f, juce::jlimit (0.0f, 1.0f, 0.15f + level), 1.0f);
}

void drawWaveform (juce::Image& image, const juce::AudioBuffer<float>& audio)
{
    juce::Graphics g (image);
    g.setColour (juce::Colour (0xff15171c));
    g.fillRect (0, 0, kWidth, kWaveHeight);
    g.setColour (juce::Colour (0xff8fd3c1));

    const int samples = audio.getNumSamples();
    const float middle = kWaveHeight * 0.5f;
    for (int x = 0; x < kWidth; ++x)
    {
        const int start = static_cast<int> (static_cast<juce::int64> (samples) * x / kWidth);
        const int end = juce::jmax (start + 1, static_cast<int> (static_cast<juce::int64> (samples) * (x + 1) / kWidth));
        const auto range = audio.findMinMax (0, start, juce::jmin (end, samples) - start);
        const float top = middle - juce::jlimit (-1.0f, 1.0f, range.getEnd()) * (middle - 2.0f);
        const float bottom = middle - juce::jlimit (-1.0f, 1.0f, range.getStart()) * (middle - 2.0f);
        g.drawVerticalLine (x, top, juce::jmax (bottom, top + 1.0f));
    }
}

void drawSpectrogram (juce::Image& image, const juce::AudioBuffer<float>& audio, double sampleRate)
{
    std::vector<double> frame (kFftSize);
    std::vector<fftw_complex> bins (kFftSize / 2 + 1);
    const auto plan = fftw_plan_dft_r2c_1d (kFftSize, frame.data(), bins.data(), FFTW_ESTIMATE);
    const int samples = audio.getNumSamples();
    const double nyquist = sampleRate / 2.0;

    juce::Image::BitmapData pixels (image, juce::Image::BitmapData::writeOnly);
    for (int x = 0; x < kWidth; ++x)
    {
        const int centre = static_cast<int> (static_cast<juce::int64> (samples) * x / kWidth);
        for (int i = 0; i < kFftSize; ++i)
        {
            const int at = centre - kFftSize / 2 + i;
            const double window = 0.5 - 0.5 * std::cos (2.0 * juce::MathConstants<double>::pi * i / kFftSize);
            frame[static_cast<std::size_t> (i)] = at >= 0 && at < samples
                ? window * 0.5 * (audio.getSample (0, at) + audio.getSample (1, at)) : 0.0;
        }
        fftw_execute (plan);

        for (int y = 0; y < kSpectrumHeight; ++y)
        {
            // Log frequency: the bottom row is 20 Hz, the top Nyquist.
            const double fraction = 1.0 - static_cast<double> (y) / (kSpectrumHeight - 1);
            const double hz = kLowestHz * std::pow (nyquist / kLowestHz, fraction);
            const auto bin = static_cast<std::size_t> (juce::jlimit (1.0, kFftSize / 2.0, hz / nyquist * (kFftSize / 2)));
            const double magnitude = std::hypot (bins[bin][0], bins[bin][1]) * 4.0 / kFftSize;
            const float db = juce::Decibels::gainToDecibels (static_cast<float> (magnitude), kFloorDb);
            pixels.setPixelColour (x, kWaveHeight + y, heat ((db - kFloorDb) / -kFloorDb));
        }
    }
    fftw_destroy_plan (plan);
}
} // namespace

bool writePicture (const Rendered& rendered, const juce::File& file, juce::String& error)
{
    juce::Image image (juce::Image::RGB, kWidth, kWaveHeight + kSpectrumHeight, true);
    drawWaveform (image, rendered.audio);
    drawSpectrogram (image, rendered.audio, rendered.sampleRate);

    return writeThroughTemporary (file, error, [&image] (const juce::File& temporary)
    {
        juce::FileOutputStream stream (temporary);
        juce::PNGImageFormat png;
        return stream.openedOk() && png.writeImageToStream (image, stream);
    });
}

} // namespace plumora::render
