#pragma once

#include "ModMatrixGrid.h"

#include <functional>

namespace plumora
{

// The PRO page's "MOD MATRIX" panel: the grid and a button that lets the
// grid take the whole page.
class ModMatrixSection : public juce::Component
{
public:
    explicit ModMatrixSection (EditorContext& context);

    std::function<void (bool)> onExpandChanged;
    ModMatrixGrid& grid() noexcept { return matrixGrid; }
    juce::TextButton& expandButton() noexcept { return expand; }
    bool isExpanded() const noexcept { return expanded; }

    void paint (juce::Graphics&) override;
    void resized() override;

private:
    ModMatrixGrid matrixGrid;
    juce::TextButton expand { "[+]" };
    bool expanded = false;
};

} // namespace plumora
