// The bytes as a character map file (resources/character_maps/tone.json)
// through loadCharacterMap and loadCharacterMaps. Every number read must be
// finite; each step, the animation and the reset, done as the S!MPLE page
// does them, must leave a sound that plays finite audio; and a reset must
// leave no routing onto the map's parameters and those at their defaults.
// One processor plays every input, reset before each; now and then an input
// plays on a new processor too and must sound the same. Mutations work on
// the JSON tree (JsonMutator.h), so most inputs are maps the reader takes in.

#include "FuzzSupport.h"
#include "JsonMutator.h"

#include "simple/CharacterMap.h"
#include "simple/CharacterMapState.h"
#include "simple/DataFile.h"

#include <algorithm>
#include <cmath>
#include <memory>

using namespace plumora;

namespace
{
// Applying and playing costs far more than reading: a few steps per input.
constexpr int kStepsPlayed = 4;

void checkNumbers (const CharacterMap& map)
{
    for (const auto& step : map.steps)
    {
        for (const auto& setting : step.params)
            fuzz::check (std::isfinite (setting.value), "a step's parameter value is not finite");
        for (const auto& routing : step.routings)
            fuzz::check (std::isfinite (routing.depth), "a step's routing depth is not finite");
    }
}

void checkReset (const CharacterMapState& state, PlumoraAudioProcessor& processor)
{
    for (const auto& routing : processor.engine().modMatrix().routings())
        fuzz::check (std::find_if (state.mapParameters.begin(), state.mapParameters.end(),
                                   [&routing] (ParamID id) { return index (id) == routing.target; })
                         == state.mapParameters.end(),
                     "a routing onto a map parameter outlives the reset");
    // The reset writes the host parameters, the one store of values; they
    // keep a normalised value, so the default comes back to within rounding.
    for (const auto id : state.mapParameters)
    {
        const auto* parameter = processor.parameters().getParameter (parameterSpec (id).id);
        fuzz::check (parameter != nullptr && std::abs (parameter->getValue() - parameter->getDefaultValue()) < 1.0e-6f,
                     "a map parameter is not at its default after the reset");
    }
}

void checkEngineTookReset (const CharacterMapState& state, PlumoraAudioProcessor& processor)
{
    for (const auto id : state.mapParameters)
        fuzz::check (processor.engine().parameterValue (id) == processor.parameters().getRawParameterValue (parameterSpec (id).id)->load(),
                     "the engine did not take the reset at its next block");
}

// The block's operations as the page does them, each followed by a block
// that starts a note under the sound it left.
void operateAndPlay (PlumoraAudioProcessor& processor, const CharacterMap& map, fuzz::Fingerprint& fingerprint)
{
    const char* const notFinite = "a character map made the processor render a sample that is not finite";
    const ParameterWriter writer (processor.engine(), processor.parameters());
    CharacterMapState state (map);
    fuzz::Player player (processor, fingerprint);
    int note = 48;

    const int steps = std::min (kStepsPlayed, static_cast<int> (map.steps.size()));
    for (int step = 0; step < steps; ++step)
    {
        applyStep (state, step, writer);
        player.playNewNote (note += 5, notFinite);
    }
    toggleAnimation (state, writer);
    player.playNewNote (note += 5, notFinite);
    resetMap (state, writer);
    checkReset (state, processor);
    player.playNewNote (note += 5, notFinite);
    checkEngineTookReset (state, processor);
    player.releaseLastNote (notFinite);
}

fuzz::JsonWords mapWords()
{
    fuzz::JsonWords words;
    words.keys.addTokens ("name steps label params routings source target depth scope", false);
    words.texts.addTokens ("Tone Punch Movement Space Density LFO1 LFO2 LFO3 LFO4 ModEnv1 ModEnv2 Macro1 Macro2 "
                           "Global PerVoice PerNoteCapture", false);
    for (int row = 0; row < kNumParameters; ++row)
    {
        words.keys.add (parameterCatalogue()[row].id);
        words.texts.add (parameterCatalogue()[row].id);
    }
    return words;
}
const fuzz::JsonWords& formatWords()
{
    static const auto words = mapWords();
    return words;
}
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    fuzz::initialise();
    return 0;
}

extern "C" std::size_t LLVMFuzzerCustomMutator (std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned int seed)
{
    return fuzz::mutateJson (data, size, maxSize, seed, formatWords());
}

extern "C" std::size_t LLVMFuzzerCustomCrossOver (const std::uint8_t* data1, std::size_t size1, const std::uint8_t* data2,
                                                  std::size_t size2, std::uint8_t* out, std::size_t maxOutSize, unsigned int seed)
{
    return fuzz::crossOverJson (data1, size1, data2, size2, out, maxOutSize, seed, formatWords());
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    if (size > 1024 * 1024)
        return -1;

    static fuzz::ScratchFolder resources;
    const auto file = resources.write ("character_maps/tone.json", data, size);
    const auto map = loadCharacterMap (file);
    checkNumbers (map);
    fuzz::check (loadCharacterMaps (resources.root).size() == (isReadableDataFile (file) ? 1u : 0u),
                 "the folder reader does not see the one readable map");

    static fuzz::ProcessorRig rig;
    fuzz::runOnSharedRig (rig, fuzz::kBlock, [&map] (PlumoraAudioProcessor& processor, fuzz::Fingerprint& print)
    {
        operateAndPlay (processor, map, print);
    });
    return 0;
}
