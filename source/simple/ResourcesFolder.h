#pragma once

#include <juce_core/juce_core.h>

namespace plumora
{

// The "resources" folder that holds the S!MPLE data files: the nearest one
// beside the plug-in's own module or up to seven folders above it (in a VST3
// bundle, Contents/Resources, one level above the module's folder), else the
// working folder's "resources", whether or not that exists.
juce::File findResourcesFolder();

// The same search from a given module folder and working folder. Names are
// compared without regard to case, so Linux finds a bundle's
// "Contents/Resources" as Windows does; an exact "resources" is preferred.
juce::File findResourcesFolder (const juce::File& moduleFolder, const juce::File& workingFolder);

} // namespace plumora
