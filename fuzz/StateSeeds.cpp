// Writes host state chunks, as getStateInformation saves them, into the
// folder given: one per factory preset, and a few with the sound extras a
// chunk can carry (MPE, the advanced page, routings of every scope). The
// host_state fuzzer starts from them, so it mutates real chunks of today's
// format rather than guessing the binary header and the XML.
//
//   fuzz_state_seeds FOLDER

#include "processor/PluginProcessor.h"

#include <juce_events/juce_events.h>

#include <cstdio>

namespace
{
bool save (PlumoraAudioProcessor& processor, const juce::File& file)
{
    juce::MemoryBlock chunk;
    processor.getStateInformation (chunk);
    return chunk.getSize() > 0 && file.replaceWithData (chunk.getData(), chunk.getSize());
}
} // namespace

int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf (stderr, "usage: fuzz_state_seeds FOLDER\n");
        return 2;
    }
    const juce::File folder (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));
    if (! folder.createDirectory())
    {
        std::fprintf (stderr, "fuzz_state_seeds: cannot create %s\n", argv[1]);
        return 1;
    }

    // Leave the user's own presets folder alone and unread.
    const auto home = juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("plumora-seed-home", "", false);
    home.createDirectory();
    setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);
    unsetenv ("XDG_CONFIG_HOME");

    int written = 0;
    {
        juce::ScopedJuceInitialiser_GUI juce;
        PlumoraAudioProcessor processor;
        for (int program = 0; program < processor.getNumPrograms(); ++program)
        {
            processor.setCurrentProgram (program);
            written += save (processor, folder.getChildFile ("preset-" + juce::String (program).paddedLeft ('0', 2) + ".state"));
        }

        auto& engine = processor.engine();
        engine.setMpeEnabled (true);
        processor.setUiMode (1);
        auto& matrix = engine.modMatrix();
        matrix.addRouting (plumora::ModSourceID::lfo1, plumora::index (plumora::ParamID::filt_cutoff), 0.5f, plumora::ModScope::per_voice, false);
        matrix.addRouting (plumora::ModSourceID::macro2, plumora::index (plumora::ParamID::osc1_wt_pos), -1.0f, plumora::ModScope::per_note_capture, true);
        matrix.addRouting (plumora::ModSourceID::modenv1, plumora::index (plumora::ParamID::reverb_mix), 0.25f, plumora::ModScope::global, false);
        written += save (processor, folder.getChildFile ("extras.state"));
    }
    home.deleteRecursively();

    std::printf ("fuzz_state_seeds: %d chunks in %s\n", written, folder.getFullPathName().toRawUTF8());
    return written > 0 ? 0 : 1;
}
