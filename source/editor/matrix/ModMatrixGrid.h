#pragma once

#include "editor/controls/InlineTextEditor.h"
#include "editor/shell/EditorContext.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <optional>
#include <vector>

namespace plumora
{

// The sources (rows) by common targets (columns) table: a dot per routing,
// its size the depth (a ring when negative). A click on an empty cell adds a
// routing, a click on a dot removes it, a vertical drag on a dot changes its
// depth and a double-click types it; tooltips explain rows, columns, cells.
class ModMatrixGrid : public juce::Component,
                      public juce::TooltipClient,
                      private juce::Timer
{
public:
    explicit ModMatrixGrid (EditorContext& context);

    static constexpr int rowCount = 19;
    static constexpr int columnCount = 25;
    static const std::array<ParamID, columnCount>& columns() noexcept;

    struct Geometry
    {
        int left, top, cell;
        juce::Rectangle<int> cellBounds (int row, int column) const noexcept { return { left + column * cell, top + row * cell, cell, cell }; }
    };
    Geometry geometry() const noexcept;
    struct Cell { int row, column; };
    std::optional<Cell> cellAt (juce::Point<int> position) const noexcept;

    // Takes a copy of the engine's routings; repaints when they changed.
    void refresh();

    juce::String tooltipAt (juce::Point<int> position) const;
    juce::String getTooltip() override { return tooltipAt (getMouseXYRelative()); }

    juce::TextEditor* depthEditor() const noexcept { return editor.get(); }

    // The keyboard's and screen readers' way in: a cell cursor moved with the
    // arrow keys; Return or Space adds or removes its routing, + and - step
    // its depth, Delete removes it. Screen readers read the cell as "LFO1 to
    // Filter Cutoff, depth 0.50" and may type a depth for it.
    Cell keyboardCell() const noexcept { return cursor; }
    void moveKeyboardCell (int rows, int columns);
    juce::String cellDescription (Cell cell) const;
    void toggleRoutingAt (Cell cell);
    void setDepthAt (Cell cell, float depth);
    bool keyPressed (const juce::KeyPress&) override;
    void focusGained (FocusChangeType) override { repaint(); }
    void focusLost (FocusChangeType) override { repaint(); }
    std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;

    void paint (juce::Graphics&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void mouseDoubleClick (const juce::MouseEvent&) override;

    // A single click on a dot removes it once no second click followed.
    void timerCallback() override;

private:
    struct CachedRouting
    {
        ModSourceID source;
        int target;
        float depth;
        bool operator== (const CachedRouting& other) const noexcept
        {
            return source == other.source && target == other.target && depth == other.depth;
        }
    };
    // The first engine routing from the cell's source to its target, now.
    std::optional<std::size_t> routingAt (Cell cell) const;
    const CachedRouting* cachedAt (Cell cell) const noexcept;
    void showRemoveMenu (Cell cell);
    void removeRoutingAt (Cell cell);

    EditorContext& context;
    std::vector<CachedRouting> routingCache;

    // The press on a dot: what it may become (a removal, a depth drag).
    std::optional<Cell> pressedDot;
    float depthAtPress = 0.0f;
    bool draggingDepth = false;
    std::optional<Cell> pendingRemoval;
    Cell cursor { 0, 0 };
    InlineTextEditor editor;
};

} // namespace plumora
