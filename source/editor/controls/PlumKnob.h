#pragma once

#include "InlineTextEditor.h"
#include "editor/shell/EditorContext.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

namespace plumora
{

// The rotary control of every continuous or stepped parameter: a lit dial
// with value arc and pointer, its name above and value below, the live
// modulation range as a coloured ring, an inline value editor (double-click),
// a menu of the routings onto its parameter (right-click) and drops of
// modulation sources. Routing edits go through the three callbacks the
// owning page installs.
class PlumKnob : public juce::Slider,
                 public juce::DragAndDropTarget
{
public:
    PlumKnob (EditorContext& context, ParamID parameter, juce::String name);
    ~PlumKnob() override;

    std::function<void (ModSourceID, ParamID, float, ModScope)> onAddModulation;
    std::function<void (std::size_t)> onRemoveModulation;
    std::function<void (std::size_t, float)> onSetModulationDepth;

    const ParamID paramId;
    const juce::String& label() const noexcept { return name; }

    // Binds the knob to its host parameter (replacing an earlier binding);
    // a parameter the tree lacks leaves it unbound.
    void attachToParameter();
    bool isAttached() const noexcept { return attachment != nullptr; }

    // The live modulation range in parameter units and the strongest
    // source; repaints only when it moved by more than 0.1 % of the range.
    void setModulationRange (float low, float high, int source);
    bool hasModulationRange() const noexcept { return hasModRange; }
    float modulationLow() const noexcept { return modLow; }
    float modulationHigh() const noexcept { return modHigh; }
    int dominantSource() const noexcept { return modSource; }

    // Inline editors: the value (Return applies through the parameter's own
    // text-to-value) or a routing's depth (-1 ... 1). Escape or focus loss
    // cancels. At most one is open.
    void showValueEditor();
    void showDepthEditor (std::size_t routingIndex);
    juce::TextEditor* inlineEditor() const noexcept { return editor.get(); }
    juce::Rectangle<int> inlineEditorBounds() const noexcept;

    // The right-click menu, built from the routing list, and what a choice does.
    juce::PopupMenu buildContextMenu() const;
    void showContextMenu();
    void handleMenuChoice (int itemId);

    void paint (juce::Graphics&) override;
    void focusGained (FocusChangeType) override { repaint(); }
    void focusLost (FocusChangeType) override { repaint(); }
    void resized() override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void mouseDoubleClick (const juce::MouseEvent&) override;

    bool isInterestedInDragSource (const SourceDetails&) override;
    void itemDragEnter (const SourceDetails&) override;
    void itemDragExit (const SourceDetails&) override;
    void itemDropped (const SourceDetails&) override;
    bool isDragOver() const noexcept { return dragOver; }

    // Menu item ids: 1 animates; routing i has 10 i + 101 (its depth) and
    // 10 i + 102 (remove).
    static constexpr int animateItem = 1;
    static int depthItem (std::size_t routing) noexcept { return static_cast<int> (10 * routing + 101); }
    static int removeItem (std::size_t routing) noexcept { return static_cast<int> (10 * routing + 102); }

private:
    // The dial's centre and radii: outer arc, body, pointer length.
    struct Geometry
    {
        float size, cx, cy, outer, body, pointer;
    };
    Geometry geometry() const noexcept;
    bool isOnModulationRing (juce::Point<float> position) const noexcept;
    bool targetsThisKnob (std::size_t routingIndex) const;
    void dragDepth (const juce::MouseEvent&);

    EditorContext& context;
    juce::String name;
    std::unique_ptr<juce::SliderParameterAttachment> attachment;
    juce::Label nameLabel;
    InlineTextEditor editor;

    float modLow = 0.0f, modHigh = 0.0f;
    int modSource = 0;
    bool hasModRange = false;
    bool dragOver = false;

    // A drag that Shift made fine stays relative until the button is up, so
    // letting go of Shift never jumps the value.
    bool fineDragLatched = false;
    // Alt pressed on the ring: the drag changes the strongest routing's depth.
    int depthDragRouting = -1;
    float depthDragStart = 0.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PlumKnob)
};

} // namespace plumora
