#pragma once

// Shared by the editor tests: a processor with its editor built headless,
// and synthesised mouse events.

#include "editor/shell/PluginEditor.h"
#include "processor/PluginProcessor.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace juce
{
// JUCE's own step of its message loop (the tests may not run the loop).
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace plumora::test
{

// Where the editor tests save their pictures of the pages: the build's test
// folder, or the folder PLUMORA_PICTURES names (scripts/screenshots.sh
// points it at the README's pictures). Returns the file written, or an
// invalid file when it could not be written.
inline juce::File savePicture (const juce::Image& picture, const juce::String& name)
{
    const auto folder = juce::File (juce::SystemStats::getEnvironmentVariable ("PLUMORA_PICTURES", PLUMORA_TEST_PICTURES));
    const auto file = folder.getChildFile (name);
    file.deleteFile();
    juce::FileOutputStream out (file);
    if (! folder.isDirectory() || ! out.openedOk() || ! juce::PNGImageFormat().writeImageToStream (picture, out))
        return {};
    return file;
}

// Delivers what waits on the message thread: asynchronous button clicks,
// messages posted from other threads.
inline void deliverPendingMessages()
{
    while (juce::dispatchNextMessageOnSystemQueue (true))
    {
    }
}

struct EditorFixture
{
    PlumoraAudioProcessor processor;
    std::unique_ptr<PlumoraAudioProcessorEditor> editor;

    explicit EditorFixture (int uiMode = 0)
    {
        processor.setUiMode (uiMode);
        processor.prepareToPlay (48000.0, 512);
        editor.reset (static_cast<PlumoraAudioProcessorEditor*> (processor.createEditor()));
    }

    ~EditorFixture()
    {
        processor.editorBeingDeleted (editor.get());
        editor.reset();
    }
};

// A mouse event on component at position, as if the button went down at
// downPosition.
inline juce::MouseEvent mouseEvent (juce::Component& component, juce::Point<float> position, juce::ModifierKeys mods,
                                    juce::Point<float> downPosition, int clicks = 1, bool dragged = false)
{
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), position, mods, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                             &component, &component, now, downPosition, now, clicks, dragged);
}

} // namespace plumora::test
