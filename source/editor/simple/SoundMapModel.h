#pragma once

#include "simple/ParameterWriter.h"

#include <juce_graphics/juce_graphics.h>

#include <deque>
#include <vector>

namespace plumora
{

// What a point of the sound map means. x is brightness (left to right), y
// harshness (bottom to top), both 0 ... 1.
namespace soundmap
{
    // The word for a point: "Warm" in the middle band of both axes (0.35 and
    // 0.65 count as middle), "Mellow" dark and smooth, and so on.
    juce::String characterLabel (float x, float y);

    // The brightness map read at x with linear interpolation between
    // neighbouring entries (one entry: that entry); 0 for an empty map.
    float readBrightnessMap (const std::vector<float>& map, float x);

    // The parameter values a point sets: filter cutoff, high shelf and the
    // drive family, plus the oscillator 1 table position when the timbre
    // gave a brightness map.
    std::vector<ParameterSetting> settingsAt (float x, float y, const std::vector<float>& brightnessMap);

    // The plot leaves margins for the axis words; points outside it clamp.
    constexpr float kMarginX = 42.0f, kMarginY = 26.0f;
    juce::Point<float> pixelFor (juce::Point<float> mapPoint, juce::Rectangle<float> bounds) noexcept;
    juce::Point<float> mapPointFor (juce::Point<float> pixel, juce::Rectangle<float> bounds) noexcept;
} // namespace soundmap

// The dot's earlier pixel positions, oldest first, at most 30: a move of
// more than 3 px leaves the position it moved from behind.
class SoundMapTrail
{
public:
    static constexpr std::size_t kCapacity = 30;
    static constexpr float kMinimumStep = 3.0f;

    // Records from when the dot moves to to; false when the step is too small.
    bool recordMove (juce::Point<float> from, juce::Point<float> to);
    // The newest point within radius of near, or -1.
    int newestNear (juce::Point<float> near, float radius) const noexcept;
    // Drops point index and every newer one.
    void cutFrom (int index);

    const std::deque<juce::Point<float>>& points() const noexcept { return trail; }
    // Covers every point (empty when there are none).
    juce::Rectangle<float> bounds() const noexcept;

private:
    std::deque<juce::Point<float>> trail;
};

} // namespace plumora
