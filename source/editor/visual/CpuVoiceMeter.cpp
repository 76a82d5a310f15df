#include "CpuVoiceMeter.h"

#include "editor/controls/Accessibility.h"
#include "editor/look/Palette.h"

#include <cmath>

namespace plumora
{

CpuVoiceMeter::CpuVoiceMeter()
{
    setName ("CpuVoiceMeter");
    setTitle ("CPU and voices");
}

void CpuVoiceMeter::show (float newCpu, int newVoices, int newMaxVoices)
{
    if (std::abs (newCpu - cpuPercent) <= 0.1f && newVoices == voiceCount && newMaxVoices == voiceLimit)
        return;
    cpuPercent = newCpu;
    voiceCount = newVoices;
    voiceLimit = newMaxVoices;
    ++repaints;
    repaint();
}

void CpuVoiceMeter::paint (juce::Graphics& g)
{
    const int iw = getWidth() - 4, ih = getHeight() - 4;
    if (iw <= 0 || ih <= 0)
        return;
    g.setColour (palette::background);
    g.fillRoundedRectangle (2.0f, 2.0f, static_cast<float> (iw), static_cast<float> (ih), 3.0f);

    const int th = std::min (ih, ih / 2);
    g.setFont (palette::font (9.0f));
    const int labelWidth = std::max (std::min (iw - 8, 30), 0);
    g.setColour (palette::textDim);
    g.drawText ("CPU", juce::Rectangle<int> (6, 4, labelWidth, th - 4), juce::Justification::centredLeft, false);

    const auto track = juce::Rectangle<float> (static_cast<float> (6 + labelWidth), 4.0f,
                                               static_cast<float> (std::max (iw - 8 - labelWidth, 0)), static_cast<float> (std::max (th - 4, 0)));
    g.setColour (palette::line);
    g.fillRoundedRectangle (track, 2.0f);
    const float share = juce::jlimit (0.0f, 1.0f, cpuPercent / 100.0f);
    g.setColour (cpuPercent >= 90.0f ? palette::meterAlarm : cpuPercent >= 70.0f ? palette::meterWarning : palette::accent);
    g.fillRoundedRectangle (track.withWidth (track.getWidth() * share), 2.0f);
    g.setColour (palette::text);
    g.drawText (juce::String (static_cast<int> (cpuPercent)) + "%", track, juce::Justification::centred, false);

    g.setColour (palette::textDim);
    g.drawText (juce::String (voiceCount) + "/" + juce::String (voiceLimit) + " voices", juce::Rectangle<int> (6, th + 4, iw - 8, ih - th - 4),
                juce::Justification::centred, false);
}

std::unique_ptr<juce::AccessibilityHandler> CpuVoiceMeter::createAccessibilityHandler()
{
    return drawnControlHandler (*this, juce::AccessibilityRole::staticText, [this]
    {
        return "CPU " + juce::String (juce::roundToInt (cpuPercent)) + " %, " + juce::String (voiceCount) + " of " + juce::String (voiceLimit) + " voices";
    });
}

} // namespace plumora
