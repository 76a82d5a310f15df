#include "SimpleEditorContent.h"

#include "PageLayouts.h"
#include "editor/controls/PlumKnob.h"
#include "editor/look/Palette.h"
#include "editor/sections/ArpSection.h"
#include "editor/sections/SectionPanel.h"
#include "simple/CharacterMap.h"
#include "simple/ResourcesFolder.h"

namespace plumora
{

SimpleEditorContent::SimpleEditorContent (EditorContext& editorContext)
    : EditorContent (editorContext),
      library (std::make_unique<SectionPanel> ("TIMBRES")),
      map (std::make_unique<SectionPanel> ("SOUND MAP")),
      arpStrip (std::make_unique<ArpSection> (editorContext)),
      pick (std::make_unique<PlumKnob> (editorContext, ParamID::pick_attack, "Pick"))
{
    pick->attachToParameter();
    addAndMakeVisible (*library);
    addAndMakeVisible (*map);
    for (const auto& characterMap : loadCharacterMaps (findResourcesFolder()))
        addAndMakeVisible (*blocks.emplace_back (std::make_unique<SectionPanel> (characterMap.name)));
    addAndMakeVisible (*arpStrip);

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
    arpStrip->setBounds (layout.arpeggiator);
    pick->setBounds (layout.pickKnob);
    save.setBounds (layout.saveButton);
    resetAll.setBounds (layout.resetAllButton);
}

} // namespace plumora
