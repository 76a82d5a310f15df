#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

#include <cstdlib>

namespace
{
// Every test process gets its own empty home folder, so user presets and
// settings never touch the real one. A unique name, not the first free one:
// test processes run side by side and would otherwise pick the same folder.
struct TemporaryHome
{
    juce::File folder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                            .getChildFile ("plumora-test-home-" + juce::Uuid().toString());

    TemporaryHome()
    {
        folder.createDirectory();
       #if JUCE_WINDOWS
        _putenv_s ("APPDATA", folder.getFullPathName().toRawUTF8());
       #else
        setenv ("HOME", folder.getFullPathName().toRawUTF8(), 1);
        unsetenv ("XDG_CONFIG_HOME");
        // Without a display of its own a test must not find one: JUCE would
        // take ":0", which may be another test's private display (they take
        // the first free number), gone when that test ends. No server has
        // this number.
        setenv ("DISPLAY", ":59999", 0);
       #endif
    }

    ~TemporaryHome() { folder.deleteRecursively(); }
};
} // namespace

int main (int argc, char** argv)
{
    TemporaryHome home;
    // Timers and message-thread checks inside JUCE expect an initialised GUI layer.
    juce::ScopedJuceInitialiser_GUI juceInitialiser;
    testing::InitGoogleTest (&argc, argv);
    return RUN_ALL_TESTS();
}
