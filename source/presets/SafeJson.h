#pragma once

#include <juce_core/juce_core.h>

namespace plumora
{

// juce::JSON::parse recurses once per nesting level, so a hostile text of
// deeply nested brackets would overflow the stack. Text nested deeper than
// deepestNesting (brackets inside strings do not count) parses as nothing.
// A number with more than 18 leading digits, which juce::JSON would read into
// an overflowing integer, or with more than 4 exponent digits (an overflowing
// exponent), reads as the nearest double. A minus sign before anything but a
// digit (white space aside), which juce::JSON would read as a digit, makes
// the text no JSON. A character written as an escaped UTF-16 surrogate pair
// reads as that character (juce::JSON reads two broken ones).
juce::var parseJsonSafely (const juce::String& text, int deepestNesting);

// Text as a number the way juce::String::getDoubleValue reads it (leading
// blanks, a sign, the longest number that starts the text, 0 for none), but
// with an exponent of any length: getDoubleValue adds up exponent digits in
// an int that overflows (undefined behaviour) past nine of them. Past the
// double range: an infinity of the number's sign, or 0.
double numberFromText (const juce::String& text);

// A value as a double, as juce::var converts it but reading text with
// numberFromText. For everything read from a file or a host state chunk.
double doubleFrom (const juce::var& value);

} // namespace plumora
