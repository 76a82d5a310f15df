#include "PresetMorphBar.h"

#include "editor/look/Palette.h"

namespace plumora
{

PresetMorphBar::PresetMorphBar (EditorContext& editorContext) : context (editorContext)
{
    for (auto* button : { &saveA, &saveB })
    {
        button->setColour (juce::TextButton::buttonColourId, palette::line);
        button->setColour (juce::TextButton::textColourOffId, palette::textDim);
        addAndMakeVisible (*button);
    }
    saveA.onClick = [this]
    {
        stateA = capture();
        saveA.setButtonText ("A saved");
    };
    saveB.onClick = [this]
    {
        stateB = capture();
        saveB.setButtonText ("B saved");
    };

    morph.setTitle ("Morph A to B");
    morph.setRange (0.0, 1.0, 0.001);
    morph.setValue (0.0, juce::dontSendNotification);
    morph.setTextBoxStyle (juce::Slider::TextBoxRight, false, 40, 20);
    morph.setColour (juce::Slider::thumbColourId, palette::accent);
    morph.setColour (juce::Slider::trackColourId, palette::line);
    morph.setColour (juce::Slider::textBoxTextColourId, palette::text);
    morph.setColour (juce::Slider::textBoxOutlineColourId, palette::invisible);
    morph.onValueChange = [this] { morphTo (morph.getValue()); };
    addAndMakeVisible (morph);
}

// The sound as the host parameters hold it: what the user set.
std::optional<ParameterValues> PresetMorphBar::capture() const
{
    ParameterValues values {};
    for (int row = 0; row < kNumParameters; ++row)
    {
        const auto id = *paramIDFromIndex (row);
        auto* parameter = context.parameter (id);
        values[static_cast<std::size_t> (row)] = parameter != nullptr ? parameter->convertFrom0to1 (parameter->getValue())
                                                                       : parameterSpec (id).defaultValue;
    }
    return values;
}

void PresetMorphBar::morphTo (double t)
{
    if (! stateA || ! stateB)
        return;
    for (int row = 0; row < kNumParameters; ++row)
    {
        const auto i = static_cast<std::size_t> (row);
        const float a = (*stateA)[i], b = (*stateB)[i];
        if (auto* parameter = context.parameter (*paramIDFromIndex (row)))
        {
            // The range snaps stepped parameters to their steps.
            const float normalised = parameter->convertTo0to1 (a + (b - a) * static_cast<float> (t));
            if (normalised != parameter->getValue())
                parameter->setValueNotifyingHost (normalised);
        }
    }
}

void PresetMorphBar::paint (juce::Graphics& g)
{
    g.setColour (palette::textDim);
    g.setFont (palette::font (11.0f));
    g.drawText ("PRESET MORPH - Save current sound to A or B, then blend between them",
                juce::Rectangle<int> (0, 0, getWidth(), std::min (getHeight(), 14)), juce::Justification::centred, true);
}

void PresetMorphBar::resized()
{
    const int w = getWidth(), h = getHeight();
    const int caption = std::max (std::min (h - 4, 14), 0);
    const int rowY = caption + 2, rowHeight = std::max (h - 4 - caption, 0);
    const int aWidth = std::max (std::min (w - 4, 80), 0);
    saveA.setBounds (2, rowY, aWidth, rowHeight);
    const int remaining = std::max (w - 2 - (2 + aWidth), 0);
    const int bWidth = std::min (remaining, 80);
    saveB.setBounds (w - 2 - bWidth, rowY, bWidth, rowHeight);
    const int sliderX = 2 + aWidth + 4;
    morph.setBounds (sliderX, rowY, std::max (w - 2 - bWidth - 4 - sliderX, 0), rowHeight);
}

} // namespace plumora
