#include "engine/SynthEngine.h"
#include "presets/HostParameters.h"
#include "presets/PresetDocument.h"
#include "processor/PluginProcessor.h"

#include <gtest/gtest.h>

using namespace plumora;

namespace
{
float valueOf (const PresetDocument& document, const char* id)
{
    for (const auto& [name, value] : document.parameters)
        if (name == id)
            return value;
    return -12345.0f;
}

ParameterValues defaultValues()
{
    ParameterValues values {};
    for (int row = 0; row < kNumParameters; ++row)
        values[static_cast<std::size_t> (row)] = parameterCatalogue()[row].defaultValue;
    return values;
}

float& valueOf (ParameterValues& values, ParamID id) { return values[static_cast<std::size_t> (index (id))]; }

// A processor's host parameters, the store presets are applied to.
struct HostParameterFixture : testing::Test
{
    PlumoraAudioProcessor processor;
    void set (ParamID id, float value) { HostParameters::write (processor.parameters(), id, value); }
    float value (ParamID id) { return HostParameters::read (processor.parameters())[static_cast<std::size_t> (index (id))]; }
};

juce::File temporaryFolder()
{
    auto folder = juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("plumora-presets", "", false);
    folder.createDirectory();
    return folder;
}
} // namespace

TEST (PresetJson, CaptureWritesOneLineInTheFixedOrderAndReadsBack)
{
    SynthEngine engine;
    auto values = defaultValues();
    valueOf (values, ParamID::filt_cutoff) = 1234.5f;
    valueOf (values, ParamID::macro1) = 0.25f;
    valueOf (values, ParamID::master_vol) = 0.3f;
    engine.setParameter (ParamID::master_vol, 0.9f); // the engine's copy is not what is saved
    engine.modMatrix().addRouting (ModSourceID::note_bloom, index (ParamID::osc1_wt_pos), 0.55f, ModScope::per_voice, true);
    engine.setMpeEnabled (true);

    auto document = capturePreset (values, engine, PresetScope::complete, true);
    document.name = "Bloom Lead";
    document.tags = { "Lead", "Moderate", {} };
    document.wavetable1 = "factory:vocal";
    document.savedFromMode = "advanced";
    const auto text = presetToJson (document);

    EXPECT_TRUE (text.startsWith (R"({"name": "Bloom Lead", "version": 1, "scope": "complete", "tags": {"category": "Lead", "complexity": "Moderate", "character": []}, "wavetable1": "factory:vocal", "wavetable2": "", "parameters": {)")) << text;
    EXPECT_FALSE (text.containsAnyOf ("\r\n"));
    EXPECT_TRUE (text.contains (R"("modRoutings": [{"source": "note_bloom", "target": "osc1_wt_pos", "depth": 0.55, "scope": "per_voice", "audioRate": true}], "macros": [0.25, 0.0], "mpeEnabled": true, "savedFromMode": "advanced"})")) << text;

    const auto back = presetFromJson (text);
    EXPECT_EQ (back.name, "Bloom Lead");
    EXPECT_EQ (back.parameters.size(), 3u); // only the values off their defaults
    EXPECT_EQ (valueOf (back, "filt_cutoff"), 1234.5f);
    EXPECT_EQ (valueOf (back, "master_vol"), 0.3f);
    ASSERT_EQ (back.routings.size(), 1u);
    EXPECT_EQ (back.routings[0].depth, 0.55f);
    EXPECT_TRUE (back.routings[0].audioRate);
    EXPECT_EQ (back.macro1, 0.25f);
    EXPECT_TRUE (back.mpeEnabled);
}

TEST (PresetJson, ScopeDecidesWhichPropertiesAreWritten)
{
    SynthEngine engine;
    PresetDocument oscillators = capturePreset (defaultValues(), engine, PresetScope::oscillators, true);
    const auto oscText = presetToJson (oscillators);
    EXPECT_TRUE (oscText.contains (R"("wavetable2": "")"));
    EXPECT_TRUE (oscText.contains (R"("parameters": {})"));
    EXPECT_FALSE (oscText.contains ("modRoutings"));
    EXPECT_FALSE (oscText.contains ("mpeEnabled"));

    PresetDocument effects;
    effects.scope = PresetScope::effects;
    effects.effectTarget = "delay";
    EXPECT_TRUE (presetToJson (effects).contains (R"("effectTarget": "delay")"));
    effects.scope = PresetScope::filter;
    EXPECT_FALSE (presetToJson (effects).contains ("effectTarget"));

    PresetDocument simple;
    simple.simpleMeta = { true, "Saw", "Analog", { 1, 3, 3, 1, -1 } };
    EXPECT_TRUE (presetToJson (simple).endsWith (R"("simpleMeta": {"timbreName": "Saw", "timbreCategory": "Analog", "blockSteps": [1, 3, 3, 1, -1]}})"));
}

TEST (PresetJson, HandWrittenFormsReadLikeTheWrittenOne)
{
    const auto text = juce::String (R"({
  "name": "Synth Guitar",
  "version": 1,
  "scope": "complete",
  "midiProgram": 25,
  "_description": "C2 to C5",

  "tags": { "category": "Pluck", "complexity": "Advanced", "character": ["Pluck", 7] },
  "parameters": { "osc1_mode": 2, "filt_bypass": true, "no_such_param": 3 },
  "modRoutings": [
    { "source": "velocity", "target": "filt_cutoff", "depth": 0.4 },
    "not an object",
    { "source": "lfo9", "target": "filt_cutoff", "depth": 1 }
  ],
  "macros": [0.7],
  "simpleMeta": { "timbreName": "Saw", "blockSteps": [2, 4] }
})").replace ("\n", "\r\n");

    const auto document = presetFromJson (text);
    EXPECT_EQ (document.name, "Synth Guitar");
    EXPECT_EQ (document.tags.character, juce::StringArray ({ "Pluck", "7" }));
    EXPECT_EQ (valueOf (document, "filt_bypass"), 1.0f);
    EXPECT_EQ (valueOf (document, "no_such_param"), 3.0f);
    ASSERT_EQ (document.routings.size(), 3u);
    EXPECT_EQ (document.routings[0].scope, "global");
    EXPECT_FALSE (document.routings[0].audioRate);
    EXPECT_EQ (document.routings[1].source, "");
    EXPECT_EQ (document.macro1, 0.0f) << "one macro value is not enough";
    EXPECT_FALSE (document.mpeEnabled);
    EXPECT_TRUE (document.simpleMeta.present);
    EXPECT_EQ (document.simpleMeta.steps, (std::array<int, 5> { 2, 4, -1, -1, -1 }));
}

TEST (PresetJson, UnreadableTextGivesTheDefaultDocument)
{
    juce::MemoryBlock notUtf8;
    for (int i = 0; i < 300; ++i)
        notUtf8.append ("\xff\xfe\x80{", 4);

    for (const auto& text : { juce::String(), juce::String ("not json"), juce::String ("[1, 2]"), juce::String ("{\"name\": "),
                              juce::String ("null"), juce::String::fromUTF8 (static_cast<const char*> (notUtf8.getData()), (int) notUtf8.getSize()),
                              juce::String::repeatedString ("[", 100000) })
    {
        const auto document = presetFromJson (text);
        EXPECT_TRUE (document.name.isEmpty());
        EXPECT_EQ (document.scope, PresetScope::complete);
        EXPECT_TRUE (document.parameters.empty());
    }

    const auto typed = presetFromJson (R"({"name": 5, "scope": "Filter", "parameters": {"filt_cutoff": "250abc"}, "macros": "x", "mpeEnabled": null})");
    EXPECT_EQ (typed.name, "5");
    EXPECT_EQ (typed.scope, PresetScope::complete) << "scope ids are case-sensitive";
    EXPECT_EQ (valueOf (typed, "filt_cutoff"), 250.0f);
    EXPECT_EQ (typed.version, 0);
}

TEST_F (HostParameterFixture, ScopesResetOnlyWhatTheyCover)
{
    SynthEngine& engine = processor.engine();
    set (ParamID::filt_reso, 0.9f);
    set (ParamID::filt_env_amount, 0.5f);
    set (ParamID::osc1_unison, 9.0f);
    set (ParamID::delay_mix, 0.9f);
    set (ParamID::reverb_mix, 0.9f);
    engine.modMatrix().replaceRoutings ({ { ModSourceID::lfo1, index (ParamID::filt_cutoff), 0.5f, ModScope::global, false } });

    const auto apply = [&] (const char* json)
    {
        const auto document = presetFromJson (json);
        applyPresetToParameters (processor.parameters(), document);
        applyPresetToEngine (engine, document);
    };
    apply (R"({"name": "F", "scope": "filter", "parameters": {"filt_cutoff": 800, "osc1_level": 0.2},
               "modRoutings": [{"source": "macro1", "target": "filt_drive", "depth": 1}]})");
    EXPECT_NEAR (value (ParamID::filt_cutoff), 800.0f, 0.01f);
    EXPECT_EQ (value (ParamID::filt_reso), 0.0f);
    EXPECT_EQ (value (ParamID::filt_env_amount), 0.0f);
    EXPECT_EQ (value (ParamID::osc1_unison), 9.0f) << "outside the scope";
    EXPECT_NEAR (value (ParamID::osc1_level), 0.2f, 1e-6f) << "listed values apply whatever their scope";
    ASSERT_EQ (engine.modMatrix().routings().size(), 1u) << "a filter preset never touches routings";
    EXPECT_EQ (engine.modMatrix().routings()[0].source, ModSourceID::lfo1);

    apply (R"({"name": "D", "scope": "effect_delay", "parameters": {}})");
    EXPECT_NEAR (value (ParamID::delay_mix), 0.3f, 1e-6f);
    EXPECT_NEAR (value (ParamID::reverb_mix), 0.9f, 1e-6f);
    apply (R"({"name": "E", "scope": "effects", "parameters": {}})");
    EXPECT_NEAR (value (ParamID::reverb_mix), 0.2f, 1e-6f);
}

TEST_F (HostParameterFixture, CompleteDocumentsReplaceRoutingsAndMpe)
{
    SynthEngine& engine = processor.engine();
    engine.setMpeEnabled (true);
    set (ParamID::master_vol, 0.1f);
    const auto document = presetFromJson (R"({"name": "C", "scope": "complete", "parameters": {},
        "modRoutings": [{"source": "velocity", "target": "filt_cutoff", "depth": 2.0, "scope": "per_voice"},
                        {"source": "unknown", "target": "filt_cutoff", "depth": 1},
                        {"source": "lfo1", "target": "nowhere", "depth": 1}],
        "macros": [0.7, 0.2]})");
    applyPresetToParameters (processor.parameters(), document);
    applyPresetToEngine (engine, document);

    ASSERT_EQ (engine.modMatrix().routings().size(), 1u);
    EXPECT_EQ (engine.modMatrix().routings()[0].scope, ModScope::per_voice);
    EXPECT_EQ (engine.modMatrix().routings()[0].depth, 1.0f);
    EXPECT_EQ (value (ParamID::macro1), 0.0f) << "the macro parameters come from \"parameters\", not \"macros\"";
    EXPECT_FALSE (engine.isMpeEnabled()) << "no mpeEnabled means off";
    EXPECT_NEAR (value (ParamID::master_vol), 0.8f, 1e-6f);
}

TEST (PresetApply, HostParametersSnapToLegalValues)
{
    PlumoraAudioProcessor processor;
    applyPresetToParameters (processor.parameters(), presetFromJson (R"({"name": "S", "scope": "oscillators",
        "parameters": {"osc1_unison": 3.7, "osc1_octave": 99, "osc1_level": 0.5}})"));
    EXPECT_EQ (processor.parameters().getRawParameterValue ("osc1_unison")->load(), 4.0f);
    EXPECT_EQ (processor.parameters().getRawParameterValue ("osc1_octave")->load(), 4.0f);
    EXPECT_NEAR (processor.parameters().getRawParameterValue ("osc1_level")->load(), 0.5f, 1e-6f);
}

TEST (PresetFiles, WriteAndReadRealFiles)
{
    const auto folder = temporaryFolder();
    PresetDocument document;
    document.name = "Disk";
    document.parameters.emplace_back ("filt_cutoff", 640.0f);
    const auto file = folder.getChildFile ("disk.pmpreset");

    ASSERT_TRUE (writePresetFile (document, file));
    EXPECT_FALSE (file.loadFileAsString().containsAnyOf ("\r\n"));
    EXPECT_EQ (readPresetFile (file).name, "Disk");

    document.name = "Disk 2";
    ASSERT_TRUE (writePresetFile (document, file)); // replaces
    EXPECT_EQ (readPresetFile (file).name, "Disk 2");

    // A target whose folder is a file cannot be written; nothing is lost.
    const auto blocker = folder.getChildFile ("blocker");
    blocker.replaceWithText ("x");
    EXPECT_FALSE (writePresetFile (document, blocker.getChildFile ("x.pmpreset")));
    EXPECT_FALSE (writePresetFile (document, folder));
    EXPECT_FALSE (writePresetFile (document, juce::File()));

    EXPECT_TRUE (readPresetFile (folder).name.isEmpty());
    EXPECT_TRUE (readPresetFile (folder.getChildFile ("missing.pmpreset")).name.isEmpty());
    EXPECT_TRUE (readPresetFile (juce::File()).name.isEmpty());
    folder.deleteRecursively();
}

// The host parameters keep values normalised (15 comes back as 15.000001).
// What a capture writes is the value the user set, in its shortest text:
// untouched values equal their defaults, and every number reads back as the
// same value through the parameter.
TEST_F (HostParameterFixture, CapturedNumbersAreTheShortestTextThatReadsBackTheSame)
{
    PresetDocument defaults;
    defaults.name = "Init";
    processor.presets().loadPreset (defaults);
    SynthEngine engine;
    EXPECT_TRUE (capturePreset (HostParameters::read (processor.parameters()), engine, PresetScope::complete, true).parameters.empty())
        << "untouched values are not all at their defaults";

    struct Case
    {
        ParamID id;
        float value;
        const char* text;
    };
    const Case cases[] = {
        { ParamID::osc2_tune, 6.0f, "\"osc2_tune\":6" },
        { ParamID::master_vol, 0.3f, "\"master_vol\":0.3" },
        { ParamID::filt_cutoff, 1234.5f, "\"filt_cutoff\":1234.5" },
        { ParamID::osc1_detune, 15.5f, "\"osc1_detune\":15.5" },
        { ParamID::amp_release, 0.0125f, "\"amp_release\":0.0125" },
    };
    for (const auto& c : cases)
        set (c.id, c.value);
    const auto document = capturePreset (HostParameters::read (processor.parameters()), engine, PresetScope::complete, true);
    EXPECT_EQ (document.parameters.size(), std::size (cases));
    const auto json = presetToJson (document).removeCharacters (" ");
    for (const auto& c : cases)
    {
        const bool whole = json.contains (juce::String (c.text) + ",") || json.contains (juce::String (c.text) + "}")
                           || json.contains (juce::String (c.text) + ".0,") || json.contains (juce::String (c.text) + ".0}");
        EXPECT_TRUE (whole) << c.text << " in " << json;
    }

    // Read back and applied, each is the value the parameter held.
    const auto held = HostParameters::read (processor.parameters());
    PlumoraAudioProcessor other;
    other.presets().loadPreset (presetFromJson (presetToJson (document)));
    const auto reread = HostParameters::read (other.parameters());
    for (const auto& c : cases)
        EXPECT_EQ (reread[static_cast<std::size_t> (index (c.id))], held[static_cast<std::size_t> (index (c.id))]) << c.text;
}
