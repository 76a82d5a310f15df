#include "SimpleEditorContent.h"

#include "OnMessageThread.h"
#include "PageLayouts.h"
#include "editor/controls/PlumKnob.h"
#include "editor/look/Palette.h"
#include "editor/presets/PresetMessages.h"
#include "editor/sections/ArpSection.h"
#include "editor/simple/CharacterBlockComponent.h"
#include "editor/simple/SoundMap.h"
#include "editor/simple/TimbreLibrary.h"
#include "simple/Timbre.h"
#include "simple/CharacterMap.h"
#include "simple/ResourcesFolder.h"

namespace plumora
{

SimpleEditorContent::SimpleEditorContent (EditorContext& editorContext)
    : EditorContent (editorContext),
      library (std::make_unique<TimbreLibrary> (editorContext, loadTimbreLibrary (findResourcesFolder()))),
      map (std::make_unique<SoundMap> (editorContext)),
      arpStrip (std::make_unique<ArpSection> (editorContext)),
      pick (std::make_unique<PlumKnob> (editorContext, ParamID::pick_attack, "Pick"))
{
    pick->attachToParameter();
    // A chosen timbre hands its maps to the sound map, which maps them at once.
    library->onTimbreSelected = [this] (const Timbre& timbre)
    {
        map->setTimbreMaps (timbre.brightnessMap, timbre.harshnessMap, ! restoring);
    };
    addAndMakeVisible (*library);
    addAndMakeVisible (*map);
    const auto resources = findResourcesFolder();
    for (auto& characterMap : loadCharacterMaps (resources))
        addAndMakeVisible (*blocks.emplace_back (std::make_unique<CharacterBlockComponent> (editorContext, std::move (characterMap))));
    if (blocks.size() < 5)
    {
        missingData.setText ("Some sound-design data is missing: reinstall Plumora to restore "
                                 + resources.getChildFile ("character_maps").getFullPathName(),
                             juce::dontSendNotification);
        missingData.setColour (juce::Label::textColourId, palette::textDim);
        addAndMakeVisible (missingData);
    }
    addAndMakeVisible (*arpStrip);

    save.onClick = [this] { savePreset(); };
    showMessage = [this] (const juce::String& title, const juce::String& text) { showWarningOver (*getTopLevelComponent(), title, text); };
    askForNameAgain = [this] { savePreset(); };
    resetAll.onClick = [this]
    {
        for (auto& block : blocks)
            block->reset();
    };
    for (auto* button : { &save, &resetAll })
    {
        button->setColour (juce::TextButton::buttonColourId, palette::panel);
        button->setColour (juce::TextButton::textColourOffId, palette::textDim);
        addAndMakeVisible (*button);
    }
    addAndMakeVisible (*pick);
    setOpaque (true);
    context.presets().addListener (this);
}

SimpleEditorContent::~SimpleEditorContent() { context.presets().removeListener (this); }

void SimpleEditorContent::currentPresetChanged (const juce::String& name)
{
    onMessageThread (*this, [this, name] { restoreSimpleMeta (name); });
}

// The timbre and the steps a preset was made with become the page's
// selection, shown without being applied: the preset holds their values and
// routings, and whatever the user changed after choosing them, so restoring
// a preset on this page sounds exactly like loading it on the other. The
// sound map only takes the timbre's maps.
void SimpleEditorContent::restoreSimpleMeta (const juce::String& presetName)
{
    const PresetDocument* found = nullptr;
    for (const auto* list : { &context.presets().getFactoryPresets(), &context.presets().getUserPresets() })
        for (const auto& document : *list)
            if (found == nullptr && document.name == presetName && document.simpleMeta.present)
                found = &document;
    if (found == nullptr)
        return;
    const auto meta = found->simpleMeta;
    if (meta.timbreName.isNotEmpty() && meta.timbreCategory.isNotEmpty())
    {
        const juce::ScopedValueSetter<bool> quiet (restoring, true);
        library->showByNames (meta.timbreCategory, meta.timbreName);
    }
    for (std::size_t i = 0; i < std::min<std::size_t> (blocks.size(), meta.steps.size()); ++i)
        if (meta.steps[i] >= 0)
            blocks[i]->showRestoredStep (meta.steps[i]);
}

void SimpleEditorContent::recordSimpleMeta()
{
    SimpleMeta meta;
    if (const auto* timbre = library->selectedTimbre())
    {
        meta.timbreName = timbre->name;
        meta.timbreCategory = library->selectedCategoryName();
    }
    for (std::size_t i = 0; i < std::min<std::size_t> (blocks.size(), meta.steps.size()); ++i)
        meta.steps[i] = blocks[i]->getCurrentStep();
    context.presets().setPendingSimpleMeta (meta);
}

void SimpleEditorContent::savePreset()
{
    recordSimpleMeta();
    juce::Component::SafePointer<SimpleEditorContent> safe (this);
    openSaveDialog (*this, "Name your preset:", context.presets().getCurrentPresetName(), { { "category", "Category:", presetCategories } },
                    [safe] (int result, juce::AlertWindow& dialog)
                    {
                        if (safe != nullptr)
                            safe->finishSave (result, dialog.getTextEditorContents ("name"), dialog.getComboBoxComponent ("category")->getText());
                    });
}

void SimpleEditorContent::finishSave (int result, const juce::String& name, const juce::String& category)
{
    auto& manager = context.presets();
    if (result != 1)
    {
        manager.clearPendingSimpleMeta();
        return;
    }
    const auto trimmed = name.trim();
    if (trimmed.isEmpty())
    {
        manager.clearPendingSimpleMeta();
        return;
    }
    if (manager.isNameTaken (trimmed))
    {
        showMessage ("Name already in use", nameTakenText (trimmed));
        askForNameAgain();
        return;
    }
    PresetTags tags;
    tags.category = category;
    tags.complexity = "Simple";
    if (manager.savePreset (trimmed, tags, PresetScope::complete) == juce::File())
        showMessage ("Preset not saved", notWrittenText (PresetManager::userPresetFile (trimmed, PresetScope::complete)));
}

void SimpleEditorContent::tick()
{
    const auto position = context.arpeggiatorPosition();
    arpStrip->updateSteps (position.step, position.length);
}

void SimpleEditorContent::paint (juce::Graphics& g) { g.fillAll (palette::pageSimple); }

void SimpleEditorContent::resized()
{
    const auto layout = layoutSimplePage (getWidth(), getHeight(), static_cast<int> (blocks.size()), arpStrip->isExpanded());
    library->setBounds (layout.timbreLibrary);
    map->setBounds (layout.soundMap);
    for (std::size_t i = 0; i < blocks.size(); ++i)
        blocks[i]->setBounds (layout.blocks[i]);
    missingData.setBounds (layout.saveButton.getX() - 600, layout.saveButton.getY(), 590, layout.saveButton.getHeight());
    arpStrip->setBounds (layout.arpeggiator);
    pick->setBounds (layout.pickKnob);
    save.setBounds (layout.saveButton);
    resetAll.setBounds (layout.resetAllButton);
}

} // namespace plumora
