#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace plumora
{

// The processor's CPU load as a bar and the number of sounding voices.
class CpuVoiceMeter : public juce::Component
{
public:
    CpuVoiceMeter();

    // Takes the figures; repaints only when the load moved by more than a
    // tenth of a percent or the voice count changed.
    void show (float cpuPercent, int voices, int maxVoices = 32);
    float cpu() const noexcept { return cpuPercent; }
    int voices() const noexcept { return voiceCount; }
    int repaintsAsked() const noexcept { return repaints; }

    std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;
    void paint (juce::Graphics&) override;

private:
    float cpuPercent = 0.0f;
    int voiceCount = 0, voiceLimit = 32;
    int repaints = 0;
};

} // namespace plumora
