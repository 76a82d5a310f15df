#pragma once

#include "ParameterWriter.h"

#include <juce_core/juce_core.h>

#include <vector>

namespace plumora
{

// The shipped S!MPLE data files are a few kilobytes; anything far larger is
// not one of them and is not read.
constexpr juce::int64 kLargestDataFile = 1024 * 1024;

// An existing file (not a folder) of at most kLargestDataFile bytes.
bool isReadableDataFile (const juce::File& file);

// The file's JSON; a void var when the file is not readable, not JSON or
// nested deeper than any data file needs.
juce::var readDataFile (const juce::File& file);

// A JSON value as a finite float: numbers, numeric text and booleans convert,
// anything else (and infinities) gives 0.
float numberFrom (const juce::var& value);

// A JSON value as text: strings only, anything else gives empty text.
juce::String textFrom (const juce::var& value);

// A JSON value as a switch: true, or a non-zero number; anything else is off.
bool flagFrom (const juce::var& value);

// The properties of a JSON object whose names are parameter ids, values as
// numbers, in property order; other names are dropped. Not an object: none.
std::vector<ParameterSetting> parameterSettingsFrom (const juce::var& object);

} // namespace plumora
