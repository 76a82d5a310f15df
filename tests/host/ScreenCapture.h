#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace plumora::test
{

// Makes real windows possible for this process: on Linux a private virtual X
// display (Xvfb), so the screen's scale is 1 whatever the machine's; under
// Wine, the X display scripts/wine-run.sh starts for tests that ask for one.
// Call from the message thread before the first window. Returns an empty
// string when windows can be shown, otherwise why they cannot.
juce::String prepareScreen();

// What the screen shows of a top-level component's native window, child
// windows (a hosted plug-in's view) included, in physical pixels. An invalid
// image when it cannot be read, with the reason in problem.
juce::Image captureWindow (juce::Component& window, juce::String& problem);

} // namespace plumora::test
