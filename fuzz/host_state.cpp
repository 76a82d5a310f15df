// A host state chunk through setStateInformation, as a host reopening a
// project hands it over. Afterwards the processor must save its state, a
// second processor given that saved chunk must save the very same chunk
// (nothing the first one kept is lost on the way), and a chord must play
// finite audio. Both processors serve every input, reset before each; now
// and then an input is restored into a new processor too, which must save
// the same chunk and sound the same.

#include "FuzzSupport.h"

#include <array>
#include <memory>

using namespace plumora;

namespace
{
juce::MemoryBlock savedState (PlumoraAudioProcessor& processor)
{
    juce::MemoryBlock chunk;
    processor.getStateInformation (chunk);
    return chunk;
}

juce::MemoryBlock restoreSaveAndPlay (PlumoraAudioProcessor& processor, const std::uint8_t* data, std::size_t size,
                                      fuzz::Fingerprint& fingerprint)
{
    processor.setStateInformation (data, static_cast<int> (size));
    auto saved = savedState (processor);
    fingerprint.add (saved.getData(), saved.getSize());

    const char* const notFinite = "a restored state made the processor render a sample that is not finite";
    fuzz::Player player (processor, fingerprint);
    player.press ({ 48, 60, 64, 67 });
    player.play (2, notFinite);
    player.release ({ 48, 60, 64, 67 });
    player.play (1, notFinite);
    return saved;
}

// Many inputs restore to a state saved before. Restoring it again into the
// reset second processor can only end as it did, so each saved state is
// checked once (a slot per hash; a state pushed out is checked again).
bool isNewSavedState (const juce::MemoryBlock& saved)
{
    static std::array<std::uint64_t, 4096> checked {};
    fuzz::Fingerprint hash;
    hash.add (saved.getData(), saved.getSize());
    auto& slot = checked[static_cast<std::size_t> (hash.value() % checked.size())];
    if (slot == hash.value())
        return false;
    slot = hash.value();
    return true;
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

    static fuzz::ProcessorRig opened, reopened;
    fuzz::Fingerprint afterOthers;
    const auto saved = restoreSaveAndPlay (opened.reset(), data, size, afterOthers);
    fuzz::check (saved.getSize() > 0, "no state saved after a restore");

    if (isNewSavedState (saved))
    {
        auto& second = reopened.reset();
        second.setStateInformation (saved.getData(), static_cast<int> (saved.getSize()));
        fuzz::check (savedState (second) == saved, "a saved state does not restore to the same state");
    }

    if (fuzz::isResetCheckInput())
    {
        auto alone = std::make_unique<fuzz::ProcessorRig>();
        fuzz::Fingerprint fresh;
        restoreSaveAndPlay (alone->processor(), data, size, fresh);
        fuzz::checkResetLeftNothing (afterOthers, fresh);
    }
    return 0;
}
