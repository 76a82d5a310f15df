// plumora-render end to end: real files in a temporary folder, the rendered
// WAV read back and measured, every error path's status and message.

#include "RenderCommand.h"
#include "Performance.h"

#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_graphics/juce_graphics.h>
#include <gtest/gtest.h>

#include <sstream>

using namespace plumora;

namespace
{
struct Command
{
    int status;
    std::string out, err;
};

struct RendererFixture : testing::Test
{
    juce::File folder = juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("plumora-render", "", false);
    juce::File preset = folder.getChildFile ("test.pmpreset");

    RendererFixture()
    {
        folder.createDirectory();
        preset.replaceWithText (R"({"name": "Render Test", "scope": "complete", "parameters": {"osc1_unison": 2, "amp_release": 0.1, "reverb_bypass": 1, "delay_bypass": 1}})");
    }
    ~RendererFixture() override { folder.deleteRecursively(); }

    Command run (juce::StringArray arguments)
    {
        std::ostringstream out, err;
        const int status = render::runRenderCommand (arguments, out, err, false);
        return { status, out.str(), err.str() };
    }

    juce::String path (const char* name) { return folder.getChildFile (name).getFullPathName(); }

    static std::unique_ptr<juce::AudioFormatReader> openWav (const juce::File& file)
    {
        juce::WavAudioFormat wav;
        return std::unique_ptr<juce::AudioFormatReader> (wav.createReaderFor (file.createInputStream().release(), true));
    }

    static juce::AudioBuffer<float> readWav (const juce::File& file)
    {
        auto reader = openWav (file);
        juce::AudioBuffer<float> audio (2, static_cast<int> (reader->lengthInSamples));
        reader->read (&audio, 0, audio.getNumSamples(), 0, true, true);
        return audio;
    }
};
} // namespace

TEST_F (RendererFixture, RendersTheDemoDeterministicallyAndReportsIt)
{
    const auto first = run ({ "--preset-file", preset.getFullPathName(), "--out", path ("a.wav"), "--png", path ("a.png"), "--tail", "0.5" });
    ASSERT_EQ (first.status, 0) << first.err;
    EXPECT_TRUE (juce::String (first.out).startsWith ("Rendered 8.50 s of 'Render Test' to ")) << first.out;
    EXPECT_TRUE (juce::String (first.out).contains ("peak ") && juce::String (first.out).contains ("x real time"));

    const auto audio = readWav (folder.getChildFile ("a.wav"));
    EXPECT_EQ (audio.getNumSamples(), 48000 * 17 / 2); // four bars at 120 BPM and the tail
    EXPECT_GT (audio.getRMSLevel (0, 0, audio.getNumSamples()), 0.005f);
    EXPECT_LT (audio.getMagnitude (0, audio.getNumSamples()), 1.0f);

    ASSERT_EQ (run ({ "--preset-file", preset.getFullPathName(), "--out", path ("b.wav"), "--tail", "0.5" }).status, 0);
    juce::MemoryBlock a, b;
    folder.getChildFile ("a.wav").loadFileAsData (a);
    folder.getChildFile ("b.wav").loadFileAsData (b);
    EXPECT_EQ (a, b) << "the same arguments give the same file, bit for bit";

    const auto picture = juce::ImageFileFormat::loadFrom (folder.getChildFile ("a.png"));
    EXPECT_EQ (picture.getWidth(), 1200);
    EXPECT_EQ (picture.getHeight(), 600);
}

TEST_F (RendererFixture, MidiFilesPlayOnTheirTempoMap)
{
    // One beat at 60 BPM, then 120 BPM: a note at beat 2 starts at 1.5 s.
    juce::MidiMessageSequence track;
    track.addEvent (juce::MidiMessage::tempoMetaEvent (1000000), 0);
    track.addEvent (juce::MidiMessage::tempoMetaEvent (500000), 960);
    track.addEvent (juce::MidiMessage::noteOn (3, 60, 0.9f), 1920);
    track.addEvent (juce::MidiMessage::noteOff (3, 60), 2400);
    juce::MidiFile midi;
    midi.setTicksPerQuarterNote (960);
    midi.addTrack (track);
    const auto file = folder.getChildFile ("tempo.mid");
    {
        juce::FileOutputStream stream (file);
        ASSERT_TRUE (midi.writeTo (stream, 1));
    }

    const auto performance = render::loadMidiFile (file, std::nullopt);
    EXPECT_NEAR (performance.tempo, 60.0, 1e-6) << "the first tempo drives the play head";

    ASSERT_EQ (run ({ "--preset-file", preset.getFullPathName(), "--midi", file.getFullPathName(), "--out", path ("m.wav"), "--tail", "0.2" }).status, 0);
    const auto audio = readWav (folder.getChildFile ("m.wav"));
    int onset = 0;
    while (onset < audio.getNumSamples() && std::abs (audio.getSample (0, onset)) < 1e-4f)
        ++onset;
    EXPECT_NEAR (onset, 72000, 512) << "within the block that holds 1.5 s";
    EXPECT_EQ (audio.getNumSamples(), static_cast<int> (std::ceil ((1.75 + 0.2) * 48000)));
}

TEST_F (RendererFixture, SampleFormatsFollowBits)
{
    for (const int bits : { 16, 24, 32 })
    {
        const auto out = path ("bits.wav");
        ASSERT_EQ (run ({ "--preset-file", preset.getFullPathName(), "--out", out, "--bits", juce::String (bits), "--tail", "0" }).status, 0);
        const auto reader = openWav (juce::File (out));
        EXPECT_EQ (static_cast<int> (reader->bitsPerSample), bits);
        EXPECT_EQ (reader->usesFloatingPointData, bits == 32);
        EXPECT_EQ (reader->sampleRate, 48000.0);
    }
}

struct ErrorCase
{
    std::vector<const char*> arguments;
    const char* message;
};

TEST_F (RendererFixture, BadInputFailsWithOneLineAndStatusTwo)
{
    folder.getChildFile ("garbage.mid").replaceWithText ("this is not MIDI");
    folder.getChildFile ("garbage.pmpreset").replaceWithText ("{ not json");
    const auto existingOut = folder.getChildFile ("keep.wav");
    existingOut.replaceWithText ("old contents");

    const std::vector<ErrorCase> cases {
        { { "--frobnicate" }, "unknown option '--frobnicate'" },
        { { "--bits", "12" }, "--bits must be 16, 24 or 32" },
        { { "--sample-rate", "fast" }, "--sample-rate needs a number" },
        { { "--sample-rate", "1e9" }, "--sample-rate needs a number" },
        { { "--block", "0" }, "--block needs a whole number" },
        { { "--block", "2.5" }, "--block needs a whole number" },
        { { "--tempo", "-5" }, "--tempo needs a number" },
        { { "--tempo", "nan" }, "--tempo needs a number" },
        { { "--tail" }, "--tail needs a number" },
        { { "--out" }, "--out needs a file path" },
        { { "--preset", "Nope At All" }, "no preset named 'Nope At All'" },
        { { "--preset-file", "garbage.pmpreset" }, "is not a readable preset file" },
        { { "--midi", "missing.mid" }, "cannot read MIDI file" },
        { { "--midi", "garbage.mid" }, "is not a standard MIDI file" },
        { { "--out", "no/such/folder/x.wav" }, "its folder does not exist" },
        { { "--out", "." }, "is a folder" },
    };

    for (const auto& c : cases)
    {
        // A valid sound first, so each case fails for its own reason.
        juce::StringArray arguments;
        const juce::String firstFlag (c.arguments[0]);
        if (firstFlag != "--preset-file" && firstFlag != "--preset")
            arguments.addArray ({ "--preset-file", preset.getFullPathName() });
        for (const auto* a : c.arguments)
        {
            const juce::String argument (a);
            arguments.add (argument.endsWith (".mid") || argument.endsWith (".pmpreset") || argument.contains ("/") || argument == "."
                               ? folder.getChildFile (argument).getFullPathName() : argument);
        }

        const auto result = run (arguments);
        EXPECT_EQ (result.status, 2) << c.message;
        EXPECT_TRUE (juce::String (result.err).startsWith ("plumora-render: ")) << result.err;
        EXPECT_TRUE (juce::String (result.err).contains (c.message)) << result.err;
        EXPECT_EQ (juce::String (result.err).trimEnd().containsChar ('\n'), false) << "one line: " << result.err;
    }
    EXPECT_EQ (existingOut.loadFileAsString(), "old contents");
    EXPECT_FALSE (folder.getChildFile ("no").exists()) << "no partial output";
}

TEST_F (RendererFixture, SuggestsTheClosestPresetNames)
{
    const auto closest = render::closestNames ("frist lihgt", { "Warm Pad", "First Light", "First Light KS", "Reese Bass" });
    ASSERT_EQ (closest.size(), 3);
    EXPECT_EQ (closest[0], "First Light");
}

TEST (RendererProgram, RunsAsAProcessWithItsExitStatus)
{
    juce::ChildProcess process;
    ASSERT_TRUE (process.start (juce::StringArray { PLUMORA_RENDER_EXECUTABLE, "--bits", "7" }, juce::ChildProcess::wantStdErr));
    const auto text = process.readAllProcessOutput();
    ASSERT_TRUE (process.waitForProcessToFinish (30000));
    EXPECT_EQ (process.getExitCode(), 2u);
    EXPECT_TRUE (text.contains ("--bits must be 16, 24 or 32")) << text;

    juce::ChildProcess listing;
    ASSERT_TRUE (listing.start (juce::StringArray { PLUMORA_RENDER_EXECUTABLE, "--list-presets" }));
    listing.readAllProcessOutput();
    ASSERT_TRUE (listing.waitForProcessToFinish (30000));
    EXPECT_EQ (listing.getExitCode(), 0u);
}
