#pragma once

#include "EditorContent.h"
#include "editor/sections/SectionPanel.h"

#include <array>
#include <memory>
#include <vector>

namespace plumora
{

// The PRO page: every synthesis section, the modulation matrix, the meters
// and the preset bar, with the matrix able to expand over the whole page.
class AdvancedEditorContent : public EditorContent,
                              public juce::DragAndDropContainer
{
public:
    explicit AdvancedEditorContent (EditorContext& context);
    ~AdvancedEditorContent() override;

    void tick() override;
    void paint (juce::Graphics&) override;
    void resized() override;

    void setMatrixExpanded (bool expanded);
    bool isMatrixExpanded() const noexcept { return matrixExpanded; }

    // The sections in page order: oscillator, sub/noise, filter, amp, LFO,
    // envelope, matrix, effects, master, meter, preset bar.
    enum Section { oscillator, subNoise, filter, amp, lfo, envelope, matrix, effects, master, meter, presetBar, sectionCount };
    juce::Component& section (Section which) const noexcept { return *sections[static_cast<std::size_t> (which)]; }
    juce::Component& overlay() const noexcept { return *signalFlow; }

private:
    std::array<std::unique_ptr<juce::Component>, sectionCount> sections;
    std::unique_ptr<juce::Component> signalFlow;
    bool matrixExpanded = false;
};

} // namespace plumora
