#include "AdvancedEditorContent.h"

#include "PageLayouts.h"
#include "editor/look/Palette.h"
#include "editor/matrix/ModMatrixSection.h"
#include "editor/matrix/ModSourceDragHandle.h"
#include "editor/sections/SectionPanel.h"
#include "editor/visual/CpuVoiceMeter.h"
#include "editor/visual/SignalFlowOverlay.h"

namespace plumora
{
namespace
{
const char* const kHeaders[] = { "OSC", "SUB / NOISE", "FILTER", "AMP", "LFO", "ENV", "MOD MATRIX", "FX", "MASTER", "CPU", "PRESETS" };
constexpr int kMaxVoices = 32;
} // namespace

AdvancedEditorContent::AdvancedEditorContent (EditorContext& editorContext) : EditorContent (editorContext)
{
    auto matrixSection = std::make_unique<ModMatrixSection> (editorContext);
    matrixPanel = matrixSection.get();
    matrixPanel->onExpandChanged = [this] (bool expanded) { setMatrixExpanded (expanded); };
    auto meterSection = std::make_unique<CpuVoiceMeter>();
    meterPanel = meterSection.get();

    for (std::size_t i = 0; i < owned.size(); ++i)
    {
        if (i == matrix)
            owned[i] = std::move (matrixSection);
        else if (i == meter)
            owned[i] = std::move (meterSection);
        else
            owned[i] = std::make_unique<SectionPanel> (kHeaders[i]);
        sections[i] = owned[i].get();
    }
    signalFlow = std::make_unique<SignalFlowOverlay> (editorContext);

    for (auto* component : sections)
        addAndMakeVisible (*component);
    addAndMakeVisible (*signalFlow);
    setOpaque (true);
}

AdvancedEditorContent::~AdvancedEditorContent() = default;

void AdvancedEditorContent::tick()
{
    matrixPanel->grid().refresh();
    meterPanel->show (context.cpuLoadPercent(), context.activeVoiceCount(), kMaxVoices);
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
