#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

namespace plumora
{

// Host parameters for every catalogue row, grouped by the rows' group paths.
juce::AudioProcessorValueTreeState::ParameterLayout createCatalogueParameterLayout();

} // namespace plumora
