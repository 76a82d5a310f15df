#include "Accessibility.h"

#include <juce_audio_utils/juce_audio_utils.h>

namespace plumora
{
namespace
{
class DrawnValue : public juce::AccessibilityTextValueInterface
{
public:
    DrawnValue (std::function<juce::String()> valueText, std::function<void (const juce::String&)> setFromText)
        : read (std::move (valueText)), write (std::move (setFromText))
    {
    }

    bool isReadOnly() const override { return ! write; }
    juce::String getCurrentValueAsString() const override { return read ? read() : juce::String(); }
    void setValueAsString (const juce::String& text) override
    {
        if (write)
            write (text);
    }

private:
    std::function<juce::String()> read;
    std::function<void (const juce::String&)> write;
};
} // namespace

void letKeyboardReachControls (juce::Component& root)
{
    // Typing into a text field and playing the on-screen keyboard take the
    // focus with a click; nothing else does, not even a click beside a
    // control (JUCE would hand the focus to the nearest control that wants it).
    if (dynamic_cast<juce::TextEditor*> (&root) != nullptr || dynamic_cast<juce::KeyboardComponentBase*> (&root) != nullptr)
        return;
    root.setMouseClickGrabsKeyboardFocus (false);
    if (dynamic_cast<juce::Button*> (&root) != nullptr || dynamic_cast<juce::Slider*> (&root) != nullptr
        || dynamic_cast<juce::ComboBox*> (&root) != nullptr)
        root.setWantsKeyboardFocus (true);
    for (auto* child : root.getChildren())
        letKeyboardReachControls (*child);
}

std::unique_ptr<juce::AccessibilityHandler> drawnControlHandler (juce::Component& control, juce::AccessibilityRole role,
                                                                 std::function<juce::String()> valueText,
                                                                 std::function<void (const juce::String&)> setFromText,
                                                                 std::function<void()> press)
{
    juce::AccessibilityActions actions;
    if (press)
        actions.addAction (juce::AccessibilityActionType::press, std::move (press));
    auto value = std::make_unique<DrawnValue> (std::move (valueText), std::move (setFromText));
    return std::make_unique<juce::AccessibilityHandler> (control, role, std::move (actions),
                                                         juce::AccessibilityHandler::Interfaces { std::move (value) });
}

std::unique_ptr<juce::AccessibilityHandler> NamedComboBox::createAccessibilityHandler()
{
    auto value = std::make_unique<DrawnValue> ([this] { return getText().isNotEmpty() ? getText() : getTextWhenNothingSelected(); },
                                               [this] (const juce::String& text)
                                               {
                                                   for (int i = 0; i < getNumItems(); ++i)
                                                       if (getItemText (i).equalsIgnoreCase (text.trim()))
                                                           setSelectedItemIndex (i);
                                               });
    juce::AccessibilityActions actions;
    actions.addAction (juce::AccessibilityActionType::press, [this] { showPopup(); })
        .addAction (juce::AccessibilityActionType::showMenu, [this] { showPopup(); });
    return std::make_unique<juce::AccessibilityHandler> (*this, juce::AccessibilityRole::comboBox, std::move (actions),
                                                         juce::AccessibilityHandler::Interfaces { std::move (value) });
}

void NamedComboBox::lookAndFeelChanged()
{
    juce::ComboBox::lookAndFeelChanged();
    if (! getMouseClickGrabsKeyboardFocus())
        for (auto* child : getChildren())
            child->setMouseClickGrabsKeyboardFocus (false);
}

std::optional<int> choiceAfterArrowKey (const juce::KeyPress& key, int chosen, int count) noexcept
{
    const bool left = key.getKeyCode() == juce::KeyPress::leftKey;
    if (count <= 0 || (! left && key.getKeyCode() != juce::KeyPress::rightKey))
        return std::nullopt;
    const int from = chosen < 0 ? (left ? count : -1) : chosen;
    return juce::jlimit (0, count - 1, from + (left ? -1 : 1));
}

void announceValueChange (juce::Component& control)
{
    if (auto* handler = control.getAccessibilityHandler())
        handler->notifyAccessibilityEvent (juce::AccessibilityEvent::valueChanged);
}

juce::String spokenParameters (const EditorContext& context, std::initializer_list<ParamID> ids)
{
    juce::StringArray parts;
    for (const auto id : ids)
        if (const auto* parameter = context.parameter (id))
            parts.add (parameter->getName (100) + " " + parameter->getCurrentValueAsText());
    return parts.joinIntoString (", ");
}

} // namespace plumora
