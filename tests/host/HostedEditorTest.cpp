// The hosted Plumora's editor in a real top-level window, as a DAW opens it:
// loaded from the built Plumora.vst3, shown on a screen (a private Xvfb
// display on Linux, Wine's X display on Windows builds), read back from the
// screen and saved as a PNG beside the build. The plug-in's view is a native
// child window of the host's, so only the screen shows what it drew.

#include "host/HostedEditorSession.h"
#include "host/HostedEditorWindow.h"
#include "host/ScreenCapture.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <iostream>

using namespace plumora::test;

namespace
{
#if JUCE_WINDOWS
const juce::String kPlatform { "windows" };
#else
const juce::String kPlatform { "linux" };
#endif

// The share of the pixels of reference that picture, brought to the
// reference's size, shows in a clearly different colour.
double shareDifferent (const juce::Image& reference, const juce::Image& picture)
{
    const auto scaled = picture.rescaled (reference.getWidth(), reference.getHeight(), juce::Graphics::highResamplingQuality);
    int different = 0;
    for (int y = 0; y < reference.getHeight(); ++y)
        for (int x = 0; x < reference.getWidth(); ++x)
            different += similarColours (reference.getPixelAt (x, y), scaled.getPixelAt (x, y), 24) ? 0 : 1;
    return static_cast<double> (different) / (reference.getWidth() * reference.getHeight());
}

// The picture moved by a few pixels, what it uncovers transparent.
juce::Image moved (const juce::Image& picture, int dx, int dy)
{
    juce::Image result (juce::Image::ARGB, picture.getWidth(), picture.getHeight(), true);
    juce::Graphics g (result);
    g.drawImageAt (picture, dx, dy);
    return result;
}

using HostedEditor = HostedEditorSession;
} // namespace

// The editor opens at 1200 x 860 and paints its top bar, page and keyboard.
// A host on a 150 % screen asks for a scale of 1.5: the window grows to
// 1800 x 1290 physical pixels and shows the same layout, larger; back at 1
// it is as it was. Pictures: editor-host-<platform>.png (and -150.png).
TEST_F (HostedEditor, OpensInAWindowAndFollowsTheHostsScale)
{
    const auto screen = prepareScreen();
    ASSERT_TRUE (screen.isEmpty()) << "no screen for the editor's window: " << screen;

    auto plugin = load();
    ASSERT_NE (plugin, nullptr);
    ASSERT_TRUE (plugin->hasEditor());
    std::unique_ptr<juce::AudioProcessorEditor> editor (plugin->createEditorIfNeeded());
    ASSERT_NE (editor, nullptr) << "the hosted plug-in made no editor";

    {
        HostWindow window (*editor);

        const auto atOne = awaitEditor (window, 1.0f);
        EXPECT_TRUE (savePicture (atOne.image, "editor-host-" + kPlatform + ".png"));
        ASSERT_TRUE (atOne.missing.isEmpty()) << "at scale 1: " << atOne.missing;
        EXPECT_EQ (window.getBounds(), juce::Rectangle<int> (0, 0, kEditorWidth, kEditorHeight));

        editor->setScaleFactor (1.5f);
        const auto larger = awaitEditor (window, 1.5f);
        EXPECT_TRUE (savePicture (larger.image, "editor-host-" + kPlatform + "-150.png"));
        ASSERT_TRUE (larger.missing.isEmpty()) << "at scale 1.5: " << larger.missing;
        // Everything where it was at scale 1, drawn larger: resampled to
        // 1200 x 860 only the edges of letters and lines differ, far fewer
        // pixels (a quarter or less) than when the picture at scale 1 moves
        // by one pixel.
        const auto largerMoved = shareDifferent (atOne.image, larger.image);
        const auto onePixelMoved = std::min (shareDifferent (atOne.image, moved (atOne.image, 1, 0)),
                                             shareDifferent (atOne.image, moved (atOne.image, 0, 1)));
        EXPECT_LT (largerMoved, onePixelMoved / 2) << "at scale 1.5 the layout is not the one at scale 1";

        editor->setScaleFactor (1.0f);
        const auto back = awaitEditor (window, 1.0f);
        ASSERT_TRUE (back.missing.isEmpty()) << "back at scale 1: " << back.missing;
        // As it was, but for what moves on its own (the signal-flow pulses).
        EXPECT_LT (shareDifferent (atOne.image, back.image), onePixelMoved / 2) << "back at scale 1 the window is not as it was";

        std::cout << "editor pictures: " << juce::File (PLUMORA_SCREENSHOT_FOLDER).getFullPathName()
                  << "; at scale 1.5, " << juce::String (largerMoved * 100.0, 2) << " % of the pixels differ ("
                  << juce::String (onePixelMoved * 100.0, 2) << " % moved by a pixel)" << std::endl;
    }

    plugin->editorBeingDeleted (editor.get());
    editor.reset();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (100);
}
