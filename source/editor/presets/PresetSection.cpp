#include "PresetSection.h"

#include "PresetMessages.h"

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
    for (auto* button : { &previous, &next, &save, &exportFile })
    {
        button->setColour (juce::TextButton::buttonColourId, palette::line);
        button->setColour (juce::TextButton::textColourOffId, palette::textDim);
        addAndMakeVisible (*button);
    }
    previous.setTitle ("Previous preset");
    next.setTitle ("Next preset");
    previous.onClick = [this] { previousPreset(); };
    next.onClick = [this] { nextPreset(); };
    save.onClick = [this] { savePreset(); };
    exportFile.onClick = [this] { exportPreset(); };
    showMessage = [this] (const juce::String& title, const juce::String& text) { showWarningOver (*getTopLevelComponent(), title, text); };
    askForNameAgain = [this] { savePreset(); };
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

namespace
{
const juce::StringArray kScopes { "Complete", "Oscillators", "Filter", "Modulation", "Effects" };
} // namespace

void PresetSection::savePreset()
{
    juce::Component::SafePointer<PresetSection> safe (this);
    openSaveDialog (*this, "Configure your preset:", context.presets().getCurrentPresetName(),
                    { { "scope", "Scope:", kScopes }, { "category", "Category:", presetCategories } },
                    [safe] (int result, juce::AlertWindow& dialog)
                    {
                        if (safe != nullptr)
                            safe->finishSave (result, dialog.getTextEditorContents ("name"), dialog.getComboBoxComponent ("scope")->getSelectedItemIndex(),
                                              dialog.getComboBoxComponent ("category")->getText());
                    });
}

void PresetSection::finishSave (int result, const juce::String& presetName, int scopeIndex, const juce::String& category)
{
    const auto trimmed = presetName.trim();
    if (result != 1 || trimmed.isEmpty())
        return;
    auto& manager = context.presets();
    if (manager.isNameTaken (trimmed))
    {
        showMessage ("Name already in use", nameTakenText (trimmed));
        askForNameAgain();
        return;
    }
    const auto scope = static_cast<PresetScope> (juce::jlimit (0, 4, scopeIndex));
    PresetTags tags;
    tags.category = category;
    tags.complexity = "Moderate";
    if (manager.savePreset (trimmed, tags, scope) == juce::File())
        showMessage ("Preset not saved", notWrittenText (PresetManager::userPresetFile (trimmed, scope)));
}

void PresetSection::exportPreset()
{
    chooser = std::make_unique<juce::FileChooser> ("Export Preset", exportStartFolder(), "*.pmpreset");
    juce::Component::SafePointer<PresetSection> safe (this);
    chooser->launchAsync (juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles,
                          [safe] (const juce::FileChooser& chosen)
    {
        if (safe != nullptr && chosen.getResult() != juce::File())
            safe->exportTo (chosen.getResult());
    });
}

juce::File PresetSection::exportStartFolder()
{
    const auto desktop = juce::File::getSpecialLocation (juce::File::userDesktopDirectory);
    return desktop.isDirectory() ? desktop : juce::File::getSpecialLocation (juce::File::userHomeDirectory);
}

bool PresetSection::exportTo (const juce::File& file)
{
    auto document = context.captureSound (PresetScope::complete, true);
    document.name = context.presets().getCurrentPresetName();
    document.savedFromMode = "advanced";
    if (file.isDirectory() || ! writePresetFile (document, file))
    {
        showMessage ("Preset not exported", notWrittenText (file));
        return false;
    }
    return true;
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
    exportFile.setBounds (row.removeFromRight (std::min (60, row.getWidth())));
    row.removeFromRight (std::min (2, row.getWidth()));
    save.setBounds (row.removeFromRight (std::min (50, row.getWidth())));
    row.removeFromRight (std::min (4, row.getWidth()));
    name.setBounds (row);
    inner.removeFromTop (std::min (inner.getHeight(), 2));
    morph.setBounds (inner);
}

} // namespace plumora
