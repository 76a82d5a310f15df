// The bytes as a character map file (resources/character_maps/tone.json)
// through loadCharacterMap and loadCharacterMaps. Every number read must be
// finite; each step, the animation and the reset, done as the S!MPLE page
// does them, must leave a sound that plays finite audio; and a reset must
// leave no routing onto the map's parameters and those at their defaults.

#include "FuzzSupport.h"

#include "simple/CharacterMap.h"
#include "simple/CharacterMapState.h"
#include "simple/DataFile.h"

#include <algorithm>

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

    static fuzz::ScratchFolder resources;
    const auto file = resources.write ("character_maps/tone.json", data, size);
    const auto map = loadCharacterMap (file);
    checkNumbers (map);
    fuzz::check (loadCharacterMaps (resources.root).size() == (isReadableDataFile (file) ? 1u : 0u),
                 "the folder reader does not see the one readable map");

    PlumoraAudioProcessor processor;
    processor.prepareToPlay (fuzz::kRate, fuzz::kBlock);
    const ParameterWriter writer (processor.engine(), processor.parameters());
    CharacterMapState state (map);

    const int steps = std::min (kStepsPlayed, static_cast<int> (map.steps.size()));
    for (int step = 0; step < steps; ++step)
    {
        applyStep (state, step, writer);
        fuzz::playChordAndCheck (processor, 1);
    }
    toggleAnimation (state, writer);
    fuzz::playChordAndCheck (processor, 1);
    resetMap (state, writer);
    checkReset (state, processor);
    fuzz::playChordAndCheck (processor, 1);
    checkEngineTookReset (state, processor);
    return 0;
}
