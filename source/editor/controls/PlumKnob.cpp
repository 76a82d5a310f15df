#include "PlumKnob.h"

#include "ModSourceInfo.h"
#include "ModulationDisplay.h"
#include "MusicalScale.h"
#include "editor/look/Palette.h"
#include "engine/ModMatrix.h"
#include "parameters/ParameterText.h"

#include <cmath>

namespace plumora
{
namespace
{
constexpr double kStartAngle = juce::MathConstants<double>::pi * 1.25;
constexpr double kEndAngle = juce::MathConstants<double>::pi * 2.75;
constexpr double kFineSensitivity = 0.05;
constexpr float kDepthDragPixels = 200.0f; // a full -1 ... 1 sweep takes twice this

std::optional<ModSourceID> droppedSource (const juce::var& description)
{
    if (! description.isInt() && ! description.isInt64())
        return std::nullopt;
    const auto value = static_cast<juce::int64> (description);
    if (value < 0 || value >= kNumModSources)
        return std::nullopt;
    return static_cast<ModSourceID> (value);
}
} // namespace

PlumKnob::PlumKnob (EditorContext& editorContext, ParamID parameter, juce::String knobName)
    : juce::Slider (juce::Slider::RotaryVerticalDrag, juce::Slider::NoTextBox),
      paramId (parameter),
      context (editorContext),
      name (std::move (knobName))
{
    setRotaryParameters (static_cast<float> (kStartAngle), static_cast<float> (kEndAngle), true);
    // Reached with Tab; a click leaves the focus with the on-screen keyboard.
    setWantsKeyboardFocus (true);
    setMouseClickGrabsKeyboardFocus (false);
    setDoubleClickReturnValue (false, 0.0);
    setName (name);
    setTitle (parameterSpec (paramId).name);

    nameLabel.setText (name, juce::dontSendNotification);
    nameLabel.setJustificationType (juce::Justification::centred);
    nameLabel.setColour (juce::Label::textColourId, palette::textDim);
    nameLabel.setFont (palette::font (11.0f));
    nameLabel.setInterceptsMouseClicks (false, false);
    nameLabel.setWantsKeyboardFocus (false);
    addAndMakeVisible (nameLabel);
}

PlumKnob::~PlumKnob()
{
    editor.close();
    attachment.reset();
}

void PlumKnob::attachToParameter()
{
    attachment.reset();
    auto* parameter = context.parameter (paramId);
    if (parameter == nullptr)
        return;
    attachment = std::make_unique<juce::SliderParameterAttachment> (*parameter, *this, context.parameters().undoManager);
    setDoubleClickReturnValue (false, 0.0); // a double-click opens the value editor
    if (turnsLogarithmically (parameterSpec (paramId)))
    {
        const auto value = getValue();
        setNormalisableRange (logarithmicRange (parameter->getNormalisableRange()));
        setValue (value, juce::dontSendNotification);
    }
}

void PlumKnob::setModulationRange (float low, float high, int source)
{
    const auto& row = parameterSpec (paramId);
    const float threshold = (row.max - row.min) * 0.001f;
    const bool ranged = high - low > threshold;
    if (ranged == hasModRange && std::abs (low - modLow) <= threshold && std::abs (high - modHigh) <= threshold)
        return;
    hasModRange = ranged;
    modLow = low;
    modHigh = high;
    modSource = source;
    repaint();
}

void PlumKnob::resized()
{
    const float w = static_cast<float> (getWidth()), h = static_cast<float> (getHeight());
    const int y = static_cast<int> (std::max (0.0f, h * 0.5f - std::min (h - 32.0f, w) * 0.38f - 16.0f));
    nameLabel.setBounds (0, y, getWidth(), 16);
    if (auto* open = editor.get())
        open->setBounds (inlineEditorBounds());
}

// Inline editors --------------------------------------------------------------

juce::Rectangle<int> PlumKnob::inlineEditorBounds() const noexcept { return { (getWidth() - 60) / 2, (getHeight() - 18) / 2, 60, 18 }; }

void PlumKnob::showValueEditor()
{
    editor.open (*this, inlineEditorBounds(), getTextFromValue (getValue()), [this] (const juce::String& typed)
    {
        if (const auto value = parameterValueFromText (parameterSpec (paramId), typed.toStdString()))
            setValue (*value, juce::sendNotificationSync);
    });
}

void PlumKnob::showDepthEditor (std::size_t routingIndex)
{
    if (! targetsThisKnob (routingIndex))
        return;
    const auto depth = context.routings()[routingIndex].depth;
    editor.open (*this, inlineEditorBounds(), depthText (depth), [this, routingIndex] (const juce::String& typed)
    {
        const auto value = depthFromText (typed);
        if (value && targetsThisKnob (routingIndex) && onSetModulationDepth)
            onSetModulationDepth (routingIndex, *value);
    });
}

// The menu --------------------------------------------------------------------

bool PlumKnob::targetsThisKnob (std::size_t routingIndex) const
{
    const auto& routings = context.routings();
    return routingIndex < routings.size() && routings[routingIndex].target == index (paramId);
}

juce::PopupMenu PlumKnob::buildContextMenu() const
{
    juce::PopupMenu menu;
    const auto& routings = context.routings();
    bool listed = false;
    for (std::size_t i = 0; i < routings.size(); ++i)
    {
        if (routings[i].target != index (paramId))
            continue;
        const auto depth = depthText (routings[i].depth);
        juce::PopupMenu routingMenu;
        routingMenu.addItem (depthItem (i), "Depth: " + depth);
        routingMenu.addItem (removeItem (i), "Remove");
        menu.addSubMenu (modSourceShortName (routings[i].source) + " -> " + depth, routingMenu);
        listed = true;
    }
    if (listed)
        menu.addSeparator();
    menu.addItem (animateItem, "Animate This...");
    return menu;
}

void PlumKnob::showContextMenu()
{
    juce::Component::SafePointer<PlumKnob> safe (this);
    buildContextMenu().showMenuAsync (juce::PopupMenu::Options().withTargetComponent (this), [safe] (int result)
    {
        if (safe != nullptr)
            safe->handleMenuChoice (result);
    });
}

void PlumKnob::handleMenuChoice (int itemId)
{
    if (itemId == animateItem)
    {
        context.animate (paramId);
        return;
    }
    if (itemId < depthItem (0))
        return;
    const auto routing = static_cast<std::size_t> ((itemId - 101) / 10);
    if (! targetsThisKnob (routing))
        return;
    if (itemId == depthItem (routing))
        showDepthEditor (routing);
    else if (itemId == removeItem (routing) && onRemoveModulation)
        onRemoveModulation (routing);
}

// Mouse -----------------------------------------------------------------------

void PlumKnob::mouseDown (const juce::MouseEvent& e)
{
    if (e.mods.isPopupMenu())
    {
        showContextMenu();
        return;
    }
    depthDragRouting = -1;
    if (e.mods.isAltDown() && isOnModulationRing (e.position))
        if (const auto dominant = dominantRouting (context.routings(), paramId))
        {
            depthDragRouting = static_cast<int> (*dominant);
            depthDragStart = context.routings()[*dominant].depth;
            return;
        }
    fineDragLatched = false;
    setVelocityBasedMode (false);
    juce::Slider::mouseDown (e);
}

void PlumKnob::mouseDrag (const juce::MouseEvent& e)
{
    if (e.mods.isPopupMenu())
        return;
    if (depthDragRouting >= 0)
    {
        dragDepth (e);
        return;
    }
    const bool swapped = e.mods.testFlags (juce::ModifierKeys::ctrlAltCommandModifiers);
    if (e.mods.isShiftDown() && ! swapped)
        fineDragLatched = true;
    setVelocityModeParameters (e.mods.isShiftDown() ? kFineSensitivity : 1.0, 1, 0.0, true, juce::ModifierKeys::ctrlAltCommandModifiers);
    setVelocityBasedMode (fineDragLatched);
    juce::Slider::mouseDrag (e);
}

void PlumKnob::dragDepth (const juce::MouseEvent& e)
{
    const auto index = static_cast<std::size_t> (depthDragRouting);
    if (! targetsThisKnob (index) || ! onSetModulationDepth)
        return;
    const float scale = e.mods.isShiftDown() ? static_cast<float> (kFineSensitivity) : 1.0f;
    const float moved = static_cast<float> (-e.getDistanceFromDragStartY()) / kDepthDragPixels * scale;
    onSetModulationDepth (index, juce::jlimit (-1.0f, 1.0f, depthDragStart + moved));
}

void PlumKnob::mouseUp (const juce::MouseEvent& e)
{
    if (e.mods.isPopupMenu())
        return;
    if (depthDragRouting >= 0)
    {
        depthDragRouting = -1;
        return;
    }
    juce::Slider::mouseUp (e);
    fineDragLatched = false;
    setVelocityBasedMode (false);
}

void PlumKnob::mouseDoubleClick (const juce::MouseEvent&) { showValueEditor(); }

// Drops of modulation sources -------------------------------------------------

bool PlumKnob::isInterestedInDragSource (const SourceDetails& details) { return droppedSource (details.description).has_value(); }

void PlumKnob::itemDragEnter (const SourceDetails&)
{
    dragOver = true;
    repaint();
}

void PlumKnob::itemDragExit (const SourceDetails&)
{
    dragOver = false;
    repaint();
}

void PlumKnob::itemDropped (const SourceDetails& details)
{
    dragOver = false;
    repaint();
    if (const auto source = droppedSource (details.description); source && onAddModulation)
        onAddModulation (*source, paramId, 0.5f, scopeForDroppedSource (*source));
}

} // namespace plumora
