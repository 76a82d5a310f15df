#pragma once

#include "EditorContext.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace plumora
{

// A page of the editor (PRO or S!MPLE). The editor's one timer calls tick
// about thirty times a second; a page refreshes its live displays there.
class EditorContent : public juce::Component
{
public:
    explicit EditorContent (EditorContext& editorContext) : context (editorContext) {}
    virtual void tick() {}
    // Whether the page may keep pictures of its parts. The editor allows it
    // only at whole-number scales: at 1.5 a part's picture lands between the
    // screen's pixels and would be drawn blurred.
    virtual void cacheLayers (bool) {}

protected:
    EditorContext& context;
};

} // namespace plumora
