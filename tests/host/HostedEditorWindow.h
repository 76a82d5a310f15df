#pragma once

// A hosted plug-in's editor in a real top-level window, as a DAW shows it,
// and what the screen shows of it. Shared by the host tests that open the
// editor.

#include <juce_audio_processors/juce_audio_processors.h>

#include <cstdint>
#include <functional>

namespace plumora::test
{

// The editor's size in logical pixels.
constexpr int kEditorWidth = 1200;
constexpr int kEditorHeight = 860;

// The plug-in in the built Plumora.vst3, as a host loads it; nullptr with
// the reason in problem when it cannot be loaded.
std::unique_ptr<juce::AudioPluginInstance> loadBuiltPlumora (juce::VST3PluginFormat& format, double sampleRate, int blockSize,
                                                             juce::String& problem);

// A DAW's plug-in window: a plain top-level window the size of the editor,
// following it when the editor resizes. Whatever the editor leaves
// uncovered shows magenta.
struct HostWindow : juce::Component, private juce::ComponentListener
{
    juce::Component& editor;

    explicit HostWindow (juce::Component& content);
    ~HostWindow() override;

    void paint (juce::Graphics& g) override;

private:
    void componentMovedOrResized (juce::Component& component, bool, bool wasResized) override;
};

// Whether two colours differ by at most tolerance in each channel.
bool similarColours (juce::Colour a, juce::Colour b, int tolerance);

struct Shot
{
    juce::Image image;
    juce::String missing; // what the picture lacks to be the editor; empty when nothing
};

// Runs the message loop (the host's and, through its run loop, the
// plug-in's) until the window shows the editor painted at the scale, then a
// little longer for late repaints, and takes the picture. At most 20 s.
Shot awaitEditor (juce::Component& window, float scale);

// Runs the message loop until the condition holds; false when 10 s pass first.
bool awaitCondition (const std::function<bool()>& condition);

// The window system's handle of a window (an X window id on Linux).
std::uintptr_t nativeWindowOf (juce::Component& window);

// An attribute of the state the hosted plug-in saves (its "presetName",
// "uiMode" ...); empty when there is none. The host keeps the plug-in's own
// chunk as base64 inside an XML state of its own.
juce::String pluginStateAttribute (juce::AudioPluginInstance& plugin, const juce::String& attribute);

// Writes the picture into the build folder, replacing an older one; false
// when it cannot.
bool savePicture (const juce::Image& image, const juce::String& name);

} // namespace plumora::test
