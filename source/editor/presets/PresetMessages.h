#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

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

// A warning box centred over the editor, at its scale, rather than in the
// middle of the screen.
inline void showWarningOver (juce::Component& editor, const juce::String& title, const juce::String& text)
{
    juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon, title, text, "OK", &editor);
}

} // namespace plumora
