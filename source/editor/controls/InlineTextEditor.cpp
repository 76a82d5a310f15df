#include "InlineTextEditor.h"

#include "editor/look/Palette.h"

#include <cmath>
#include <cstdlib>

namespace plumora
{

InlineTextEditor::~InlineTextEditor() { editor.reset(); }

void InlineTextEditor::open (juce::Component& parent, juce::Rectangle<int> bounds, const juce::String& text,
                             std::function<void (const juce::String&)> apply)
{
    close();
    editor = std::make_unique<juce::TextEditor>();
    editor->setMultiLine (false);
    editor->setReturnKeyStartsNewLine (false);
    editor->setJustification (juce::Justification::centred);
    editor->setFont (palette::font (11.0f));
    editor->setText (text, false);
    editor->selectAll();

    // Each callback first checks the editor is still this one: a closed
    // editor lingers until its own callback has returned.
    auto* opened = editor.get();
    editor->onReturnKey = [this, opened, apply]
    {
        if (editor.get() != opened)
            return;
        const auto typed = opened->getText();
        close();
        apply (typed);
    };
    const auto cancel = [this, opened]
    {
        if (editor.get() == opened)
            close();
    };
    editor->onEscapeKey = cancel;
    editor->onFocusLost = cancel;

    editor->setBounds (bounds);
    parent.addAndMakeVisible (*editor);
    editor->grabKeyboardFocus();
}

// The editor leaves its parent at once but is deleted later: closing runs
// from inside the editor's own callbacks, whose captures must outlive them.
void InlineTextEditor::close()
{
    if (editor == nullptr)
        return;
    std::shared_ptr<juce::TextEditor> closing (editor.release());
    if (auto* parent = closing->getParentComponent())
        parent->removeChildComponent (closing.get());
    juce::MessageManager::callAsync ([closing] {});
}

std::optional<float> depthFromText (const juce::String& text)
{
    const auto trimmed = text.trim().toStdString();
    char* end = nullptr;
    const double value = std::strtod (trimmed.c_str(), &end);
    if (trimmed.empty() || *end != '\0' || ! std::isfinite (value))
        return std::nullopt;
    return static_cast<float> (juce::jlimit (-1.0, 1.0, value));
}

juce::String depthText (float depth) { return juce::String (depth, 2); }

} // namespace plumora
