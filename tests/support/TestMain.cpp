#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

int main (int argc, char** argv)
{
    // Timers and message-thread checks inside JUCE expect an initialised GUI layer.
    juce::ScopedJuceInitialiser_GUI juceInitialiser;
    testing::InitGoogleTest (&argc, argv);
    return RUN_ALL_TESTS();
}
