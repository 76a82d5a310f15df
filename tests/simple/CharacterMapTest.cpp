#include "simple/CharacterMap.h"
#include "SimpleTestSupport.h"

#include <gtest/gtest.h>

using namespace plumora;
using plumora::test::TemporaryFolder;

namespace
{
CharacterMap mapFromText (const juce::String& text)
{
    TemporaryFolder temporary;
    return loadCharacterMap (temporary.write ("map.json", text));
}
} // namespace

TEST (SimpleCharacterMap, ReadsStepsInOrderAndDropsUnknownIdsAndSources)
{
    const auto map = mapFromText (R"({"name": "Tone", "steps": [
        {"label": "Open", "params": {"filt_cutoff": 16000, "filt_cutof": 800, "eq_high_gain": "3"},
         "routings": [
            {"source": "LFO1", "target": "filt_cutoff", "depth": 0.5, "scope": "PerVoice"},
            {"source": "lfo1", "target": "filt_cutoff", "depth": 0.5},
            {"source": "LFO9", "target": "filt_cutoff", "depth": 0.5},
            {"source": "ModEnv2", "target": "cutoff", "depth": 0.5},
            "LFO2",
            {"source": "Macro2", "target": "reverb_mix"},
            {"source": "ModEnv1", "target": "filt_reso", "depth": -0.4, "scope": "PerNoteCapture"},
            {"source": "LFO4", "target": "osc1_wt_pos", "depth": 0.2, "scope": "perVoice"}
         ]},
        "not a step",
        {"label": "Bare"}
    ]})");

    EXPECT_EQ (map.name, "Tone");
    EXPECT_EQ (map.initialStep, -1);
    ASSERT_EQ (map.steps.size(), 3u) << "a non-object step stays as an empty step";

    const auto& open = map.steps[0];
    EXPECT_EQ (open.label, "Open");
    ASSERT_EQ (open.params.size(), 2u);
    EXPECT_EQ (open.params[0].id, ParamID::filt_cutoff);
    EXPECT_EQ (open.params[0].value, 16000.0f);
    EXPECT_EQ (open.params[1].id, ParamID::eq_high_gain);
    EXPECT_EQ (open.params[1].value, 3.0f);

    struct Expected { ModSourceID source; ParamID target; float depth; ModScope scope; };
    const Expected expected[] = {
        { ModSourceID::lfo1, ParamID::filt_cutoff, 0.5f, ModScope::per_voice },
        { ModSourceID::macro2, ParamID::reverb_mix, 0.0f, ModScope::global },          // no depth: 0
        { ModSourceID::modenv1, ParamID::filt_reso, -0.4f, ModScope::per_note_capture },
        { ModSourceID::lfo4, ParamID::osc1_wt_pos, 0.2f, ModScope::global },           // scope names are exact
    };
    ASSERT_EQ (open.routings.size(), std::size (expected));
    for (std::size_t i = 0; i < std::size (expected); ++i)
    {
        SCOPED_TRACE (i);
        EXPECT_EQ (open.routings[i].source, expected[i].source);
        EXPECT_EQ (open.routings[i].target, expected[i].target);
        EXPECT_FLOAT_EQ (open.routings[i].depth, expected[i].depth);
        EXPECT_EQ (open.routings[i].scope, expected[i].scope);
    }

    for (const auto& empty : { map.steps[1], map.steps[2] })
        EXPECT_TRUE (empty.params.empty() && empty.routings.empty());
    EXPECT_TRUE (map.steps[1].label.isEmpty());
    EXPECT_EQ (map.steps[2].label, "Bare");
}

TEST (SimpleCharacterMap, TheKindComesFromTheExactName)
{
    const std::pair<const char*, CharacterMapKind> cases[] = {
        { "Tone", CharacterMapKind::tone }, { "Punch", CharacterMapKind::punch }, { "Movement", CharacterMapKind::movement },
        { "Space", CharacterMapKind::space }, { "Density", CharacterMapKind::density },
        { "tone", CharacterMapKind::none }, { "Tone ", CharacterMapKind::none }, { "", CharacterMapKind::none },
    };
    for (const auto& [name, kind] : cases)
        EXPECT_EQ (characterMapKind (name), kind) << name;

    // Loaded from the tone file but named in lower case: no kind.
    TemporaryFolder temporary;
    temporary.write ("character_maps/tone.json", R"({"name": "tone", "steps": [{"label": "A"}]})");
    const auto maps = loadCharacterMaps (temporary.root);
    ASSERT_EQ (maps.size(), 1u);
    EXPECT_EQ (characterMapKind (maps[0].name), CharacterMapKind::none);
}

TEST (SimpleCharacterMap, MalformedFilesGiveANamelessEmptyMap)
{
    const juce::String texts[] = {
        "", "not json", "[1, 2]", "\"Tone\"", R"({"name": "Tone", "steps": )" + juce::String::repeatedString ("[", 50000),
    };
    for (const auto& text : texts)
    {
        SCOPED_TRACE (text.substring (0, 40).toStdString());
        const auto map = mapFromText (text);
        EXPECT_TRUE (map.name.isEmpty());
        EXPECT_TRUE (map.steps.empty());
        EXPECT_EQ (map.initialStep, -1);
    }

    const auto wrongTypes = mapFromText (R"({"name": 5, "steps": {"label": "A"}})");
    EXPECT_TRUE (wrongTypes.name.isEmpty());
    EXPECT_TRUE (wrongTypes.steps.empty());
    const auto oddStep = mapFromText (R"({"name": "Space", "steps": [{"label": [], "params": [0.5], "routings": {"source": "LFO1"}}]})");
    ASSERT_EQ (oddStep.steps.size(), 1u);
    EXPECT_TRUE (oddStep.steps[0].label.isEmpty() && oddStep.steps[0].params.empty() && oddStep.steps[0].routings.empty());
}

TEST (SimpleCharacterMap, TheFolderGivesTheMapsItHasInTheirFixedOrder)
{
    TemporaryFolder temporary;
    temporary.write ("character_maps/density.json", R"({"name": "Density"})");
    temporary.write ("character_maps/tone.json", R"({"name": "Tone"})");
    temporary.write ("character_maps/space.json", "{ broken");                           // loaded, nameless
    temporary.folder ("character_maps/punch.json");                                      // a folder: skipped
    temporary.write ("character_maps/movement.json",                                     // too large: skipped
                     R"({"name": "Movement", "steps": [)" + juce::String::repeatedString ("{},", 400000) + "{}]}");
    temporary.write ("character_maps/extra.json", R"({"name": "Extra"})");               // not one of the five

    const auto maps = loadCharacterMaps (temporary.root);
    ASSERT_EQ (maps.size(), 3u);
    EXPECT_EQ (maps[0].name, "Tone");
    EXPECT_TRUE (maps[1].name.isEmpty());
    EXPECT_EQ (maps[2].name, "Density");
}
