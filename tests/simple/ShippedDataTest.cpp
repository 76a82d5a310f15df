// The data files the product ships: they load completely (no id, source or
// entry dropped), use real factory tables and in-range values, cover the
// names the factory presets refer to, and every map grades its dimension
// step by step.

#include "dsp/FactoryWavetables.h"
#include "presets/FactoryBank.h"
#include "presets/PresetDocument.h"
#include "simple/CharacterMap.h"
#include "simple/CharacterMapState.h"
#include "simple/Timbre.h"
#include "SimpleTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

using namespace plumora;
using plumora::test::shippedResources;

namespace
{
juce::var rawJson (const juce::String& relativePath)
{
    return juce::JSON::parse (shippedResources().getChildFile (relativePath).loadFileAsString());
}

int propertyCount (const juce::var& object)
{
    auto* properties = object.getDynamicObject();
    return properties == nullptr ? 0 : properties->getProperties().size();
}

int arraySize (const juce::var& array) { return array.getArray() == nullptr ? 0 : array.getArray()->size(); }

bool inRange (const ParameterSetting& setting) { return parameterSpec (setting.id).clamp (setting.value) == setting.value; }

std::set<ParamID> idsOf (const std::vector<ParameterSetting>& settings)
{
    std::set<ParamID> ids;
    for (const auto& setting : settings)
        ids.insert (setting.id);
    return ids;
}

const Timbre* findTimbre (const std::vector<TimbreCategory>& library, const juce::String& category, const juce::String& name)
{
    for (const auto& c : library)
        if (c.name == category)
            for (const auto& timbre : c.timbres)
                if (timbre.name == name)
                    return &timbre;
    return nullptr;
}

const char* const kMapNames[] = { "Tone", "Punch", "Movement", "Space", "Density" };
const char* const kMapFiles[] = { "tone", "punch", "movement", "space", "density" };

float valueIn (const CharacterStep& step, ParamID id)
{
    for (const auto& setting : step.params)
        if (setting.id == id)
            return setting.value;
    return std::numeric_limits<float>::quiet_NaN();
}
} // namespace

TEST (SimpleShippedData, TheTimbreLibraryLoadsCompletelyWithFactoryTablesAndInRangeLevels)
{
    const auto library = loadTimbreLibrary (shippedResources());
    const auto raw = rawJson ("timbres/index.json")["categories"];
    ASSERT_EQ (static_cast<int> (library.size()), arraySize (raw));

    std::set<juce::String> names;
    for (std::size_t c = 0; c < library.size(); ++c)
    {
        const auto& category = library[c];
        SCOPED_TRACE (category.name.toStdString());
        EXPECT_FALSE (category.name.isEmpty());
        const auto rawTimbres = raw[static_cast<int> (c)]["timbres"];
        ASSERT_EQ (static_cast<int> (category.timbres.size()), arraySize (rawTimbres));
        EXPECT_GE (category.timbres.size(), 3u);

        for (std::size_t t = 0; t < category.timbres.size(); ++t)
        {
            const auto& timbre = category.timbres[t];
            SCOPED_TRACE (timbre.name.toStdString());
            EXPECT_TRUE (names.insert (timbre.name).second) << "timbre names are unique across the library";
            EXPECT_TRUE (isFactoryWavetableName (timbre.wavetable.toStdString()));
            for (const float level : { timbre.defaultWtPosition, timbre.subLevel, timbre.noiseLevel })
                EXPECT_TRUE (level >= 0.0f && level <= 1.0f) << level;
            EXPECT_FALSE (timbre.brightnessMap.empty());
            EXPECT_FALSE (timbre.harshnessMap.empty());
            for (const auto& map : { timbre.brightnessMap, timbre.harshnessMap })
                for (const float position : map)
                    EXPECT_TRUE (position >= 0.0f && position <= 1.0f) << position;
            EXPECT_TRUE (std::is_sorted (timbre.brightnessMap.begin(), timbre.brightnessMap.end()))
                << "the sound map's x runs from dark to bright";

            EXPECT_EQ (static_cast<int> (timbre.extraParams.size()), propertyCount (rawTimbres[static_cast<int> (t)]["extraParams"]))
                << "every extra parameter name is a parameter id";
            for (const auto& setting : timbre.extraParams)
                EXPECT_TRUE (inRange (setting)) << parameterSpec (setting.id).id;
        }
    }
}

TEST (SimpleShippedData, TheFiveMapsLoadCompletelyInOrderWithValidParametersAndRoutings)
{
    const auto maps = loadCharacterMaps (shippedResources());
    ASSERT_EQ (maps.size(), 5u);

    for (std::size_t m = 0; m < maps.size(); ++m)
    {
        const auto& map = maps[m];
        SCOPED_TRACE (kMapNames[m]);
        EXPECT_EQ (map.name, kMapNames[m]);
        EXPECT_NE (characterMapKind (map.name), CharacterMapKind::none);
        EXPECT_EQ (map.initialStep, -1);

        const auto raw = rawJson (juce::String ("character_maps/") + kMapFiles[m] + ".json")["steps"];
        ASSERT_EQ (static_cast<int> (map.steps.size()), arraySize (raw));
        ASSERT_GE (map.steps.size(), 5u) << "factory presets select steps 0 to 4";

        const auto firstIds = idsOf (map.steps.front().params);
        for (std::size_t s = 0; s < map.steps.size(); ++s)
        {
            const auto& step = map.steps[s];
            SCOPED_TRACE (step.label.toStdString());
            EXPECT_FALSE (step.label.isEmpty());
            EXPECT_EQ (static_cast<int> (step.params.size()), propertyCount (raw[static_cast<int> (s)]["params"]));
            EXPECT_EQ (static_cast<int> (step.routings.size()), arraySize (raw[static_cast<int> (s)]["routings"]));
            EXPECT_EQ (idsOf (step.params), firstIds) << "every step sets the same parameters, so any step fully replaces another";
            for (const auto& setting : step.params)
                EXPECT_TRUE (inRange (setting)) << parameterSpec (setting.id).id;

            for (const auto& routing : step.routings)
            {
                EXPECT_GT (std::abs (routing.depth), 0.0f);
                EXPECT_LE (std::abs (routing.depth), 1.0f);
                // Mod envelopes run per voice: a global routing from one would move nothing.
                const bool envelope = routing.source == ModSourceID::modenv1 || routing.source == ModSourceID::modenv2;
                EXPECT_EQ (routing.scope, envelope ? ModScope::per_voice : ModScope::global);
            }
        }
    }
}

TEST (SimpleShippedData, TimbresLeaveTheCharacterMapsParametersAlone)
{
    // A timbre's extra parameters return to their defaults when the next
    // timbre is chosen; were they map parameters, that would undo a block.
    std::set<ParamID> mapParameters;
    for (auto& map : loadCharacterMaps (shippedResources()))
    {
        const CharacterMapState state (std::move (map));
        mapParameters.insert (state.mapParameters.begin(), state.mapParameters.end());
    }
    const std::set<ParamID> setByEveryTimbre { ParamID::osc1_wt_pos, ParamID::sub_level, ParamID::noise_level, ParamID::osc2_level };

    for (const auto& category : loadTimbreLibrary (shippedResources()))
        for (const auto& timbre : category.timbres)
            for (const auto& setting : timbre.extraParams)
            {
                EXPECT_EQ (mapParameters.count (setting.id), 0u) << timbre.name << ": " << parameterSpec (setting.id).id;
                EXPECT_EQ (setByEveryTimbre.count (setting.id), 0u) << timbre.name << ": " << parameterSpec (setting.id).id;
            }
}

TEST (SimpleShippedData, TheFactoryPresetsSimpleSelectionsAllResolve)
{
    const auto library = loadTimbreLibrary (shippedResources());
    const auto maps = loadCharacterMaps (shippedResources());
    ASSERT_EQ (maps.size(), 5u);

    int simplePresets = 0;
    for (const auto& text : factoryPresetTexts())
    {
        const auto preset = presetFromJson (juce::String::fromUTF8 (text.text, text.size));
        if (! preset.simpleMeta.present)
            continue;
        ++simplePresets;
        SCOPED_TRACE (preset.name.toStdString());
        EXPECT_NE (findTimbre (library, preset.simpleMeta.timbreCategory, preset.simpleMeta.timbreName), nullptr)
            << preset.simpleMeta.timbreCategory << " / " << preset.simpleMeta.timbreName;
        for (std::size_t m = 0; m < 5; ++m)
        {
            const int step = preset.simpleMeta.steps[m];
            EXPECT_TRUE (step >= -1 && step < static_cast<int> (maps[m].steps.size())) << kMapNames[m] << " step " << step;
        }
    }
    EXPECT_EQ (simplePresets, 6);

    for (const auto& [category, timbre] : { std::pair { "Analog", "Stack" }, { "Analog", "Saw" }, { "Analog", "Square" },
                                            { "Bass", "Sub Bass" }, { "Texture", "Shimmer" }, { "FM Bass", "Metallic Pluck" } })
        EXPECT_NE (findTimbre (library, category, timbre), nullptr) << category << " / " << timbre;
}

TEST (SimpleShippedData, EachMapGradesItsDimensionFromGentleToStrong)
{
    struct Grade { const char* map; ParamID id; bool rising; };
    const Grade grades[] = {
        { "Tone", ParamID::filt_cutoff, false },      // open to murky
        { "Tone", ParamID::eq_high_gain, false },
        { "Punch", ParamID::amp_sustain, false },     // swell to stab
        { "Punch", ParamID::amp_decay, false },
        { "Movement", ParamID::lfo1_rate, true },     // still to jitter
        { "Movement", ParamID::osc1_drift_amt, true },
        { "Space", ParamID::reverb_mix, true },       // dry to infinite
        { "Space", ParamID::reverb_size, true },
        { "Density", ParamID::osc1_unison, true },    // single to massive
        { "Density", ParamID::osc1_detune, true },
    };

    const auto maps = loadCharacterMaps (shippedResources());
    for (const auto& grade : grades)
    {
        const auto map = std::find_if (maps.begin(), maps.end(), [&grade] (const CharacterMap& m) { return m.name == grade.map; });
        ASSERT_NE (map, maps.end()) << grade.map;
        for (std::size_t s = 1; s < map->steps.size(); ++s)
        {
            const float before = valueIn (map->steps[s - 1], grade.id), after = valueIn (map->steps[s], grade.id);
            EXPECT_TRUE (grade.rising ? after > before : after < before)
                << grade.map << " " << parameterSpec (grade.id).id << " step " << s << ": " << before << " then " << after;
        }
    }
}
