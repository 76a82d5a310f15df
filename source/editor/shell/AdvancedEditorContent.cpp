#include "AdvancedEditorContent.h"

#include "PageLayouts.h"
#include "editor/look/Palette.h"
#include "editor/matrix/ModMatrixSection.h"
#include "editor/matrix/ModSourceDragHandle.h"
#include "editor/sections/EnvelopeSection.h"
#include "editor/sections/FilterSection.h"
#include "editor/sections/OscillatorSection.h"
#include "editor/sections/SectionPanel.h"
#include "editor/sections/SubNoisePanel.h"
#include "editor/visual/CpuVoiceMeter.h"
#include "editor/visual/SignalFlowOverlay.h"

namespace plumora
{
namespace
{
const char* const kHeaders[] = { "OSC", "SUB / NOISE", "FILTER", "AMP", "LFO", "ENV", "MOD MATRIX", "FX", "MASTER", "CPU", "PRESETS" };
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
    envelopes = place (envelope, std::make_unique<EnvelopeSection> (editorContext));
    matrixPanel = place (matrix, std::make_unique<ModMatrixSection> (editorContext));
    meterPanel = place (meter, std::make_unique<CpuVoiceMeter>());
    for (const auto slot : { lfo, effects, master, presetBar })
        place (slot, std::make_unique<SectionPanel> (kHeaders[slot]));
    signalFlow = std::make_unique<SignalFlowOverlay> (editorContext);

    for (auto* component : sections)
        addAndMakeVisible (*component);
    addAndMakeVisible (*signalFlow);

    for (const auto* section : { static_cast<const KnobSection*> (oscillators), static_cast<const KnobSection*> (filterPanel),
                                 static_cast<const KnobSection*> (ampPanel) })
        wireKnobs (*section);
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
    envelopes->showValues (context);
    matrixPanel->grid().refresh();
    meterPanel->show (context.cpuLoadPercent(), context.activeVoiceCount(), kMaxVoices);
    subNoisePanel->repaint();
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

} // namespace plumora
