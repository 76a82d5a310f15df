#include "AdvancedEditorContent.h"

#include "PageLayouts.h"
#include "editor/look/Palette.h"

namespace plumora
{
namespace
{
const char* const kHeaders[] = { "OSC", "SUB / NOISE", "FILTER", "AMP", "LFO", "ENV", "MOD MATRIX", "FX", "MASTER", "CPU", "PRESETS" };

// The transparent layer over the page where the signal-flow cables are
// drawn; it never takes a click.
struct SignalFlowLayer : juce::Component
{
    SignalFlowLayer()
    {
        setName ("SignalFlowOverlay");
        setInterceptsMouseClicks (false, false);
    }
};
} // namespace

AdvancedEditorContent::AdvancedEditorContent (EditorContext& editorContext) : EditorContent (editorContext)
{
    for (std::size_t i = 0; i < sections.size(); ++i)
        sections[i] = std::make_unique<SectionPanel> (kHeaders[i]);
    signalFlow = std::make_unique<SignalFlowLayer>();

    for (auto& component : sections)
        addAndMakeVisible (*component);
    addAndMakeVisible (*signalFlow);
    setOpaque (true);
}

AdvancedEditorContent::~AdvancedEditorContent() = default;

void AdvancedEditorContent::tick() {}

void AdvancedEditorContent::paint (juce::Graphics& g) { g.fillAll (palette::background); }

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
