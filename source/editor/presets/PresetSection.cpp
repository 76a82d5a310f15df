#include "PresetSection.h"

#include "editor/look/Palette.h"
#include "editor/look/PlumoraLookAndFeel.h"
#include "editor/shell/OnMessageThread.h"

namespace plumora
{

PresetSection::PresetSection (EditorContext& editorContext) : context (editorContext), morph (editorContext)
{
    setName ("PRESETS");
    name.setText (context.presets().getCurrentPresetName(), juce::dontSendNotification);
    name.setFont (palette::font (11.0f));
    name.setColour (juce::Label::textColourId, palette::text);
    name.setJustificationType (juce::Justification::centred);
    addAndMakeVisible (name);
    for (auto* button : { &previous, &next })
    {
        button->setColour (juce::TextButton::buttonColourId, palette::line);
        button->setColour (juce::TextButton::textColourOffId, palette::textDim);
        button->setWantsKeyboardFocus (false);
        addAndMakeVisible (*button);
    }
    previous.onClick = [this] { previousPreset(); };
    next.onClick = [this] { nextPreset(); };
    addAndMakeVisible (morph);
    context.presets().addListener (this);
}

PresetSection::~PresetSection() { context.presets().removeListener (this); }

std::vector<const PresetDocument*> PresetSection::browsingList() const
{
    std::vector<const PresetDocument*> list;
    for (const auto* documents : { &context.presets().getFactoryPresets(), &context.presets().getUserPresets() })
        for (const auto& document : *documents)
            if (document.scope == PresetScope::complete)
                list.push_back (&document);
    return list;
}

void PresetSection::loadAt (int position)
{
    const auto list = browsingList();
    if (position >= 0 && position < static_cast<int> (list.size()))
        context.presets().loadPreset (*list[static_cast<std::size_t> (position)]);
}

void PresetSection::nextPreset()
{
    const int count = static_cast<int> (browsingList().size());
    if (count == 0)
        return;
    browseIndex = browseIndex < count - 1 ? browseIndex + 1 : 0;
    loadAt (browseIndex);
}

void PresetSection::previousPreset()
{
    const int count = static_cast<int> (browsingList().size());
    if (count == 0)
        return;
    browseIndex = browseIndex < 1 ? count - 1 : browseIndex - 1;
    loadAt (browseIndex);
}

void PresetSection::currentPresetChanged (const juce::String& presetName)
{
    onMessageThread (*this, [this, presetName] { name.setText (presetName, juce::dontSendNotification); });
}

void PresetSection::presetListChanged()
{
    onMessageThread (*this, [this] { browseIndex = -1; });
}

void PresetSection::paint (juce::Graphics& g) { PlumoraLookAndFeel::drawSectionPanel (g, getLocalBounds().toFloat()); }

void PresetSection::resized()
{
    auto inner = getLocalBounds().reduced (2);
    auto row = inner.removeFromTop (std::min (inner.getHeight(), 28));
    const auto take = [&row] (int width) { return row.removeFromLeft (std::min (width, row.getWidth())); };
    previous.setBounds (take (30));
    take (2);
    next.setBounds (take (30));
    take (4);
    name.setBounds (row);
    inner.removeFromTop (std::min (inner.getHeight(), 2));
    morph.setBounds (inner);
}

} // namespace plumora
