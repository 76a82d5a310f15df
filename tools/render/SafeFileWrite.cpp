#include "SafeFileWrite.h"

namespace plumora::render
{

bool writeThroughTemporary (const juce::File& target, juce::String& error,
                            const std::function<bool (const juce::File& temporary)>& write)
{
    if (target.isDirectory())
    {
        error = "'" + target.getFullPathName() + "' is a folder";
        return false;
    }
    if (! target.getParentDirectory().isDirectory())
    {
        error = "cannot write '" + target.getFullPathName() + "': its folder does not exist";
        return false;
    }

    juce::TemporaryFile temporary (target);
    if (! write (temporary.getFile()))
    {
        if (error.isEmpty())
            error = "cannot write '" + target.getFullPathName() + "'";
        return false;
    }
    if (! temporary.overwriteTargetFileWithTemporary())
    {
        error = "cannot replace '" + target.getFullPathName() + "'";
        return false;
    }
    return true;
}

} // namespace plumora::render
