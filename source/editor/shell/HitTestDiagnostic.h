#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace plumora
{

// The file the diagnostic appends to: "plumora_debug.txt" on the desktop.
juce::File hitTestDiagnosticFile();

// Appends one report of what a click at the centre of the page would hit,
// the modal component and every child of the page (topmost first) to file.
// Lines end in CR LF; a line that cannot be written is skipped.
void runHitTestDiagnostic (juce::Component& editor, juce::Component& page, const juce::File& file);

// A component's run-time type name, readable where the compiler allows.
juce::String typeNameOf (const juce::Component& component);

} // namespace plumora
