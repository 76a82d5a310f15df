// A host state chunk through setStateInformation, as a host reopening a
// project hands it over. Afterwards the processor must save its state, a
// second processor given that saved chunk must save the very same chunk
// (nothing the first one kept is lost on the way), and a chord must play
// finite audio.

#include "FuzzSupport.h"

using namespace plumora;

namespace
{
juce::MemoryBlock savedState (PlumoraAudioProcessor& processor)
{
    juce::MemoryBlock chunk;
    processor.getStateInformation (chunk);
    return chunk;
}
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    fuzz::initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    if (size > 1024 * 1024)
        return -1;

    // A new processor per input, as a host makes one for a project it opens.
    PlumoraAudioProcessor processor;
    processor.prepareToPlay (fuzz::kRate, fuzz::kBlock);
    processor.setStateInformation (data, static_cast<int> (size));

    const auto saved = savedState (processor);
    fuzz::check (saved.getSize() > 0, "no state saved after a restore");

    PlumoraAudioProcessor reopened;
    reopened.setStateInformation (saved.getData(), static_cast<int> (saved.getSize()));
    fuzz::check (savedState (reopened) == saved, "a saved state does not restore to the same state");

    fuzz::playChordAndCheck (processor);
    return 0;
}
