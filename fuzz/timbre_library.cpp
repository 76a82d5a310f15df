// The bytes as resources/timbres/index.json through loadTimbreLibrary. Every
// number it reads must be finite, and every timbre it reads, applied as the
// S!MPLE page applies it, must leave a sound that plays finite audio. One
// processor plays every input, reset before each; now and then an input
// plays on a new processor too and must sound the same. Mutations work on
// the JSON tree (JsonMutator.h), so most inputs are libraries the reader
// takes in.

#include "FuzzSupport.h"
#include "JsonMutator.h"

#include "dsp/FactoryWavetables.h"
#include "simple/Timbre.h"
#include "simple/TimbreSound.h"

#include <cmath>
#include <memory>

using namespace plumora;

namespace
{
// Applying and playing costs far more than reading; a few timbres per input
// keep the fuzzer fast, and the fuzzer moves any timbre to the front.
constexpr std::size_t kTimbresPlayed = 4;

bool allFinite (const std::vector<float>& numbers)
{
    for (const float x : numbers)
        if (! std::isfinite (x))
            return false;
    return true;
}

void checkNumbers (const Timbre& timbre)
{
    fuzz::check (std::isfinite (timbre.defaultWtPosition) && std::isfinite (timbre.subLevel) && std::isfinite (timbre.noiseLevel),
                 "a timbre level is not finite");
    fuzz::check (allFinite (timbre.brightnessMap) && allFinite (timbre.harshnessMap), "a timbre map holds a number that is not finite");
    for (const auto& setting : timbre.extraParams)
        fuzz::check (std::isfinite (setting.value), "an extra parameter value is not finite");
}

// Applies the timbres one after another, as choosing them on the page does,
// each playing a note that starts with it.
void applyAndPlay (PlumoraAudioProcessor& processor, const std::vector<const Timbre*>& timbres, fuzz::Fingerprint& fingerprint)
{
    const ParameterWriter writer (processor.engine(), processor.parameters());
    WavetableCache tables;
    std::vector<ParamID> extraParams;
    fuzz::Player player (processor, fingerprint);
    int note = 48;
    for (const auto* timbre : timbres)
    {
        extraParams = applyTimbre (*timbre, extraParams, tables, writer);
        player.playNewNote (note += 5, "a timbre made the processor render a sample that is not finite");
    }
    player.releaseLastNote ("a timbre made the processor render a sample that is not finite");
}

fuzz::JsonWords libraryWords()
{
    fuzz::JsonWords words;
    words.keys.addTokens ("categories timbres name wavetable defaultWtPosition osc2Enabled subLevel noiseLevel brightnessMap "
                          "harshnessMap extraParams", false);
    words.texts.addTokens ("Analog Bass Pad Stack Saw", false);
    for (int row = 0; row < kNumParameters; ++row)
        words.keys.add (parameterCatalogue()[row].id);
    for (const auto& table : factoryWavetableNames())
        words.texts.add (table);
    return words;
}
const fuzz::JsonWords& formatWords()
{
    static const auto words = libraryWords();
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
    resources.write ("timbres/index.json", data, size);
    const auto library = loadTimbreLibrary (resources.root);

    std::vector<const Timbre*> played;
    for (const auto& category : library)
        for (const auto& timbre : category.timbres)
        {
            checkNumbers (timbre);
            if (played.size() < kTimbresPlayed)
                played.push_back (&timbre);
        }

    static fuzz::ProcessorRig rig;
    fuzz::runOnSharedRig (rig, fuzz::kBlock, [&played] (PlumoraAudioProcessor& processor, fuzz::Fingerprint& print)
    {
        applyAndPlay (processor, played, print);
    });
    return 0;
}
