#include "SoundMapModel.h"

#include <algorithm>
#include <cmath>

namespace plumora
{
namespace soundmap
{
namespace
{
// 0 low, 1 middle, 2 high; the band edges belong to the middle.
int band (float value) noexcept { return value < 0.35f ? 0 : (value > 0.65f ? 2 : 1); }
} // namespace

juce::String characterLabel (float x, float y)
{
    static const char* const labels[3][3] = {
        { "Mellow", "Dark", "Brooding" },
        { "Smooth", "Warm", "Harsh" },
        { "Atmospheric", "Bright", "Aggressive" },
    };
    return labels[band (x)][band (y)];
}

float readBrightnessMap (const std::vector<float>& map, float x)
{
    if (map.empty())
        return 0.0f;
    const float at = juce::jlimit (0.0f, 1.0f, x) * static_cast<float> (map.size() - 1);
    const auto below = std::min (static_cast<std::size_t> (at), map.size() - 1);
    const auto above = std::min (below + 1, map.size() - 1);
    const float fraction = at - static_cast<float> (below);
    return map[below] + (map[above] - map[below]) * fraction;
}

std::vector<ParameterSetting> settingsAt (float x, float y, const std::vector<float>& brightnessMap)
{
    std::vector<ParameterSetting> settings {
        { ParamID::filt_cutoff, 200.0f * std::pow (90.0f, x) }, // 200 Hz ... 18 kHz
        { ParamID::eq_high_gain, 16.0f * x - 8.0f },
        { ParamID::dist_drive, 0.8f * y },
        { ParamID::filt_reso, 0.6f * y },
        { ParamID::filt_drive, 0.5f * y },
    };
    if (! brightnessMap.empty())
        settings.push_back ({ ParamID::osc1_wt_pos, readBrightnessMap (brightnessMap, x) });
    return settings;
}

juce::Point<float> pixelFor (juce::Point<float> mapPoint, juce::Rectangle<float> bounds) noexcept
{
    return { bounds.getX() + kMarginX + mapPoint.x * (bounds.getWidth() - 2.0f * kMarginX),
             bounds.getY() + kMarginY + (1.0f - mapPoint.y) * (bounds.getHeight() - 2.0f * kMarginY) };
}

juce::Point<float> mapPointFor (juce::Point<float> pixel, juce::Rectangle<float> bounds) noexcept
{
    const float plotWidth = bounds.getWidth() - 2.0f * kMarginX, plotHeight = bounds.getHeight() - 2.0f * kMarginY;
    if (plotWidth <= 0.0f || plotHeight <= 0.0f)
        return { 0.5f, 0.5f };
    return { juce::jlimit (0.0f, 1.0f, (pixel.x - bounds.getX() - kMarginX) / plotWidth),
             juce::jlimit (0.0f, 1.0f, (bounds.getY() + kMarginY + plotHeight - pixel.y) / plotHeight) };
}
} // namespace soundmap

bool SoundMapTrail::recordMove (juce::Point<float> from, juce::Point<float> to)
{
    if (from.getDistanceFrom (to) <= kMinimumStep)
        return false;
    if (trail.size() >= kCapacity)
        trail.pop_front();
    trail.push_back (from);
    return true;
}

int SoundMapTrail::newestNear (juce::Point<float> near, float radius) const noexcept
{
    for (int i = static_cast<int> (trail.size()) - 1; i >= 0; --i)
        if (trail[static_cast<std::size_t> (i)].getDistanceFrom (near) <= radius)
            return i;
    return -1;
}

void SoundMapTrail::cutFrom (int index)
{
    if (index >= 0 && index < static_cast<int> (trail.size()))
        trail.erase (trail.begin() + index, trail.end());
}

juce::Rectangle<float> SoundMapTrail::bounds() const noexcept
{
    if (trail.empty())
        return {};
    auto low = trail.front(), high = trail.front();
    for (const auto& point : trail)
    {
        low = { std::min (low.x, point.x), std::min (low.y, point.y) };
        high = { std::max (high.x, point.x), std::max (high.y, point.y) };
    }
    return { low, high };
}

} // namespace plumora
