#pragma once

// The X server side of the window tests, kept apart from JUCE: Xlib's macros
// (None, Bool, Status, ...) clash with JUCE's names, so only XServer.cpp
// includes Xlib and this interface speaks plain C++.

#include <cstdint>
#include <string>
#include <vector>

namespace plumora::test::xserver
{

// Starts a private virtual X server (Xvfb) for this process, once, with one
// screen of the given size at 24 bits, and points DISPLAY at it. Xlib errors
// become harmless (with no window manager JUCE's window hints raise some).
// The server ends with the process (with the thread that started it: call
// from the main thread). Returns an empty string when the display is ready,
// otherwise what went wrong.
std::string startPrivateDisplay (int width, int height);

// What the screen shows inside a mapped window, plug-in child windows
// included, in the X server's (physical) pixels: 0xAARRGGBB, row by row.
struct Grab
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
    std::string error; // empty when the grab worked
};

Grab grabWindow (unsigned long window);

// Input as a user gives it, through the server's XTEST extension, so it
// reaches whichever client owns the window (a hosted plug-in's view too).
// Points are in a window's (physical) pixels. Each returns an empty string
// when the input was sent, otherwise what went wrong.
std::string click (unsigned long window, int x, int y);
std::string drag (unsigned long window, int fromX, int fromY, int toX, int toY, int steps);
// Keys typed into the window with the keyboard focus: letters, digits and
// spaces, or one key by its keysym name ("Return", "a") with Control held or not.
std::string typeText (const std::string& text);
std::string pressKey (const std::string& keysymName, bool withControl);

// Gives a window the keyboard focus, as a window manager does with a window
// that opens (the private display has no window manager).
std::string focusWindow (unsigned long window);

// The first mapped top-level window with this title, or 0.
unsigned long findWindowNamed (const std::string& title);

} // namespace plumora::test::xserver
