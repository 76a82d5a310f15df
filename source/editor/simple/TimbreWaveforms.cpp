#include "TimbreWaveforms.h"

#include "dsp/WavetableReader.h"

#include <algorithm>

namespace plumora
{

juce::Path waveformThumbnail (const Wavetable& table, float position)
{
    constexpr int kSegments = 48;
    juce::Path path;
    for (int i = 0; i <= kSegments; ++i)
    {
        const float phase = static_cast<float> (i) / static_cast<float> (kSegments);
        const float sample = readWavetable (table, 0, position, phase);
        const juce::Point<float> point { phase, 0.5f - 0.4f * sample };
        if (i == 0)
            path.startNewSubPath (point);
        else
            path.lineTo (point);
    }
    return path;
}

std::vector<juce::Path> frameTraces (const Wavetable& table, juce::Rectangle<float> strip)
{
    constexpr int kSegments = 64;
    std::vector<juce::Path> traces;
    const int n = table.numFrames;
    const float band = (strip.getHeight() - kStripCaptionHeight) / static_cast<float> (std::max (n, 1));
    if (n <= 0 || strip.getWidth() <= 4.0f || band <= 0.0f)
        return traces;

    traces.reserve (static_cast<std::size_t> (n));
    for (int k = 0; k < n; ++k)
    {
        const float position = static_cast<float> (k) / static_cast<float> (std::max (n - 1, 1));
        const float centre = strip.getY() + kStripCaptionHeight + (static_cast<float> (k) + 0.5f) * band;
        juce::Path trace;
        for (int j = 0; j <= kSegments; ++j)
        {
            const float phase = static_cast<float> (j) / static_cast<float> (kSegments);
            const float sample = readWavetable (table, 0, position, phase);
            const juce::Point<float> point { strip.getX() + 2.0f + phase * (strip.getWidth() - 4.0f), centre - sample * band * 0.4f };
            if (j == 0)
                trace.startNewSubPath (point);
            else
                trace.lineTo (point);
        }
        traces.push_back (std::move (trace));
    }
    return traces;
}

} // namespace plumora
