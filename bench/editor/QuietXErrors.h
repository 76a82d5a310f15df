#pragma once

namespace plumora::bench
{

// Makes X errors harmless for this process. With no window manager (Xvfb)
// JUCE's window hints raise some (BadAtom on WM_PROTOCOLS), and Xlib's
// default handler ends the process for them; JUCE installs its own handler
// only in a JUCEApplication. Kept apart because Xlib's macros clash with JUCE.
void quietXErrors();

} // namespace plumora::bench
