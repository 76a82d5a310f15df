// The bytes as resources/timbres/index.json through loadTimbreLibrary. Every
// number it reads must be finite, and every timbre it reads, applied as the
// S!MPLE page applies it, must leave a sound that plays finite audio.

#include "FuzzSupport.h"

#include "simple/Timbre.h"
#include "simple/TimbreSound.h"

#include <memory>

using namespace plumora;

namespace
{
// Applying and playing costs far more than reading; a few timbres per input
// keep the fuzzer fast, and the fuzzer moves any timbre to the front.
constexpr int kTimbresPlayed = 4;

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
    resources.write ("timbres/index.json", data, size);
    const auto library = loadTimbreLibrary (resources.root);

    PlumoraAudioProcessor processor;
    processor.prepareToPlay (fuzz::kRate, fuzz::kBlock);
    const ParameterWriter writer (processor.engine(), processor.parameters());
    WavetableCache tables;
    std::vector<ParamID> extraParams;
    int played = 0;
    for (const auto& category : library)
        for (const auto& timbre : category.timbres)
        {
            checkNumbers (timbre);
            if (played++ < kTimbresPlayed)
            {
                extraParams = applyTimbre (timbre, extraParams, tables, writer);
                fuzz::playChordAndCheck (processor, 2);
            }
        }
    return 0;
}
