#pragma once

#include "OfflineRenderer.h"

namespace plumora::render
{

// A picture of a render: the waveform on top of a log-frequency spectrogram,
// written as PNG. False (with error set) when the file cannot be written.
bool writePicture (const Rendered& rendered, const juce::File& file, juce::String& error);

} // namespace plumora::render
