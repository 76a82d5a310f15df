#pragma once

#include "EditorContent.h"

#include <array>
#include <memory>

namespace plumora
{

class ModMatrixSection;
class CpuVoiceMeter;
class SignalFlowOverlay;
class OscillatorSection;
class SubNoisePanel;
class FilterSection;
class AmpSection;
class EnvelopeSection;
class LfoSection;
class FxSection;
class MasterSection;
class PresetSection;
class KnobSection;
class PlumKnob;

// The PRO page: every synthesis section, the modulation matrix, the meters
// and the preset bar, with the matrix able to expand over the whole page.
class AdvancedEditorContent : public EditorContent,
                              public juce::DragAndDropContainer
{
public:
    explicit AdvancedEditorContent (EditorContext& context);
    ~AdvancedEditorContent() override;

    void tick() override;
    void cacheLayers (bool allowed) override;
    void paint (juce::Graphics&) override;
    void resized() override;

    void setMatrixExpanded (bool expanded);
    bool isMatrixExpanded() const noexcept { return matrixExpanded; }

    // The sections in page order.
    enum Section { oscillator, subNoise, filter, amp, lfo, envelope, matrix, effects, master, meter, presetBar, sectionCount };
    juce::Component& section (Section which) const noexcept { return *sections[static_cast<std::size_t> (which)]; }
    OscillatorSection& oscillatorSection() const noexcept { return *oscillators; }
    FilterSection& filterSection() const noexcept { return *filterPanel; }
    AmpSection& ampSection() const noexcept { return *ampPanel; }
    EnvelopeSection& envelopeSection() const noexcept { return *envelopes; }
    LfoSection& lfoSection() const noexcept { return *lfos; }
    FxSection& effectsSection() const noexcept { return *effectsPanel; }
    MasterSection& masterSection() const noexcept { return *masterPanel; }
    PresetSection& presetSection() const noexcept { return *presetPanel; }
    ModMatrixSection& matrixSection() const noexcept { return *matrixPanel; }
    CpuVoiceMeter& cpuMeter() const noexcept { return *meterPanel; }
    SignalFlowOverlay& overlay() const noexcept { return *signalFlow; }

protected:
    void dragOperationEnded (const juce::DragAndDropTarget::SourceDetails&) override;

private:
    template <class SectionType>
    SectionType* place (Section slot, std::unique_ptr<SectionType> component);
    // Gives a knob the page's routing edits and makes it a cable's end.
    void wireKnobs (const KnobSection& section);

    std::array<std::unique_ptr<juce::Component>, sectionCount> owned;
    std::array<juce::Component*, sectionCount> sections {};
    OscillatorSection* oscillators = nullptr;
    SubNoisePanel* subNoisePanel = nullptr;
    FilterSection* filterPanel = nullptr;
    AmpSection* ampPanel = nullptr;
    EnvelopeSection* envelopes = nullptr;
    LfoSection* lfos = nullptr;
    FxSection* effectsPanel = nullptr;
    MasterSection* masterPanel = nullptr;
    PresetSection* presetPanel = nullptr;
    ModMatrixSection* matrixPanel = nullptr;
    CpuVoiceMeter* meterPanel = nullptr;
    std::unique_ptr<SignalFlowOverlay> signalFlow;
    bool matrixExpanded = false;
};

} // namespace plumora
