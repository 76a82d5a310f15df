// The hosted Plumora's editor in a real top-level window, as a DAW opens it:
// loaded from the built Plumora.vst3, shown on a screen (a private Xvfb
// display on Linux, Wine's X display on Windows builds), read back from the
// screen and saved as a PNG beside the build. The plug-in's view is a native
// child window of the host's, so only the screen shows what it drew.

#include "host/ScreenCapture.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <iostream>

using plumora::test::captureWindow;
using plumora::test::prepareScreen;

namespace
{
constexpr double kRate = 48000.0;
constexpr int kBlock = 512;

// The editor's size in logical pixels and the colours it draws with.
constexpr int kWidth = 1200;
constexpr int kHeight = 860;
constexpr int kTopBarHeight = 44;
const juce::Colour kPanel { 0xff1e1e1a };
const juce::Colour kAccent { 0xff8dc63f };
const juce::Colour kWhiteKey { 0xfff0eed8 };

#if JUCE_WINDOWS
const juce::String kPlatform { "windows" };
#else
const juce::String kPlatform { "linux" };
#endif

juce::File bundle() { return juce::File (PLUMORA_VST3_BUNDLE); }

bool similar (juce::Colour a, juce::Colour b, int tolerance)
{
    return std::abs (a.getRed() - b.getRed()) <= tolerance
        && std::abs (a.getGreen() - b.getGreen()) <= tolerance
        && std::abs (a.getBlue() - b.getBlue()) <= tolerance;
}

// A DAW's plug-in window: a plain top-level window the size of the editor,
// following it when the editor resizes. Whatever the editor leaves
// uncovered shows magenta.
struct HostWindow : juce::Component, private juce::ComponentListener
{
    juce::Component& editor;

    explicit HostWindow (juce::Component& content) : editor (content)
    {
        setOpaque (true);
        addAndMakeVisible (editor);
        editor.setTopLeftPosition (0, 0);
        editor.addComponentListener (this);
        setBounds (0, 0, editor.getWidth(), editor.getHeight());
        addToDesktop (juce::ComponentPeer::windowAppearsOnTaskbar);
        setVisible (true);
    }

    ~HostWindow() override
    {
        editor.removeComponentListener (this);
        removeChildComponent (&editor);
    }

    void paint (juce::Graphics& g) override { g.fillAll (juce::Colours::magenta); }

private:
    void componentMovedOrResized (juce::Component& component, bool, bool wasResized) override
    {
        if (wasResized)
            setSize (component.getWidth(), component.getHeight());
    }
};

// What a picture of the window lacks to be the editor painted at a scale:
// its size, the top bar's panel colour around the controls, the title's
// accent colour in the middle of the bar, the white keys along the bottom.
// Empty when nothing is missing.
juce::String missingFromShot (const juce::Image& shot, float scale)
{
    const auto physical = [scale] (int logical) { return juce::roundToInt (static_cast<float> (logical) * scale); };
    if (! shot.isValid())
        return "no picture";
    if (shot.getWidth() != physical (kWidth) || shot.getHeight() != physical (kHeight))
        return "the window is " + juce::String (shot.getWidth()) + " x " + juce::String (shot.getHeight()) + " pixels, not "
             + juce::String (physical (kWidth)) + " x " + juce::String (physical (kHeight));

    // Left of the preset controls, between them and the title, right of the
    // title, above the title.
    for (const auto [x, y] : { std::pair { 50, 22 }, { 450, 22 }, { 800, 22 }, { 1000, 22 }, { 600, 3 } })
    {
        const auto colour = shot.getPixelAt (physical (x), physical (y));
        if (! similar (colour, kPanel, 2))
            return "the top bar at (" + juce::String (x) + ", " + juce::String (y) + ") is #" + colour.toDisplayString (false)
                 + ", not the panel colour #" + kPanel.toDisplayString (false);
    }

    int accent = 0;
    for (int y = 0; y < physical (kTopBarHeight); ++y)
        for (int x = physical (500); x < physical (700); ++x)
            accent += similar (shot.getPixelAt (x, y), kAccent, 6) ? 1 : 0;
    if (accent < physical (20))
        return "the title shows " + juce::String (accent) + " pixels in the accent colour";

    int white = 0;
    const int row = physical (kHeight - 10);
    for (int x = 0; x < shot.getWidth(); ++x)
        white += similar (shot.getPixelAt (x, row), kWhiteKey, 6) ? 1 : 0;
    if (white < shot.getWidth() * 3 / 4)
        return "the keyboard's bottom row is only " + juce::String (white) + " of " + juce::String (shot.getWidth()) + " pixels white keys";

    return {};
}

// The share of the pixels of reference that picture, brought to the
// reference's size, shows in a clearly different colour.
double shareDifferent (const juce::Image& reference, const juce::Image& picture)
{
    const auto scaled = picture.rescaled (reference.getWidth(), reference.getHeight(), juce::Graphics::highResamplingQuality);
    int different = 0;
    for (int y = 0; y < reference.getHeight(); ++y)
        for (int x = 0; x < reference.getWidth(); ++x)
            different += similar (reference.getPixelAt (x, y), scaled.getPixelAt (x, y), 24) ? 0 : 1;
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

struct Shot
{
    juce::Image image;
    juce::String missing;
};

// Runs the message loop (the host's and, through its run loop, the
// plug-in's) until the window shows the editor painted at the scale, then a
// little longer for late repaints, and takes the picture. At most 20 s.
Shot awaitEditor (juce::Component& window, float scale)
{
    const auto deadline = juce::Time::getMillisecondCounter() + 20000;
    Shot shot;
    bool settling = false;
    while (juce::Time::getMillisecondCounter() < deadline)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (settling ? 300 : 50);
        juce::String problem;
        shot.image = captureWindow (window, problem);
        shot.missing = problem.isNotEmpty() ? problem : missingFromShot (shot.image, scale);
        if (shot.missing.isEmpty() && settling)
            break;
        settling = shot.missing.isEmpty();
    }
    return shot;
}

// Writes the picture into the build folder, replacing an older one.
void save (const juce::Image& image, const juce::String& name)
{
    if (! image.isValid())
        return;
    const auto file = juce::File (PLUMORA_SCREENSHOT_FOLDER).getChildFile (name);
    file.deleteFile();
    juce::FileOutputStream out (file);
    ASSERT_TRUE (out.openedOk()) << file.getFullPathName();
    ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (image, out)) << file.getFullPathName();
}

struct HostedEditor : testing::Test
{
    juce::VST3PluginFormat format;

    std::unique_ptr<juce::AudioPluginInstance> load()
    {
        juce::OwnedArray<juce::PluginDescription> found;
        format.findAllTypesForFile (found, bundle().getFullPathName());
        if (found.size() != 1)
        {
            ADD_FAILURE() << "expected one plug-in in " << bundle().getFullPathName() << ", found " << found.size();
            return nullptr;
        }
        juce::String error;
        auto instance = format.createInstanceFromDescription (*found[0], kRate, kBlock, error);
        EXPECT_NE (instance, nullptr) << error;
        return instance;
    }
};
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
        save (atOne.image, "editor-host-" + kPlatform + ".png");
        ASSERT_TRUE (atOne.missing.isEmpty()) << "at scale 1: " << atOne.missing;
        EXPECT_EQ (window.getBounds(), juce::Rectangle<int> (0, 0, kWidth, kHeight));

        editor->setScaleFactor (1.5f);
        const auto larger = awaitEditor (window, 1.5f);
        save (larger.image, "editor-host-" + kPlatform + "-150.png");
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
