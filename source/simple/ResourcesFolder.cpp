#include "ResourcesFolder.h"

namespace plumora
{
namespace
{
constexpr int kLevelsSearched = 8;
const char* const kFolderName = "resources";

juce::File resourcesChild (const juce::File& folder)
{
    const auto exact = folder.getChildFile (kFolderName);
    if (exact.isDirectory())
        return exact;

    // Other spellings ("Resources") in name order, so the choice is the same
    // whatever order the file system lists them in.
    juce::Array<juce::File> matches;
    for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "*", juce::File::findDirectories))
        if (entry.getFile().getFileName().equalsIgnoreCase (kFolderName))
            matches.add (entry.getFile());
    if (matches.isEmpty())
        return {};
    matches.sort();
    return matches.getFirst();
}
} // namespace

juce::File findResourcesFolder (const juce::File& moduleFolder, const juce::File& workingFolder)
{
    auto folder = moduleFolder;
    for (int level = 0; level < kLevelsSearched && folder != juce::File(); ++level)
    {
        if (const auto found = resourcesChild (folder); found != juce::File())
            return found;
        const auto parent = folder.getParentDirectory();
        if (parent == folder)
            break; // the root: nothing further up
        folder = parent;
    }
    return workingFolder.getChildFile (kFolderName);
}

juce::File findResourcesFolder()
{
    // Inside a plug-in JUCE resolves this to the plug-in's own module file,
    // not the host's executable.
    const auto module = juce::File::getSpecialLocation (juce::File::currentExecutableFile);
    return findResourcesFolder (module.getParentDirectory(), juce::File::getCurrentWorkingDirectory());
}

} // namespace plumora
