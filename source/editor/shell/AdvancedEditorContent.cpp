#include "AdvancedEditorContent.h"

#include "PageLayouts.h"
#include "editor/look/Palette.h"
#include "editor/matrix/ModMatrixSection.h"
#include "editor/matrix/ModSourceDragHandle.h"
#include "editor/sections/EnvelopeSection.h"
#include "editor/sections/FilterSection.h"
#include "editor/sections/FxSection.h"
#include "editor/sections/LfoSection.h"
#include "editor/sections/MasterSection.h"
#include "editor/sections/OscillatorSection.h"
#include "editor/presets/PresetSection.h"
#include "editor/sections/SubNoisePanel.h"
#include "editor/visual/CpuVoiceMeter.h"
#include "editor/visual/SignalFlowOverlay.h"

namespace plumora
{
namespace
{
constexpr int kMaxVoices = 32;
} // namespace

template <class SectionType>
SectionType* AdvancedEditorContent::place (Section slot, std::unique_ptr<SectionType> component)
{
    auto* placed = component.get();
    owned[static_cast<std::size_t> (slot)] = std::move (component);
    sections[static_cast<std::size_t> (slot)] = placed;
    return placed;
}

AdvancedEditorContent::AdvancedEditorContent (EditorContext& editorContext) : EditorContent (editorContext)
{
    oscillators = place (oscillator, std::make_unique<OscillatorSection> (editorContext));
    subNoisePanel = place (subNoise, std::make_unique<SubNoisePanel> (editorContext));
    filterPanel = place (filter, std::make_unique<FilterSection> (editorContext));
    ampPanel = place (amp, std::make_unique<AmpSection> (editorContext));
    lfos = place (lfo, std::make_unique<LfoSection> (editorContext));
    envelopes = place (envelope, std::make_unique<EnvelopeSection> (editorContext));
    matrixPanel = place (matrix, std::make_unique<ModMatrixSection> (editorContext));
    effectsPanel = place (effects, std::make_unique<FxSection> (editorContext));
    masterPanel = place (master, std::make_unique<MasterSection> (editorContext));
    meterPanel = place (meter, std::make_unique<CpuVoiceMeter>());
    presetPanel = place (presetBar, std::make_unique<PresetSection> (editorContext));
    signalFlow = std::make_unique<SignalFlowOverlay> (editorContext);

    for (auto* component : sections)
        addAndMakeVisible (*component);
    cacheLayers (true);
    addAndMakeVisible (*signalFlow);

    for (const auto* section : std::initializer_list<const KnobSection*> { oscillators, filterPanel, ampPanel, lfos, effectsPanel, masterPanel })
        wireKnobs (*section);
    // An LFO's cable starts at its handle, or at its tab while another LFO is shown.
    const ModSourceID lfoSources[] = { ModSourceID::lfo1, ModSourceID::lfo2, ModSourceID::lfo3, ModSourceID::lfo4 };
    for (int i = 0; i < LfoSection::lfoCount; ++i)
        signalFlow->sourceComponents[lfoSources[i]] = { &lfos->dragHandle (i), &lfos->tab (i) };
    // An envelope's cable starts at its handle, or at its tab while the
    // other envelope is shown.
    signalFlow->sourceComponents[ModSourceID::modenv1] = { &envelopes->handle (0), &envelopes->tab (0) };
    signalFlow->sourceComponents[ModSourceID::modenv2] = { &envelopes->handle (1), &envelopes->tab (1) };
    matrixPanel->onExpandChanged = [this] (bool expanded) { setMatrixExpanded (expanded); };
    setOpaque (true);
}

AdvancedEditorContent::~AdvancedEditorContent() = default;

void AdvancedEditorContent::wireKnobs (const KnobSection& section)
{
    for (auto* knob : section.getKnobs())
    {
        signalFlow->targetComponents[knob->paramId] = knob;
        knob->onAddModulation = [this] (ModSourceID source, ParamID target, float depth, ModScope scope)
        {
            context.addRouting (source, target, depth, scope);
        };
        knob->onRemoveModulation = [this] (std::size_t routing) { context.removeRouting (static_cast<int> (routing)); };
        knob->onSetModulationDepth = [this] (std::size_t routing, float depth) { context.setRoutingDepth (static_cast<int> (routing), depth); };
    }
}

void AdvancedEditorContent::tick()
{
    oscillators->refresh();
    filterPanel->refresh();
    ampPanel->refresh();
    lfos->refresh();
    envelopes->showValues (context);
    effectsPanel->refresh();
    masterPanel->refresh();
    matrixPanel->grid().refresh();
    meterPanel->show (context.cpuLoadPercent(), context.activeVoiceCount(), kMaxVoices);
    subNoisePanel->refresh();
    signalFlow->tick();
}

void AdvancedEditorContent::paint (juce::Graphics& g) { g.fillAll (palette::background); }

void AdvancedEditorContent::dragOperationEnded (const juce::DragAndDropTarget::SourceDetails& details)
{
    if (auto* handle = dynamic_cast<ModSourceDragHandle*> (details.sourceComponent.get()))
        handle->dragEnded();
}

void AdvancedEditorContent::setMatrixExpanded (bool expanded)
{
    matrixExpanded = expanded;
    for (std::size_t i = 0; i < sections.size(); ++i)
        if (i != matrix)
            sections[i]->setVisible (! expanded);
    resized();
}

void AdvancedEditorContent::resized()
{
    if (matrixExpanded)
    {
        section (matrix).setBounds (expandedMatrixBounds (getWidth(), getHeight()));
    }
    else
    {
        const auto layout = layoutProPage (getWidth(), getHeight());
        const juce::Rectangle<int> bounds[] = { layout.oscillator, layout.subNoise, layout.filter, layout.amp, layout.lfo, layout.envelope,
                                                layout.matrix, layout.effects, layout.master, layout.meter, layout.presetBar };
        for (std::size_t i = 0; i < sections.size(); ++i)
            sections[i]->setBounds (bounds[i]);
    }
    signalFlow->setBounds (getLocalBounds());
    signalFlow->toFront (false);
}

// Each section keeps a picture of itself, redrawn only where it changed: the
// cables' animation above them then costs a copy of those pictures, not a
// repaint of every knob under a cable.
void AdvancedEditorContent::cacheLayers (bool allowed)
{
    for (auto* component : sections)
        component->setBufferedToImage (allowed);
}

} // namespace plumora
