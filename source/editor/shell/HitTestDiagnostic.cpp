#include "HitTestDiagnostic.h"

#include <typeinfo>

#if defined(__GNUG__)
#include <cstdlib>
#include <cxxabi.h>
#endif

namespace plumora
{
namespace
{
juce::String describe (const juce::Component* component, const char* whenNone)
{
    if (component == nullptr)
        return whenNone;
    return component->getName().isNotEmpty() ? component->getName() : typeNameOf (*component);
}

juce::String yesNo (bool value) { return value ? "Y" : "N"; }

juce::String boundsText (juce::Rectangle<int> r)
{
    return juce::String (r.getX()) + " " + juce::String (r.getY()) + " " + juce::String (r.getWidth()) + " " + juce::String (r.getHeight());
}

// Each line opens, appends and closes the file on its own.
void appendLine (const juce::File& file, const juce::String& line)
{
    juce::FileOutputStream out (file);
    if (out.openedOk())
        out.writeText (line + "\r\n", false, false, nullptr);
}
} // namespace

juce::File hitTestDiagnosticFile()
{
    return juce::File::getSpecialLocation (juce::File::userDesktopDirectory).getChildFile ("plumora_debug.txt");
}

juce::String typeNameOf (const juce::Component& component)
{
    const char* raw = typeid (component).name();
#if defined(__GNUG__)
    int status = 0;
    if (char* readable = abi::__cxa_demangle (raw, nullptr, nullptr, &status))
    {
        juce::String name (readable);
        std::free (readable);
        return name;
    }
#endif
    return raw;
}

void runHitTestDiagnostic (juce::Component& editor, juce::Component& page, const juce::File& file)
{
    const auto bounds = page.getBounds();
    const int x = bounds.getX() + bounds.getWidth() / 2;
    const int y = bounds.getY() + bounds.getHeight() / 2;

    appendLine (file, "=== HIT TEST DIAGNOSTIC ===");
    appendLine (file, "  Content bounds: " + boundsText (bounds));
    appendLine (file, "  Test point: " + juce::String (x) + ", " + juce::String (y));
    appendLine (file, "  Component at point: " + describe (editor.getComponentAt (x, y), "nullptr"));
    appendLine (file, "  Currently modal component: " + describe (juce::Component::getCurrentlyModalComponent(), "none"));
    for (int i = page.getNumChildComponents(); --i >= 0;)
    {
        const auto* child = page.getChildComponent (i);
        bool interceptsClicks = false, interceptsChildClicks = false;
        child->getInterceptsMouseClicks (interceptsClicks, interceptsChildClicks);
        appendLine (file, "  Child[" + juce::String (i) + "]: " + typeNameOf (*child) + " bounds=" + boundsText (child->getBounds())
                              + " visible=" + yesNo (child->isVisible()) + " interceptsClicks=" + yesNo (interceptsClicks)
                              + " interceptsChildClicks=" + yesNo (interceptsChildClicks));
    }
    appendLine (file, "===========================");
}

} // namespace plumora
