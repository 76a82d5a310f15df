#pragma once

#include <juce_core/juce_core.h>

namespace plumora
{

// juce::JSON::parse recurses once per nesting level, so a hostile text of
// deeply nested brackets would overflow the stack. Text nested deeper than
// deepestNesting (brackets inside strings do not count) parses as nothing.
// A number with more than 18 leading digits, which juce::JSON would read into
// an overflowing integer, reads as the nearest double.
juce::var parseJsonSafely (const juce::String& text, int deepestNesting);

} // namespace plumora
