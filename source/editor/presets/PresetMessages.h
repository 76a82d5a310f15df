#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <initializer_list>

namespace plumora
{

// What the save dialogs tell the user, worded once for both pages.
inline juce::String nameTakenText (const juce::String& name)
{
    return "A preset named \"" + name + "\" already exists. Please choose a different name "
           + juce::String::fromUTF8 ("\xe2\x80\x94") + " factory presets are bundled with the plugin and can only be saved as new copies.";
}

inline juce::String notWrittenText (const juce::File& file)
{
    return "Plumora could not write " + file.getFullPathName()
           + ". Check that its folder exists and can be written to, and that the disk is not full.";
}

// The categories both save dialogs offer.
inline const juce::StringArray presetCategories { "Pad", "Lead", "Bass", "Pluck", "Texture", "Keys", "FX" };

struct SaveDialogMenu
{
    const char* id;
    const char* label;
    juce::StringArray items; // the first is chosen
};

// The save dialog, centred over the editor at its scale: the name (the
// current one, selected and holding the keyboard focus, so typing replaces
// it and Return saves), the given menus, "Save" (result 1) and "Cancel"
// (0). done reads the dialog before it goes.
inline void openSaveDialog (juce::Component& part, const juce::String& message, const juce::String& currentName,
                            std::initializer_list<SaveDialogMenu> menus, std::function<void (int, juce::AlertWindow&)> done)
{
    auto* dialog = new juce::AlertWindow ("Save Preset", message, juce::MessageBoxIconType::NoIcon, part.getTopLevelComponent());
    dialog->addTextEditor ("name", currentName, "Preset name:");
    for (const auto& menu : menus)
    {
        dialog->addComboBox (menu.id, menu.items, menu.label);
        dialog->getComboBoxComponent (menu.id)->setSelectedItemIndex (0, juce::dontSendNotification);
    }
    dialog->addButton ("Save", 1, juce::KeyPress (juce::KeyPress::returnKey));
    dialog->addButton ("Cancel", 0, juce::KeyPress (juce::KeyPress::escapeKey));
    dialog->enterModalState (true, juce::ModalCallbackFunction::create ([dialog, done = std::move (done)] (int result)
    {
        done (result, *dialog);
    }), true);
    dialog->getTextEditor ("name")->grabKeyboardFocus();
}

// A warning box centred over the editor, at its scale, rather than in the
// middle of the screen.
inline void showWarningOver (juce::Component& editor, const juce::String& title, const juce::String& text)
{
    juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon, title, text, "OK", &editor);
}

} // namespace plumora
