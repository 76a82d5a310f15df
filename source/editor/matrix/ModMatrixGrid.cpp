#include "ModMatrixGrid.h"

#include "editor/controls/Accessibility.h"
#include "editor/controls/ModSourceInfo.h"
#include "editor/look/Palette.h"
#include "editor/look/PlumoraLookAndFeel.h"

#include <cmath>

namespace plumora
{
namespace
{
constexpr float kDepthDragPixels = 100.0f; // a drag of this many pixels moves the depth by 1
constexpr float kFineScale = 0.1f;
constexpr int kDragThreshold = 2;

ModSourceID rowSource (int row) noexcept { return static_cast<ModSourceID> (row); }

// Scope of a routing made in the grid.
ModScope gridScope (ModSourceID source) noexcept
{
    if (source == ModSourceID::modenv1 || source == ModSourceID::modenv2)
        return ModScope::per_voice;
    return source == ModSourceID::velocity ? ModScope::per_note_capture : ModScope::global;
}

bool isBanded (int index) noexcept { return (index / 5) % 2 == 1; }
} // namespace

ModMatrixGrid::ModMatrixGrid (EditorContext& editorContext) : context (editorContext)
{
    setOpaque (true);
    setTitle ("Modulation matrix");
    setWantsKeyboardFocus (true);
    setMouseClickGrabsKeyboardFocus (false); // the on-screen keyboard keeps the focus
    refresh();
}

const std::array<ParamID, ModMatrixGrid::columnCount>& ModMatrixGrid::columns() noexcept
{
    static const std::array<ParamID, columnCount> table {
        ParamID::osc1_wt_pos, ParamID::osc2_wt_pos, ParamID::osc1_tune, ParamID::osc2_tune, ParamID::osc1_level,
        ParamID::osc2_level, ParamID::osc1_pan, ParamID::osc2_pan, ParamID::osc1_detune, ParamID::osc2_detune,
        ParamID::filt_cutoff, ParamID::filt_reso, ParamID::filt_drive, ParamID::chorus_rate, ParamID::chorus_depth,
        ParamID::chorus_mix, ParamID::delay_mix, ParamID::delay_feedback, ParamID::reverb_mix, ParamID::reverb_size,
        ParamID::master_vol, ParamID::lfo1_rate, ParamID::lfo2_rate, ParamID::macro1, ParamID::macro2,
    };
    return table;
}

ModMatrixGrid::Geometry ModMatrixGrid::geometry() const noexcept
{
    const int w = getWidth(), h = getHeight();
    const int left = std::max (40, w / 10), top = std::max (40, h / 6);
    const int cell = (w - left <= 0 || h - top <= 0) ? 14 : std::max (10, std::min ((h - top) / rowCount, (w - left) / columnCount));
    return { left, top, cell };
}

std::optional<ModMatrixGrid::Cell> ModMatrixGrid::cellAt (juce::Point<int> position) const noexcept
{
    const auto g = geometry();
    if (position.x < g.left || position.y < g.top)
        return std::nullopt;
    const int column = (position.x - g.left) / g.cell, row = (position.y - g.top) / g.cell;
    if (column >= columnCount || row >= rowCount)
        return std::nullopt;
    return Cell { row, column };
}

void ModMatrixGrid::refresh()
{
    std::vector<CachedRouting> now;
    now.reserve (context.routings().size());
    for (const auto& routing : context.routings())
        now.push_back ({ routing.source, routing.target, routing.depth });
    if (now == routingCache)
        return;
    routingCache = std::move (now);
    repaint();
}

const ModMatrixGrid::CachedRouting* ModMatrixGrid::cachedAt (Cell cell) const noexcept
{
    const auto source = rowSource (cell.row);
    const int target = index (columns()[static_cast<std::size_t> (cell.column)]);
    for (const auto& routing : routingCache)
        if (routing.source == source && routing.target == target)
            return &routing;
    return nullptr;
}

std::optional<std::size_t> ModMatrixGrid::routingAt (Cell cell) const
{
    const auto source = rowSource (cell.row);
    const int target = index (columns()[static_cast<std::size_t> (cell.column)]);
    const auto& routings = context.routings();
    for (std::size_t i = 0; i < routings.size(); ++i)
        if (routings[i].source == source && routings[i].target == target)
            return i;
    return std::nullopt;
}

juce::String ModMatrixGrid::tooltipAt (juce::Point<int> position) const
{
    const auto g = geometry();
    const int column = (position.x - g.left) / g.cell, row = (position.y - g.top) / g.cell;
    const bool validColumn = position.x >= g.left && column < columnCount;
    const bool validRow = position.y >= g.top && row < rowCount;

    if (position.y < g.top && validColumn)
    {
        const auto& target = parameterSpec (columns()[static_cast<std::size_t> (column)]);
        return juce::String ("Target: ") + target.name + " (" + juce::String (target.min, 2) + " - " + juce::String (target.max, 2) + ")";
    }
    if (position.x < g.left && validRow)
        return modSourceShortName (rowSource (row)) + ": " + modSourceDescription (rowSource (row));
    if (! validRow || ! validColumn)
        return {};

    const Cell cell { row, column };
    auto text = modSourceShortName (rowSource (row)) + juce::String (juce::CharPointer_UTF8 (" \xe2\x86\x92 "))
                + parameterSpec (columns()[static_cast<std::size_t> (column)]).name;
    if (const auto* routing = cachedAt (cell))
        return text + "  (depth " + depthText (routing->depth) + juce::String (juce::CharPointer_UTF8 (") \xe2\x80\x94 click to remove"));
    return text + juce::String (juce::CharPointer_UTF8 ("  \xe2\x80\x94 click to add routing"));
}

void ModMatrixGrid::paint (juce::Graphics& g)
{
    const auto geo = geometry();
    g.fillAll (palette::background);
    const float fontHeight = std::max (0.6f * static_cast<float> (geo.cell), 7.0f);
    g.setFont (palette::font (fontHeight));

    g.setColour (palette::textDim);
    for (int c = 0; c < columnCount; ++c)
    {
        juce::Graphics::ScopedSaveState state (g);
        g.addTransform (juce::AffineTransform::rotation (-juce::MathConstants<float>::halfPi)
                            .translated (static_cast<float> (geo.left + geo.cell / 2 + c * geo.cell), static_cast<float> (geo.top)));
        // Centred on the column: the rotated box spans half a cell either side.
        g.drawText (parameterSpec (columns()[static_cast<std::size_t> (c)]).name, juce::Rectangle<int> (0, -geo.cell / 2, geo.top, geo.cell),
                    juce::Justification::centredLeft, true);
    }
    for (int r = 0; r < rowCount; ++r)
    {
        g.setColour (modSourceColour (rowSource (r)));
        g.drawText (modSourceShortName (rowSource (r)), juce::Rectangle<int> (0, geo.top + r * geo.cell, geo.left - 2, geo.cell),
                    juce::Justification::centredRight, true);
    }

    g.setColour (palette::matrixBand);
    for (int c = 0; c < columnCount; ++c)
        if (isBanded (c))
            g.fillRect (geo.left + c * geo.cell, geo.top, geo.cell, rowCount * geo.cell);
    for (int r = 0; r < rowCount; ++r)
        if (isBanded (r))
            g.fillRect (geo.left, geo.top + r * geo.cell, columnCount * geo.cell, geo.cell);

    for (int r = 0; r < rowCount; ++r)
        for (int c = 0; c < columnCount; ++c)
        {
            const auto bounds = geo.cellBounds (r, c);
            g.setColour (palette::matrixCellOutline);
            g.drawRect (bounds, 1);
            if (const auto* routing = cachedAt ({ r, c }))
            {
                const float diameter = std::max (3.0f, std::abs (routing->depth) * static_cast<float> (geo.cell - 4));
                const auto dot = juce::Rectangle<float> (diameter, diameter).withCentre (bounds.toFloat().getCentre());
                g.setColour (modSourceColour (rowSource (r)));
                if (routing->depth >= 0.0f)
                    g.fillEllipse (dot);
                else
                    g.drawEllipse (dot.reduced (0.75f), 1.5f); // a negative depth is a ring
            }
        }
    if (hasKeyboardFocus (false))
        PlumoraLookAndFeel::drawFocusOutline (g, geo.cellBounds (cursor.row, cursor.column).toFloat().expanded (1.0f));
}

void ModMatrixGrid::mouseDown (const juce::MouseEvent& e)
{
    pressedDot.reset();
    draggingDepth = false;
    const auto cell = cellAt (e.getPosition());
    if (! cell)
        return;
    const auto existing = routingAt (*cell);
    if (! existing)
    {
        const auto source = rowSource (cell->row);
        context.addRouting (source, columns()[static_cast<std::size_t> (cell->column)], 0.5f, gridScope (source));
        refresh();
        return;
    }
    if (e.mods.isPopupMenu())
    {
        showRemoveMenu (*cell);
        return;
    }
    pressedDot = cell;
    depthAtPress = context.routings()[*existing].depth;
}

void ModMatrixGrid::mouseDrag (const juce::MouseEvent& e)
{
    if (! pressedDot || (! draggingDepth && std::abs (e.getDistanceFromDragStartY()) < kDragThreshold))
        return;
    draggingDepth = true;
    if (const auto existing = routingAt (*pressedDot))
    {
        const float scale = e.mods.isShiftDown() ? kFineScale : 1.0f;
        const float moved = static_cast<float> (-e.getDistanceFromDragStartY()) / kDepthDragPixels * scale;
        context.setRoutingDepth (static_cast<int> (*existing), juce::jlimit (-1.0f, 1.0f, depthAtPress + moved));
        refresh();
    }
}

void ModMatrixGrid::mouseUp (const juce::MouseEvent& e)
{
    if (pressedDot && ! draggingDepth && e.getNumberOfClicks() == 1)
    {
        pendingRemoval = pressedDot;
        startTimer (juce::MouseEvent::getDoubleClickTimeout());
    }
    pressedDot.reset();
    draggingDepth = false;
}

void ModMatrixGrid::timerCallback()
{
    stopTimer();
    if (const auto cell = pendingRemoval)
    {
        pendingRemoval.reset();
        removeRoutingAt (*cell);
    }
}

void ModMatrixGrid::mouseDoubleClick (const juce::MouseEvent& e)
{
    stopTimer();
    pendingRemoval.reset();
    const auto cell = cellAt (e.getPosition());
    if (! cell || ! routingAt (*cell))
        return;
    const auto bounds = geometry().cellBounds (cell->row, cell->column).withSizeKeepingCentre (48, 18).constrainedWithin (getLocalBounds());
    editor.open (*this, bounds, depthText (context.routings()[*routingAt (*cell)].depth), [this, target = *cell] (const juce::String& typed)
    {
        const auto depth = depthFromText (typed);
        const auto existing = routingAt (target);
        if (depth && existing)
            context.setRoutingDepth (static_cast<int> (*existing), *depth);
        refresh();
    });
}

void ModMatrixGrid::removeRoutingAt (Cell cell)
{
    if (const auto existing = routingAt (cell))
        context.removeRouting (static_cast<int> (*existing));
    refresh();
}

void ModMatrixGrid::showRemoveMenu (Cell cell)
{
    juce::PopupMenu menu;
    menu.addItem (1, "Remove routing");
    juce::Component::SafePointer<ModMatrixGrid> safe (this);
    menu.showMenuAsync (juce::PopupMenu::Options().withTargetComponent (this), [safe, cell] (int result)
    {
        if (safe != nullptr && result == 1)
            safe->removeRoutingAt (cell);
    });
}

juce::String ModMatrixGrid::cellDescription (Cell cell) const
{
    const auto text = modSourceShortName (rowSource (cell.row)) + " to " + parameterSpec (columns()[static_cast<std::size_t> (cell.column)]).name;
    if (const auto existing = routingAt (cell))
        return text + ", depth " + depthText (context.routings()[*existing].depth);
    return text + ", no routing";
}

void ModMatrixGrid::moveKeyboardCell (int rows, int columnsToMove)
{
    cursor = { juce::jlimit (0, rowCount - 1, cursor.row + rows), juce::jlimit (0, columnCount - 1, cursor.column + columnsToMove) };
    repaint();
    announceValueChange (*this);
}

void ModMatrixGrid::toggleRoutingAt (Cell cell)
{
    if (routingAt (cell))
        return removeRoutingAt (cell);
    const auto source = rowSource (cell.row);
    context.addRouting (source, columns()[static_cast<std::size_t> (cell.column)], 0.5f, gridScope (source));
    refresh();
}

void ModMatrixGrid::setDepthAt (Cell cell, float depth)
{
    if (! std::isfinite (depth))
        return;
    depth = juce::jlimit (-1.0f, 1.0f, depth);
    if (const auto existing = routingAt (cell))
        context.setRoutingDepth (static_cast<int> (*existing), depth);
    else
    {
        const auto source = rowSource (cell.row);
        context.addRouting (source, columns()[static_cast<std::size_t> (cell.column)], depth, gridScope (source));
    }
    refresh();
}

bool ModMatrixGrid::keyPressed (const juce::KeyPress& key)
{
    const auto code = key.getKeyCode();
    if (code == juce::KeyPress::leftKey || code == juce::KeyPress::rightKey)
        moveKeyboardCell (0, code == juce::KeyPress::leftKey ? -1 : 1);
    else if (code == juce::KeyPress::upKey || code == juce::KeyPress::downKey)
        moveKeyboardCell (code == juce::KeyPress::upKey ? -1 : 1, 0);
    else if (code == juce::KeyPress::returnKey || code == juce::KeyPress::spaceKey)
        toggleRoutingAt (cursor);
    else if (code == juce::KeyPress::deleteKey || code == juce::KeyPress::backspaceKey)
        removeRoutingAt (cursor);
    else if (const auto character = key.getTextCharacter(); (character == '+' || character == '-') && routingAt (cursor))
        setDepthAt (cursor, context.routings()[*routingAt (cursor)].depth + (character == '+' ? 0.05f : -0.05f));
    else
        return false;
    return true;
}

std::unique_ptr<juce::AccessibilityHandler> ModMatrixGrid::createAccessibilityHandler()
{
    return drawnControlHandler (*this, juce::AccessibilityRole::group,
                                [this] { return cellDescription (cursor); },
                                // A depth, alone or ending a text ("depth -0.25").
                                [this] (const juce::String& text)
                                {
                                    const auto number = text.trim().fromLastOccurrenceOf (" ", false, false);
                                    if (number.containsAnyOf ("0123456789"))
                                        setDepthAt (cursor, number.getFloatValue());
                                },
                                [this] { toggleRoutingAt (cursor); });
}

} // namespace plumora
