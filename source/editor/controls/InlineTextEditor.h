#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <optional>

namespace plumora
{

// A one-line text editor opened over part of a component to type a value:
// Return applies, Escape or a click elsewhere cancels. The owner keeps one.
class InlineTextEditor
{
public:
    ~InlineTextEditor();

    // Opens (replacing an open one) in parent at bounds, showing text selected.
    void open (juce::Component& parent, juce::Rectangle<int> bounds, const juce::String& text,
               std::function<void (const juce::String&)> apply);
    void close();
    juce::TextEditor* get() const noexcept { return editor.get(); }

private:
    std::unique_ptr<juce::TextEditor> editor;
};

// A typed routing depth: a plain number limited to -1 ... 1; nothing for
// other text.
std::optional<float> depthFromText (const juce::String& text);
juce::String depthText (float depth);

} // namespace plumora
