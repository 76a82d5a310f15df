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

protected:
    EditorContext& context;
};

} // namespace plumora
