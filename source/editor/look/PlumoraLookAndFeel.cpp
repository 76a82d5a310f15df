#include "PlumoraLookAndFeel.h"

#include "Palette.h"

namespace plumora
{

PlumoraLookAndFeel::PlumoraLookAndFeel()
{
    using namespace juce;
    const std::pair<int, Colour> paletteColours[] = {
        { ResizableWindow::backgroundColourId, palette::background },
        { TextButton::buttonColourId, palette::control },
        { TextButton::buttonOnColourId, palette::selected },
        { TextButton::textColourOffId, palette::text },
        { TextButton::textColourOnId, palette::text },
        { ComboBox::backgroundColourId, palette::control },
        { ComboBox::textColourId, palette::text },
        { ComboBox::outlineColourId, palette::line },
        { ComboBox::arrowColourId, palette::textDim },
        { PopupMenu::backgroundColourId, palette::panel },
        { PopupMenu::textColourId, palette::text },
        { PopupMenu::headerTextColourId, palette::textDim },
        { PopupMenu::highlightedBackgroundColourId, palette::selected },
        { PopupMenu::highlightedTextColourId, palette::text },
        { TextEditor::backgroundColourId, palette::panel },
        { TextEditor::textColourId, palette::text },
        { TextEditor::outlineColourId, palette::line },
        { TextEditor::focusedOutlineColourId, palette::accent },
        { TextEditor::highlightColourId, palette::selected },
        { CaretComponent::caretColourId, palette::text },
        { Label::textColourId, palette::textDim },
        { TooltipWindow::backgroundColourId, palette::panel },
        { TooltipWindow::textColourId, palette::text },
        { TooltipWindow::outlineColourId, palette::line },
        { AlertWindow::backgroundColourId, palette::panel },
        { AlertWindow::textColourId, palette::text },
        { AlertWindow::outlineColourId, palette::line },
        { MidiKeyboardComponent::whiteNoteColourId, palette::text },
        { MidiKeyboardComponent::blackNoteColourId, palette::control },
        { MidiKeyboardComponent::keySeparatorLineColourId, palette::line },
        { MidiKeyboardComponent::keyDownOverlayColourId, palette::accent },
        { MidiKeyboardComponent::mouseOverKeyOverlayColourId, palette::accent.withAlpha (0.3f) },
        { Slider::thumbColourId, palette::accent },
        { Slider::trackColourId, palette::line },
        { Slider::rotarySliderFillColourId, palette::accent },
        { Slider::rotarySliderOutlineColourId, palette::control },
    };
    for (const auto& [id, colour] : paletteColours)
        setColour (id, colour);
}

void PlumoraLookAndFeel::drawSectionPanel (juce::Graphics& g, juce::Rectangle<float> bounds)
{
    g.setColour (palette::panel);
    g.fillRoundedRectangle (bounds, 4.0f);
}

void PlumoraLookAndFeel::drawSectionHeader (juce::Graphics& g, const juce::String& title, juce::Rectangle<int> area)
{
    g.setColour (palette::textDim);
    g.setFont (palette::font (palette::headerFontHeight));
    g.drawText (title, area, juce::Justification::centredLeft, true);
}

void PlumoraLookAndFeel::styleTab (juce::TextButton& button, bool selected)
{
    button.setColour (juce::TextButton::buttonColourId, selected ? palette::selected : palette::line);
    button.setColour (juce::TextButton::textColourOffId, selected ? palette::text : palette::textDim);
}

void PlumoraLookAndFeel::drawFocusOutline (juce::Graphics& g, juce::Rectangle<float> bounds)
{
    g.setColour (palette::focusOutline);
    g.drawRoundedRectangle (bounds.reduced (0.75f), 3.0f, 1.5f);
}

void PlumoraLookAndFeel::drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour& background, bool highlighted,
                                               bool down)
{
    LookAndFeel_V4::drawButtonBackground (g, button, background, highlighted, down);
    if (button.hasKeyboardFocus (false))
        drawFocusOutline (g, button.getLocalBounds().toFloat());
}

void PlumoraLookAndFeel::drawComboBox (juce::Graphics& g, int width, int height, bool down, int buttonX, int buttonY, int buttonW,
                                       int buttonH, juce::ComboBox& box)
{
    LookAndFeel_V4::drawComboBox (g, width, height, down, buttonX, buttonY, buttonW, buttonH, box);
    if (box.hasKeyboardFocus (false))
        drawFocusOutline (g, box.getLocalBounds().toFloat());
}

void PlumoraLookAndFeel::drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height, float position, float minPosition,
                                           float maxPosition, juce::Slider::SliderStyle style, juce::Slider& slider)
{
    LookAndFeel_V4::drawLinearSlider (g, x, y, width, height, position, minPosition, maxPosition, style, slider);
    if (slider.hasKeyboardFocus (false))
        drawFocusOutline (g, slider.getLocalBounds().toFloat());
}

} // namespace plumora
