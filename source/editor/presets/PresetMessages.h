#pragma once

#include <juce_core/juce_core.h>

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

} // namespace plumora
