#include "host/ScreenCapture.h"

#if JUCE_LINUX
 #include "host/XServer.h"
#elif JUCE_WINDOWS
 #ifndef NOMINMAX
  #define NOMINMAX
 #endif
 #define WIN32_LEAN_AND_MEAN
 #include <windows.h>
#endif

namespace plumora::test
{

juce::String prepareScreen()
{
   #if JUCE_LINUX
    // Room for the editor at a scale of 1.5 (1800 x 1290) with a margin.
    return juce::String (xserver::startPrivateDisplay (1920, 1440));
   #elif JUCE_WINDOWS
    // Wine draws windows on an X display; with none it shows nothing and
    // every grab is black, so say so rather than fail on the pixels.
    juce::DynamicLibrary ntdll ("ntdll.dll");
    const bool underWine = ntdll.getFunction ("wine_get_version") != nullptr;
    if (underWine && juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isEmpty())
        return "Wine has no X display: run this test through scripts/wine-run.sh with "
               "PLUMORA_WINE_DISPLAY=xvfb (its CTest entry sets it)";
    return {};
   #else
    return {};
   #endif
}

juce::Image captureWindow (juce::Component& window, juce::String& problem)
{
    auto* peer = window.getPeer();
    if (peer == nullptr)
    {
        problem = "the component is not on the desktop";
        return {};
    }

   #if JUCE_LINUX
    const auto grab = xserver::grabWindow (reinterpret_cast<unsigned long> (peer->getNativeHandle()));
    if (! grab.error.empty())
    {
        problem = grab.error;
        return {};
    }
    juce::Image image (juce::Image::ARGB, grab.width, grab.height, false);
    const juce::Image::BitmapData pixels (image, juce::Image::BitmapData::writeOnly);
    for (int y = 0; y < grab.height; ++y)
        for (int x = 0; x < grab.width; ++x)
            pixels.setPixelColour (x, y, juce::Colour (grab.argb[static_cast<std::size_t> (y * grab.width + x)]));
    return image;
   #else
   #if JUCE_WINDOWS
    // JUCE sends its windows' repaints to Windows on the display's vertical
    // blank (DXGI's WaitForVBlank), which Wine does not implement: there the
    // plug-in's own repaints (after a change of scale, say) never reach the
    // screen, only the paints Windows asks for. Ask for one of the whole
    // window, child windows included, as uncovering it would.
    RedrawWindow (static_cast<HWND> (peer->getNativeHandle()), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
   #endif
    auto image = juce::createSnapshotOfNativeWindow (peer->getNativeHandle());
    if (! image.isValid())
    {
        problem = "the window could not be read";
        return {};
    }
    return image.convertedToFormat (juce::Image::ARGB);
   #endif
}

} // namespace plumora::test
