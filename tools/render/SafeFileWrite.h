#pragma once

#include <juce_core/juce_core.h>

#include <functional>

namespace plumora::render
{

// Writes a file through a temporary one beside it that replaces the target
// only when writing succeeded, so a failure never leaves a partial file.
// write gets the temporary file and returns false (with error set) on failure.
bool writeThroughTemporary (const juce::File& target, juce::String& error,
                            const std::function<bool (const juce::File& temporary)>& write);

} // namespace plumora::render
