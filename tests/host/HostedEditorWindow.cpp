#include "host/HostedEditorWindow.h"

#include "host/ScreenCapture.h"

#include <cmath>
#include <initializer_list>

namespace plumora::test
{
namespace
{
constexpr int kTopBarHeight = 44;
const juce::Colour kPanel { 0xff1e1e1a };
const juce::Colour kAccent { 0xff8dc63f };
const juce::Colour kWhiteKey { 0xfff0eed8 };

// What a picture of the window lacks to be the editor painted at a scale:
// its size, the top bar's panel colour around the controls, the title's
// accent colour in the middle of the bar, the white keys along the bottom.
// Empty when nothing is missing.
juce::String missingFromShot (const juce::Image& shot, float scale)
{
    const auto physical = [scale] (int logical) { return juce::roundToInt (static_cast<float> (logical) * scale); };
    if (! shot.isValid())
        return "no picture";
    if (shot.getWidth() != physical (kEditorWidth) || shot.getHeight() != physical (kEditorHeight))
        return "the window is " + juce::String (shot.getWidth()) + " x " + juce::String (shot.getHeight()) + " pixels, not "
             + juce::String (physical (kEditorWidth)) + " x " + juce::String (physical (kEditorHeight));

    // Left of the preset controls, between them and the title, right of the
    // title, above the title.
    for (const auto [x, y] : { std::pair { 50, 22 }, { 450, 22 }, { 800, 22 }, { 1000, 22 }, { 600, 3 } })
    {
        const auto colour = shot.getPixelAt (physical (x), physical (y));
        if (! similarColours (colour, kPanel, 2))
            return "the top bar at (" + juce::String (x) + ", " + juce::String (y) + ") is #" + colour.toDisplayString (false)
                 + ", not the panel colour #" + kPanel.toDisplayString (false);
    }

    int accent = 0;
    for (int y = 0; y < physical (kTopBarHeight); ++y)
        for (int x = physical (500); x < physical (700); ++x)
            accent += similarColours (shot.getPixelAt (x, y), kAccent, 6) ? 1 : 0;
    if (accent < physical (20))
        return "the title shows " + juce::String (accent) + " pixels in the accent colour";

    int white = 0;
    const int row = physical (kEditorHeight - 10);
    for (int x = 0; x < shot.getWidth(); ++x)
        white += similarColours (shot.getPixelAt (x, row), kWhiteKey, 6) ? 1 : 0;
    if (white < shot.getWidth() * 3 / 4)
        return "the keyboard's bottom row is only " + juce::String (white) + " of " + juce::String (shot.getWidth()) + " pixels white keys";

    return {};
}

} // namespace

std::unique_ptr<juce::AudioPluginInstance> loadBuiltPlumora (juce::VST3PluginFormat& format, double sampleRate, int blockSize,
                                                             juce::String& problem)
{
    const juce::File bundle (PLUMORA_VST3_BUNDLE);
    juce::OwnedArray<juce::PluginDescription> found;
    format.findAllTypesForFile (found, bundle.getFullPathName());
    if (found.size() != 1)
    {
        problem = "expected one plug-in in " + bundle.getFullPathName() + ", found " + juce::String (found.size());
        return nullptr;
    }
    return format.createInstanceFromDescription (*found[0], sampleRate, blockSize, problem);
}

HostWindow::HostWindow (juce::Component& content) : editor (content)
{
    setOpaque (true);
    addAndMakeVisible (editor);
    editor.setTopLeftPosition (0, 0);
    editor.addComponentListener (this);
    setBounds (0, 0, editor.getWidth(), editor.getHeight());
    addToDesktop (juce::ComponentPeer::windowAppearsOnTaskbar);
    setVisible (true);
}

HostWindow::~HostWindow()
{
    editor.removeComponentListener (this);
    removeChildComponent (&editor);
}

bool similarColours (juce::Colour a, juce::Colour b, int tolerance)
{
    return std::abs (a.getRed() - b.getRed()) <= tolerance
        && std::abs (a.getGreen() - b.getGreen()) <= tolerance
        && std::abs (a.getBlue() - b.getBlue()) <= tolerance;
}

void HostWindow::paint (juce::Graphics& g) { g.fillAll (juce::Colours::magenta); }

void HostWindow::componentMovedOrResized (juce::Component& component, bool, bool wasResized)
{
    if (wasResized)
        setSize (component.getWidth(), component.getHeight());
}

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

bool awaitCondition (const std::function<bool()>& condition)
{
    const auto deadline = juce::Time::getMillisecondCounter() + 10000;
    while (! condition())
    {
        if (juce::Time::getMillisecondCounter() > deadline)
            return false;
        juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    }
    return true;
}

std::uintptr_t nativeWindowOf (juce::Component& window)
{
    auto* peer = window.getPeer();
    return peer != nullptr ? reinterpret_cast<std::uintptr_t> (peer->getNativeHandle()) : 0;
}

juce::String pluginStateAttribute (juce::AudioPluginInstance& plugin, const juce::String& attribute)
{
    juce::MemoryBlock state;
    plugin.getStateInformation (state);
    const auto hostXml = juce::AudioProcessor::getXmlFromBinary (state.getData(), static_cast<int> (state.getSize()));
    const auto* component = hostXml != nullptr ? hostXml->getChildByName ("IComponent") : nullptr;
    if (component == nullptr)
        return {};
    juce::MemoryBlock chunk;
    chunk.fromBase64Encoding (component->getAllSubText());
    const auto ownXml = juce::AudioProcessor::getXmlFromBinary (chunk.getData(), static_cast<int> (chunk.getSize()));
    return ownXml != nullptr ? ownXml->getStringAttribute (attribute) : juce::String();
}

bool savePicture (const juce::Image& image, const juce::String& name)
{
    if (! image.isValid())
        return false;
    const auto file = juce::File (PLUMORA_SCREENSHOT_FOLDER).getChildFile (name);
    file.deleteFile();
    juce::FileOutputStream out (file);
    return out.openedOk() && juce::PNGImageFormat().writeImageToStream (image, out);
}

} // namespace plumora::test
