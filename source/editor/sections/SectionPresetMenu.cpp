#include "SectionPresetMenu.h"

#include "editor/look/Palette.h"
#include "editor/shell/OnMessageThread.h"

namespace plumora
{

SectionPresetMenu::SectionPresetMenu (EditorContext& editorContext, PresetScope presetScope, const juce::String& placeholder,
                                      std::function<bool (int)> clearsOnLoad, std::function<bool (const PresetDocument&)> keepDocument)
    : context (editorContext), scope (presetScope), clearsOn (std::move (clearsOnLoad)), keep (std::move (keepDocument))
{
    setColour (juce::ComboBox::backgroundColourId, palette::control);
    setColour (juce::ComboBox::textColourId, palette::textDim);
    setColour (juce::ComboBox::outlineColourId, palette::invisible);
    setTextWhenNothingSelected (placeholder);
    setTitle (placeholder.trimCharactersAtEnd (". "));
    onChange = [this]
    {
        const int position = getSelectedId() - 1;
        const auto documents = listed();
        if (position >= 0 && position < static_cast<int> (documents.size()))
            context.presets().loadPreset (*documents[static_cast<std::size_t> (position)]);
    };
    refill();
    context.presets().addListener (this);
}

SectionPresetMenu::~SectionPresetMenu() { context.presets().removeListener (this); }

std::vector<const PresetDocument*> SectionPresetMenu::listed() const
{
    auto documents = context.presets().getPresetsForScope (scope, {}, false);
    if (keep)
        documents.erase (std::remove_if (documents.begin(), documents.end(), [this] (const PresetDocument* d) { return ! keep (*d); }),
                         documents.end());
    return documents;
}

// Item ids are list positions plus one; a nameless entry leaves a gap.
void SectionPresetMenu::refill()
{
    clear (juce::dontSendNotification);
    const auto documents = listed();
    for (std::size_t i = 0; i < documents.size(); ++i)
        if (documents[i]->name.isNotEmpty())
            addItem (documents[i]->name, static_cast<int> (i) + 1);
}

void SectionPresetMenu::presetListChanged()
{
    onMessageThread (*this, [this] { refill(); });
}

void SectionPresetMenu::presetLoaded (int loadedScope)
{
    onMessageThread (*this, [this, loadedScope]
    {
        if (clearsOn && clearsOn (loadedScope))
            setSelectedId (0, juce::dontSendNotification);
    });
}

} // namespace plumora
