#include "SimpleEditorContent.h"

#include "PageLayouts.h"
#include "editor/controls/PlumKnob.h"
#include "editor/look/Palette.h"
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
    library->onTimbreSelected = [this] (const Timbre& timbre) { map->setTimbreMaps (timbre.brightnessMap, timbre.harshnessMap); };
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
}

SimpleEditorContent::~SimpleEditorContent() = default;

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
