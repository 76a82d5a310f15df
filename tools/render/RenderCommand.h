#pragma once

#include <juce_core/juce_core.h>

namespace plumora::render
{

// The whole command: parse, load the sound, render, write, report. Returns
// the exit status (0 done, 2 a one-line error on err).
int runRenderCommand (const juce::StringArray& arguments, std::ostream& out, std::ostream& err, bool showProgress);

// Up to three preset names closest to a misspelt one.
juce::StringArray closestNames (const juce::String& wanted, const juce::StringArray& names);

} // namespace plumora::render
