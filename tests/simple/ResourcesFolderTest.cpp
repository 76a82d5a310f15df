#include "simple/CharacterMap.h"
#include "simple/ResourcesFolder.h"
#include "simple/Timbre.h"
#include "SimpleTestSupport.h"

#include <gtest/gtest.h>

using namespace plumora;
using plumora::test::TemporaryFolder;

namespace
{
struct SearchCase
{
    const char* what;
    std::vector<const char*> folders; // made under the temporary root
    std::vector<const char*> files;
    const char* moduleFolder;
    const char* expected;             // relative to the root
};

const SearchCase kSearchCases[] = {
    { "beside the module, before any further up",
      { "a/b/module/resources", "a/resources" }, {}, "a/b/module", "a/b/module/resources" },
    { "a VST3 bundle's Contents/Resources, one level above the module's folder",
      { "Plumora.vst3/Contents/x86_64-linux", "Plumora.vst3/Contents/Resources", "resources" }, {},
      "Plumora.vst3/Contents/x86_64-linux", "Plumora.vst3/Contents/Resources" },
    { "the exact name first when two spellings sit side by side",
      { "m", "Resources", "resources" }, {}, "m", "resources" },
    { "a file called resources is passed over",
      { "m", "resources" }, { "m/resources" }, "m", "resources" },
    { "the eighth folder (seven levels up) is still searched",
      { "l1/l2/l3/l4/l5/l6/l7", "resources" }, {}, "l1/l2/l3/l4/l5/l6/l7", "resources" },
    { "nothing within eight folders: the working folder's, even if missing",
      { "l1/l2/l3/l4/l5/l6/l7/l8", "resources" }, {}, "l1/l2/l3/l4/l5/l6/l7/l8", "work/resources" },
};
} // namespace

TEST (SimpleResourcesFolder, SearchFindsTheNearestResourcesFolderUpToEightLevelsElseTheWorkingFolders)
{
    for (const auto& c : kSearchCases)
    {
        SCOPED_TRACE (c.what);
        TemporaryFolder temporary;
        for (const auto* folder : c.folders)
            temporary.folder (folder);
        for (const auto* file : c.files)
            temporary.write (file, "not a folder");
        const auto working = temporary.folder ("work");

        const auto found = findResourcesFolder (temporary.root.getChildFile (c.moduleFolder), working);
        EXPECT_EQ (found.getFullPathName(), temporary.root.getChildFile (c.expected).getFullPathName());
    }
}

TEST (SimpleResourcesFolder, WithNoResourcesFolderAnywhereTheLibraryIsEmptyAndNoMapsLoad)
{
    TemporaryFolder temporary;
    const auto found = findResourcesFolder (temporary.folder ("l1/l2/l3/l4/l5/l6/l7/l8"), temporary.folder ("work"));
    ASSERT_FALSE (found.exists());
    EXPECT_TRUE (loadTimbreLibrary (found).empty());
    EXPECT_TRUE (loadCharacterMaps (found).empty());
}

// The build installs the data files into the VST3 bundle and beside the
// standalone app; the plug-in's own search finds them there.
TEST (SimpleResourcesFolder, TheBuiltBundleAndAppCarryTheDataFilesWhereTheSearchFindsThem)
{
    TemporaryFolder temporary;
    const juce::File moduleFolder (PLUMORA_VST3_MODULE_FOLDER);
    const juce::File appFolder (PLUMORA_STANDALONE_FOLDER);
    const auto bundleResources = moduleFolder.getParentDirectory().getChildFile ("Resources");

    EXPECT_EQ (findResourcesFolder (moduleFolder, temporary.root), bundleResources);
    EXPECT_EQ (findResourcesFolder (appFolder, temporary.root), appFolder.getChildFile ("resources"));

    const auto shipped = plumora::test::shippedResources();
    const auto dataFiles = shipped.findChildFiles (juce::File::findFiles, true, "*.json");
    ASSERT_EQ (dataFiles.size(), 6);
    for (const auto& installed : { bundleResources, appFolder.getChildFile ("resources") })
        for (const auto& file : dataFiles)
        {
            const auto copy = installed.getChildFile (file.getRelativePathFrom (shipped));
            EXPECT_TRUE (copy.existsAsFile()) << copy.getFullPathName();
            EXPECT_EQ (copy.loadFileAsString(), file.loadFileAsString()) << copy.getFullPathName();
        }
    EXPECT_EQ (loadCharacterMaps (bundleResources).size(), 5u);
    EXPECT_EQ (loadTimbreLibrary (bundleResources).size(), loadTimbreLibrary (shipped).size());
}
