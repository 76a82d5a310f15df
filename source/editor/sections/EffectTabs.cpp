#include "EffectTabs.h"

#include "editor/look/Palette.h"

#include <cmath>

namespace plumora
{

const std::array<EffectTabInfo, effectTabCount>& effectTabs() noexcept
{
    static const std::array<EffectTabInfo, effectTabCount> tabs { {
        { "AUTO FILT", "AUTO FILTER", "autofilter", ParamID::autofilter_bypass, 0, 5 },
        { "DIST", "DISTORTION", "distortion", ParamID::dist_bypass, 5, 2 },
        { "CHORUS", "CHORUS", "chorus", ParamID::chorus_bypass, 7, 3 },
        { "DELAY", "DELAY", "delay", ParamID::delay_bypass, 10, 6 },
        { "REVERB", "REVERB", "reverb", ParamID::reverb_bypass, 16, 4 },
        { "EQ", "EQ", "eq", ParamID::eq_bypass, 20, 3 },
    } };
    return tabs;
}

namespace
{
juce::String percent (float x) { return juce::String (static_cast<int> (x * 100.0f)) + "%"; }
juce::String decibels (float x) { return juce::String (static_cast<int> (x)) + "dB"; }
juce::String hertz (float x) { return juce::String (x, 1) + "Hz"; }
} // namespace

void summariseEffect (int tab, const std::function<float (ParamID)>& rawValue, EffectTabRecord& record)
{
    const auto value = [&rawValue] (ParamID id) { return parameterSpec (id).clamp (rawValue (id)); };
    const auto on = [&value] (ParamID level, ParamID bypass) { return value (level) > 0.01f && value (bypass) < 0.5f; };
    // An effect mixed in by a level: its amount and the summary's first word.
    const auto mixed = [&] (ParamID mix, ParamID bypass, const juce::String& detail)
    {
        record.active = on (mix, bypass);
        record.amount = value (mix);
        record.summary = percent (value (mix)) + "  " + detail;
    };

    switch (tab)
    {
        case 0:
        {
            const float position = value (ParamID::autofilter_position), rate = value (ParamID::autofilter_rate);
            record.active = on (ParamID::autofilter_mix, ParamID::autofilter_bypass);
            record.amount = position;
            record.summary = percent (position) + "  " + (rate > 0.01f ? hertz (rate) : juce::String ("Manual"));
            break;
        }
        case 1:
        {
            const float drive = value (ParamID::dist_drive);
            record.active = on (ParamID::dist_drive, ParamID::dist_bypass);
            record.amount = drive;
            record.summary = "Drive " + percent (drive);
            break;
        }
        case 2:
            mixed (ParamID::chorus_mix, ParamID::chorus_bypass,
                   value (ParamID::chorus_mode) > 0.5f ? juce::String ("Ensemble") : hertz (value (ParamID::chorus_rate)));
            break;
        case 3:
            mixed (ParamID::delay_mix, ParamID::delay_bypass, "FB " + percent (value (ParamID::delay_feedback)));
            break;
        case 4:
            mixed (ParamID::reverb_mix, ParamID::reverb_bypass, "Sz " + percent (value (ParamID::reverb_size)));
            break;
        case 5:
        {
            const float low = value (ParamID::eq_low_gain), mid = value (ParamID::eq_mid_gain), high = value (ParamID::eq_high_gain);
            const bool shaping = std::abs (low) > 0.1f || std::abs (mid) > 0.1f || std::abs (high) > 0.1f;
            record.active = shaping && value (ParamID::eq_bypass) < 0.5f;
            record.amount = (std::abs (low) + std::abs (mid) + std::abs (high)) / 36.0f;
            record.summary = decibels (low) + " / " + decibels (mid) + " / " + decibels (high);
            break;
        }
        default: break;
    }
}

void paintEffectTab (juce::Graphics& g, const EffectTabRecord& record, bool shown)
{
    const auto r = record.bounds.toFloat();
    const float x = r.getX(), y = r.getY(), w = r.getWidth(), h = r.getHeight();
    const bool active = record.active;

    g.setColour (active ? palette::effectTabActive : palette::effectTabIdle);
    g.fillRoundedRectangle (r, 4.0f);
    g.setColour (active ? palette::accent : palette::line);
    g.fillEllipse (x + 4.0f, y + h / 2.0f - 4.0f, 8.0f, 8.0f);

    const float textWidth = w - 24.0f, nameHeight = 0.45f * h, barSpace = std::min (0.55f * h, 6.0f);
    g.setColour (active ? palette::text : palette::textDim);
    g.setFont (palette::font (12.0f));
    g.drawText (record.shortName, juce::Rectangle<float> (x + 20.0f, y, textWidth, nameHeight), juce::Justification::centredLeft);

    const juce::Rectangle<float> bar (x + 20.0f, y + nameHeight + 1.0f, textWidth, std::max (barSpace - 2.0f, 0.0f));
    g.setColour (palette::line);
    g.fillRoundedRectangle (bar, 2.0f);
    g.setColour (active ? palette::accent : palette::effectAmountIdle);
    g.fillRoundedRectangle (bar.withWidth (textWidth * juce::jlimit (0.0f, 1.0f, record.amount)), 2.0f);

    g.setColour (palette::textDim);
    g.setFont (palette::font (9.0f));
    g.drawText (record.summary, juce::Rectangle<float> (x + 20.0f, y + nameHeight + barSpace, textWidth, h - nameHeight - barSpace),
                juce::Justification::centredLeft);

    if (shown)
    {
        g.setColour (palette::effectTabShownOutline);
        g.drawRoundedRectangle (r.reduced (1.0f), 4.0f, 2.0f);
    }
}

} // namespace plumora
