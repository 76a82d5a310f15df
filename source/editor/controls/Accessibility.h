#pragma once

#include "editor/shell/EditorContext.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>

namespace plumora
{

// Lets Tab reach every button, slider and menu under root (and screen
// readers read them) while a click never takes the keyboard focus: the
// on-screen keyboard keeps it, so the computer's keys go on playing notes.
// Text fields and the on-screen keyboard still take it when clicked.
void letKeyboardReachControls (juce::Component& root);

// The accessibility handler of a control the editor draws itself: its title
// is the component's, its value the text valueText gives; where the control
// can be operated that way, setFromText sets the value from a text (a step's
// name, say) and press does what a click does.
std::unique_ptr<juce::AccessibilityHandler> drawnControlHandler (juce::Component& control, juce::AccessibilityRole role,
                                                                 std::function<juce::String()> valueText,
                                                                 std::function<void (const juce::String&)> setFromText = {},
                                                                 std::function<void()> press = {});

// A menu that tells screen readers its name (its title: "Preset") and, as
// its value, what it shows: the chosen item, or its text for nothing chosen.
// JUCE's own menus give only the chosen item as their name, so a menu with
// nothing chosen had none.
class NamedComboBox : public juce::ComboBox
{
public:
    using juce::ComboBox::ComboBox;
    std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;
    // The text the menu makes anew with each look: a click on it must not
    // take the focus either.
    void lookAndFeelChanged() override;
};

// The choice Left or Right moves to among count choices from chosen (-1:
// none chosen: Right takes the first, Left the last); empty for other keys
// or no choices.
std::optional<int> choiceAfterArrowKey (const juce::KeyPress& key, int chosen, int count) noexcept;

// Tells a screen reader the control's value changed (after a key moved it).
void announceValueChange (juce::Component& control);

// Parameters as a screen reader says them: "Attack 10 ms, Decay 0.30 s".
juce::String spokenParameters (const EditorContext& context, std::initializer_list<ParamID> ids);

} // namespace plumora
