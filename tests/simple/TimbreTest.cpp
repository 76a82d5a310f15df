#include "dsp/FactoryWavetables.h"
#include "simple/Timbre.h"
#include "simple/TimbreSound.h"
#include "support/Spectrum.h"
#include "SimpleTestSupport.h"

#include <gtest/gtest.h>

using namespace plumora;
using plumora::test::StereoSignal;
using plumora::test::TemporaryFolder;

namespace
{
std::vector<TimbreCategory> libraryFromText (const juce::String& text)
{
    TemporaryFolder temporary;
    temporary.write ("resources/timbres/index.json", text);
    return loadTimbreLibrary (temporary.root.getChildFile ("resources"));
}

std::vector<ParamID> idsOf (const std::vector<ParameterSetting>& settings)
{
    std::vector<ParamID> ids;
    for (const auto& setting : settings)
        ids.push_back (setting.id);
    return ids;
}
} // namespace

TEST (SimpleTimbreLibrary, ReadsEveryFieldWithTheDocumentedDefaults)
{
    const auto library = libraryFromText (R"({"categories": [
        {"name": "Analog", "timbres": [
            {"name": "Stack", "wavetable": "factory:analog_stack", "defaultWtPosition": 0.3, "osc2Enabled": true,
             "subLevel": 0.2, "noiseLevel": 0.1, "brightnessMap": [0, 0.5, 1], "harshnessMap": [0.25],
             "extraParams": {"voice_mode": 1, "filt_cutof": 800, "glide_time": "0.05", "fm_depth": 0.3}},
            {}
        ]},
        {"name": "Empty"}
    ]})");

    ASSERT_EQ (library.size(), 2u);
    EXPECT_EQ (library[0].name, "Analog");
    ASSERT_EQ (library[0].timbres.size(), 2u);

    const auto& stack = library[0].timbres[0];
    EXPECT_EQ (stack.name, "Stack");
    EXPECT_EQ (stack.wavetable, "factory:analog_stack");
    EXPECT_FLOAT_EQ (stack.defaultWtPosition, 0.3f);
    EXPECT_TRUE (stack.osc2Enabled);
    EXPECT_FLOAT_EQ (stack.subLevel, 0.2f);
    EXPECT_FLOAT_EQ (stack.noiseLevel, 0.1f);
    EXPECT_EQ (stack.brightnessMap, (std::vector<float> { 0.0f, 0.5f, 1.0f }));
    EXPECT_EQ (stack.harshnessMap, (std::vector<float> { 0.25f }));
    // The misspelt id is dropped; the others keep their order; numeric text converts.
    EXPECT_EQ (idsOf (stack.extraParams), (std::vector<ParamID> { ParamID::voice_mode, ParamID::glide_time, ParamID::fm_depth }));
    EXPECT_FLOAT_EQ (stack.extraParams[1].value, 0.05f);

    const auto& blank = library[0].timbres[1];
    EXPECT_TRUE (blank.name.isEmpty() && blank.wavetable.isEmpty());
    EXPECT_FALSE (blank.osc2Enabled);
    EXPECT_EQ (blank.defaultWtPosition + blank.subLevel + blank.noiseLevel, 0.0f);
    EXPECT_TRUE (blank.brightnessMap.empty() && blank.harshnessMap.empty() && blank.extraParams.empty());

    EXPECT_EQ (library[1].name, "Empty");
    EXPECT_TRUE (library[1].timbres.empty());
}

TEST (SimpleTimbreLibrary, BadFilesGiveAnEmptyLibraryAndBadEntriesStayAsBlanks)
{
    struct Case { const char* what; juce::String text; std::size_t categories; };
    const Case cases[] = {
        { "not JSON", "{\"categories\": [", 0 },
        { "top level an array", "[{\"name\": \"Analog\"}]", 0 },
        { "categories not an array", R"({"categories": {"name": "Analog"}})", 0 },
        { "no categories", R"({"timbres": []})", 0 },
        { "nested far too deep", R"({"categories": )" + juce::String::repeatedString ("[", 100000), 0 },
        { "larger than any data file", R"({"categories": [)" + juce::String::repeatedString (R"({"name": "x"},)", 100000) + "{}]}", 0 },
        { "elements of the wrong kind stay as nameless categories", R"({"categories": [3, "Analog", null, {"name": 7}]})", 4 },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        const auto library = libraryFromText (c.text);
        ASSERT_EQ (library.size(), c.categories);
        for (const auto& category : library)
            EXPECT_TRUE (category.name.isEmpty() && category.timbres.empty());
    }

    const auto wrongTypes = libraryFromText (R"({"categories": [{"name": "A", "timbres": [
        {"name": ["x"], "wavetable": 12, "defaultWtPosition": "high", "osc2Enabled": "yes", "subLevel": {},
         "brightnessMap": {"a": 1}, "harshnessMap": [true, "0.5", {}, null, 1e999], "extraParams": [1, 2]},
        7, "Saw"]}]})");
    ASSERT_EQ (wrongTypes.size(), 1u);
    ASSERT_EQ (wrongTypes[0].timbres.size(), 3u) << "non-object timbres stay as blanks";
    const auto& odd = wrongTypes[0].timbres[0];
    EXPECT_TRUE (odd.name.isEmpty() && odd.wavetable.isEmpty());
    EXPECT_EQ (odd.defaultWtPosition + odd.subLevel, 0.0f);
    EXPECT_FALSE (odd.osc2Enabled);
    EXPECT_TRUE (odd.brightnessMap.empty() && odd.extraParams.empty());
    EXPECT_EQ (odd.harshnessMap, (std::vector<float> { 1.0f, 0.5f, 0.0f, 0.0f, 0.0f }));
}

TEST (SimpleTimbreLibrary, MissingFileOrAFolderInItsPlaceGivesAnEmptyLibrary)
{
    TemporaryFolder temporary;
    EXPECT_TRUE (loadTimbreLibrary (temporary.root).empty());
    temporary.folder ("timbres/index.json");
    EXPECT_TRUE (loadTimbreLibrary (temporary.root).empty());
    EXPECT_TRUE (loadTimbreLibrary (juce::File()).empty());
}

TEST (SimpleWavetableCache, OneTablePerIdAndUnknownIdsGiveTheAnalogStack)
{
    WavetableCache cache;
    const auto saw = cache.get ("factory:saw");
    EXPECT_EQ (cache.get ("factory:saw"), saw);
    EXPECT_EQ (saw, makeFactoryWavetable ("factory:saw"));
    const auto stack = makeFactoryWavetable ("factory:analog_stack");
    EXPECT_EQ (cache.get (""), stack);
    EXPECT_EQ (cache.get ("factory:Saw"), stack);
    EXPECT_EQ (cache.size(), 3u);
}

using SimpleApplyTimbre = plumora::test::ProcessorFixture;

TEST_F (SimpleApplyTimbre, InstallsTheTableOnOscillatorOneAndSetsTheLevelsOnEngineAndHost)
{
    WavetableCache cache;
    auto& engine = processor.engine();
    const auto secondTable = engine.wavetable (1);

    Timbre shimmer;
    shimmer.wavetable = "factory:fm_bell";
    shimmer.defaultWtPosition = 0.25f;
    shimmer.osc2Enabled = true;
    shimmer.subLevel = 0.3f;
    shimmer.noiseLevel = 0.05f;
    EXPECT_TRUE (applyTimbre (shimmer, {}, cache, writer).empty());

    EXPECT_EQ (engine.wavetable (0), makeFactoryWavetable ("factory:fm_bell"));
    EXPECT_EQ (engine.wavetableId (0), "factory:fm_bell");
    EXPECT_EQ (engine.wavetable (1), secondTable) << "a timbre never changes oscillator 2's table";

    render (0.02); // the next block's parameter push keeps what was set
    for (const auto& [id, value] : { std::pair { ParamID::osc1_wt_pos, 0.25f }, { ParamID::sub_level, 0.3f },
                                     { ParamID::noise_level, 0.05f }, { ParamID::osc2_level, 0.5f } })
    {
        EXPECT_NEAR (hostValue (id), value, 1.0e-6f) << parameterSpec (id).id;
        EXPECT_NEAR (engineValue (id), value, 1.0e-6f) << parameterSpec (id).id;
    }

    Timbre unnamed; // no table id, osc2 off
    applyTimbre (unnamed, {}, cache, writer);
    EXPECT_EQ (engine.wavetable (0), makeFactoryWavetable ("factory:analog_stack"));
    EXPECT_EQ (engine.wavetableId (0), "factory:analog_stack") << "a saved sound names the table that really plays";
    EXPECT_EQ (hostValue (ParamID::osc2_level), 0.0f);
}

TEST_F (SimpleApplyTimbre, ExtraParametersNeverAccumulate)
{
    WavetableCache cache;
    Timbre growl;
    growl.extraParams = { { ParamID::fm_mode, 1.0f }, { ParamID::fm_depth, 0.25f }, { ParamID::voice_mode, 1.0f } };
    Timbre keys;
    keys.extraParams = { { ParamID::osc_warmth, 0.2f }, { ParamID::osc1_unison, 2.6f } };

    auto extras = applyTimbre (growl, {}, cache, writer);
    EXPECT_EQ (extras, (std::vector<ParamID> { ParamID::fm_mode, ParamID::fm_depth, ParamID::voice_mode }));
    EXPECT_EQ (hostValue (ParamID::fm_mode), 1.0f);

    extras = applyTimbre (keys, extras, cache, writer);
    EXPECT_EQ (extras, (std::vector<ParamID> { ParamID::osc_warmth, ParamID::osc1_unison }));
    render (0.02);
    for (const auto id : { ParamID::fm_mode, ParamID::fm_depth, ParamID::voice_mode })
    {
        EXPECT_EQ (hostValue (id), parameterSpec (id).defaultValue) << parameterSpec (id).id;
        EXPECT_EQ (engineValue (id), parameterSpec (id).defaultValue) << parameterSpec (id).id;
    }
    EXPECT_FLOAT_EQ (hostValue (ParamID::osc_warmth), 0.2f);
    EXPECT_EQ (hostValue (ParamID::osc1_unison), 3.0f) << "the host parameter snaps to a whole number";
}

TEST_F (SimpleApplyTimbre, TheShippedTimbresSoundDifferent)
{
    // The Sub Bass is a sine with a sub oscillator; the Saw is full of
    // harmonics. Measured in rendered audio, after the parameter push.
    const auto library = loadTimbreLibrary (plumora::test::shippedResources());
    const auto find = [&library] (const char* name) -> const Timbre&
    {
        for (const auto& category : library)
            for (const auto& timbre : category.timbres)
                if (timbre.name == name)
                    return timbre;
        throw std::runtime_error (name);
    };

    writer.set (ParamID::reverb_bypass, 1.0f); // no tail of one note in the next one's measurement
    writer.set (ParamID::delay_bypass, 1.0f);
    WavetableCache cache;
    const auto brightness = [this] (const StereoSignal& signal)
    {
        const std::vector<float> sustain (signal.left.begin() + 12000, signal.left.begin() + 12000 + 16384);
        const auto spectrum = plumora::test::amplitudeSpectrum (sustain);
        return plumora::test::bandEnergy (spectrum, kRate, 1000.0, 8000.0) / plumora::test::bandEnergy (spectrum, kRate, 20.0, 20000.0);
    };

    auto extras = applyTimbre (find ("Saw"), {}, cache, writer);
    const double saw = brightness (render (0.7, noteOn (45)));
    render (1.5, noteOff (45));

    extras = applyTimbre (find ("Sub Bass"), extras, cache, writer);
    const double sub = brightness (render (0.7, noteOn (45)));

    EXPECT_GT (saw, 1.0e-3);
    EXPECT_LT (sub, saw * 0.01);
    EXPECT_GT (hostValue (ParamID::sub_level), 0.0f);
}
