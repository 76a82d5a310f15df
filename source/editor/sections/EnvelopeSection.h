#pragma once

#include "SectionPanel.h"
#include "editor/matrix/ModSourceDragHandle.h"
#include "editor/visual/EnvelopeCurveEditor.h"

#include <array>

namespace plumora
{

// The two modulation envelopes behind tabs "1" and "2": each a curve to
// drag and a handle to drag onto knobs.
class EnvelopeSection : public SectionPanel
{
public:
    explicit EnvelopeSection (EditorContext& context);

    void showEnvelope (int envelope);
    int shownEnvelope() const noexcept { return shown; }
    // The values the engine plays, for both curves.
    void showValues (const EditorContext& context);

    EnvelopeCurveEditor& curve (int envelope) noexcept { return *curves[static_cast<std::size_t> (envelope)]; }
    ModSourceDragHandle& handle (int envelope) noexcept { return *handles[static_cast<std::size_t> (envelope)]; }
    juce::TextButton& tab (int envelope) noexcept { return tabs[static_cast<std::size_t> (envelope)]; }

    void resized() override;

private:
    std::array<juce::TextButton, 2> tabs { juce::TextButton ("1"), juce::TextButton ("2") };
    std::array<std::unique_ptr<EnvelopeCurveEditor>, 2> curves;
    std::array<std::unique_ptr<ModSourceDragHandle>, 2> handles;
    int shown = 0;
};

} // namespace plumora
