// The factory presets made on the S!MPLE page sound the same on both pages:
// loading one there selects its timbre and steps its five character blocks,
// and that must land on the values the document already holds.

#include "engine/ModMatrix.h"
#include "simple/CharacterMap.h"
#include "simple/CharacterMapState.h"
#include "simple/Timbre.h"
#include "simple/TimbreSound.h"
#include "SimpleTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <tuple>

using namespace plumora;

namespace
{
struct SoundSnapshot
{
    std::map<std::string, float> parameters;
    std::multiset<std::tuple<std::string, std::string, float, int, bool>> routings;
    std::string wavetable1, wavetable2;
};

SoundSnapshot snapshotOf (PlumoraAudioProcessor& processor)
{
    SoundSnapshot snapshot;
    for (int row = 0; row < kNumParameters; ++row)
    {
        const auto& definition = parameterSpec (*paramIDFromIndex (row));
        snapshot.parameters[definition.id] = processor.parameters().getRawParameterValue (definition.id)->load();
    }
    for (const auto& routing : processor.engine().modMatrix().routings())
        snapshot.routings.insert ({ modSourceId (routing.source), parameterSpec (*paramIDFromIndex (routing.target)).id,
                                    routing.depth, static_cast<int> (routing.scope), routing.audioRate });
    snapshot.wavetable1 = processor.engine().wavetableId (0);
    snapshot.wavetable2 = processor.engine().wavetableId (1);
    return snapshot;
}

// What changed, one line per difference ("" when nothing did).
std::string differences (const SoundSnapshot& before, const SoundSnapshot& after)
{
    std::string text;
    for (const auto& [id, value] : before.parameters)
        if (after.parameters.at (id) != value)
            text += "  " + id + ": " + std::to_string (value) + " -> " + std::to_string (after.parameters.at (id)) + "\n";
    const auto routingText = [] (const auto& routing)
    {
        return std::get<0> (routing) + " -> " + std::get<1> (routing) + " " + std::to_string (std::get<2> (routing));
    };
    for (const auto& routing : before.routings)
        if (after.routings.count (routing) < before.routings.count (routing))
            text += "  routing lost: " + routingText (routing) + "\n";
    for (const auto& routing : after.routings)
        if (before.routings.count (routing) < after.routings.count (routing))
            text += "  routing added: " + routingText (routing) + "\n";
    if (before.wavetable1 != after.wavetable1)
        text += "  wavetable 1: " + before.wavetable1 + " -> " + after.wavetable1 + "\n";
    if (before.wavetable2 != after.wavetable2)
        text += "  wavetable 2: " + before.wavetable2 + " -> " + after.wavetable2 + "\n";
    return text;
}

const Timbre* findTimbre (const std::vector<TimbreCategory>& library, const juce::String& category, const juce::String& name)
{
    for (const auto& entry : library)
        if (entry.name == category)
            for (const auto& timbre : entry.timbres)
                if (timbre.name == name)
                    return &timbre;
    return nullptr;
}
} // namespace

TEST (FactorySimplePresets, TheirTimbreAndStepsAppliedOverThemChangeNothing)
{
    const auto library = loadTimbreLibrary (test::shippedResources());
    const auto maps = loadCharacterMaps (test::shippedResources());
    ASSERT_EQ (maps.size(), 5u);

    PlumoraAudioProcessor lister;
    int checked = 0;
    for (const auto& document : lister.presets().getFactoryPresets())
    {
        if (! document.simpleMeta.present)
            continue;
        SCOPED_TRACE (document.name);
        ++checked;

        auto processor = std::make_unique<PlumoraAudioProcessor>();
        processor->prepareToPlay (48000.0, 512);
        processor->presets().loadPreset (document);
        const auto loaded = snapshotOf (*processor);

        const auto* timbre = findTimbre (library, document.simpleMeta.timbreCategory, document.simpleMeta.timbreName);
        ASSERT_NE (timbre, nullptr) << "the library holds the document's timbre";
        const ParameterWriter writer (processor->engine(), processor->parameters());
        WavetableCache cache;
        applyTimbre (*timbre, {}, cache, writer);
        for (std::size_t block = 0; block < maps.size(); ++block)
        {
            CharacterMapState state (maps[block]);
            applyStep (state, document.simpleMeta.steps[block], writer);
        }

        const auto changed = differences (loaded, snapshotOf (*processor));
        std::printf ("%-18s %s\n%s", document.name.toRawUTF8(), changed.empty() ? "unchanged" : "changed:", changed.c_str());
        EXPECT_EQ (changed, "");
    }
    std::fflush (stdout);
    EXPECT_EQ (checked, 6);
}
