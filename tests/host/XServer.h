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

} // namespace plumora::test::xserver
