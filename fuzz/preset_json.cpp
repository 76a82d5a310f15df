// A preset file's bytes through presetFromJson, as readPresetFile reads them.
// Whatever it reads must write out and read back as the same document, and
// applying it to the engine must leave a sound that plays finite audio. One
// engine plays every input, reset before each; now and then an input plays
// on a new engine too and must sound the same. Mutations work on the JSON
// tree (JsonMutator.h), so most inputs are documents the reader takes in.

#include "FuzzSupport.h"
#include "JsonMutator.h"

#include "dsp/FactoryWavetables.h"
#include "engine/SynthEngine.h"
#include "presets/PresetDocument.h"

#include <cmath>
#include <memory>

using namespace plumora;

namespace
{
bool sameValue (float a, float b)
{
    return a == b || (std::isnan (a) && std::isnan (b));
}

// The fields presetToJson writes for the document's scope.
void checkRoundTrip (const PresetDocument& read)
{
    const auto again = presetFromJson (presetToJson (read));
    fuzz::check (again.name == read.name, "the name does not survive writing");
    fuzz::check (again.version == read.version, "the version does not survive writing");
    fuzz::check (again.scope == read.scope, "the scope does not survive writing");
    fuzz::check (again.tags.category == read.tags.category && again.tags.character == read.tags.character,
                 "the tags do not survive writing");
    fuzz::check (again.parameters.size() == read.parameters.size(), "parameters are lost in writing");
    for (std::size_t i = 0; i < read.parameters.size(); ++i)
    {
        fuzz::check (again.parameters[i].first == read.parameters[i].first, "a parameter name changes in writing");
        fuzz::check (sameValue (again.parameters[i].second, read.parameters[i].second), "a parameter value changes in writing");
    }
    if (read.scope == PresetScope::complete || read.scope == PresetScope::modulation)
    {
        fuzz::check (again.routings.size() == read.routings.size(), "routings are lost in writing");
        for (std::size_t i = 0; i < read.routings.size(); ++i)
            fuzz::check (again.routings[i].source == read.routings[i].source && again.routings[i].target == read.routings[i].target
                             && sameValue (again.routings[i].depth, read.routings[i].depth),
                         "a routing changes in writing");
    }
    fuzz::check (again.simpleMeta.present == read.simpleMeta.present && again.simpleMeta.steps == read.simpleMeta.steps,
                 "the S!MPLE page's data change in writing");
}

// Made and prepared once: a new engine takes about 8 ms under the sanitizers.
SynthEngine& sharedEngine()
{
    static auto synth = [] {
        auto made = std::make_unique<SynthEngine>();
        made->prepare (fuzz::kRate, fuzz::kBlock);
        return made;
    }();
    return *synth;
}

// Applies the document over the defaults and sets every parameter as a host
// pushes them, then plays two notes into their release.
void applyAndPlay (SynthEngine& synth, const PresetDocument& document, fuzz::Fingerprint& fingerprint)
{
    const PresetDocument defaults;
    applyPresetToEngine (synth, defaults);
    applyPresetToEngine (synth, document);
    const auto values = presetValuesOver (presetValuesOver ({}, defaults), document);
    for (int row = 0; row < kNumParameters; ++row)
        synth.setParameter (static_cast<ParamID> (row), values[static_cast<std::size_t> (row)]);

    juce::AudioBuffer<float> buffer (2, fuzz::kBlock);
    synth.noteOn (1, 60, 0.9f);
    synth.noteOn (1, 67, 0.9f);
    for (int block = 0; block < 4; ++block)
    {
        if (block == 2)
        {
            synth.noteOff (1, 60);
            synth.noteOff (1, 67);
        }
        synth.render (buffer.getArrayOfWritePointers(), 2, fuzz::kBlock);
        fuzz::check (fuzz::isFinite (buffer), "a preset made the engine render a sample that is not finite");
        fingerprint.add (buffer);
    }
}

fuzz::JsonWords presetWords()
{
    fuzz::JsonWords words;
    words.keys.addTokens ("name version scope tags category complexity character effectTarget wavetable1 wavetable2 parameters "
                          "modRoutings source target depth audioRate macros mpeEnabled savedFromMode simpleMeta timbreName "
                          "timbreCategory blockSteps", false);
    words.texts.addTokens ("per_voice per_note_capture global beginner advanced Bass Pad Lead Keys Pluck", false);
    for (int row = 0; row < kNumParameters; ++row)
    {
        words.keys.add (parameterCatalogue()[row].id);
        words.texts.add (parameterCatalogue()[row].id);
    }
    for (int scope = 0; scope < kNumPresetScopes; ++scope)
        words.texts.add (scopeId (static_cast<PresetScope> (scope)));
    for (int source = 0; source < kNumModSources; ++source)
        words.texts.add (modSourceId (static_cast<ModSourceID> (source)));
    for (const auto& table : factoryWavetableNames())
        words.texts.add (table);
    for (const auto& effect : effectTargets())
        words.texts.add (effect.id);
    return words;
}
const fuzz::JsonWords& formatWords()
{
    static const auto words = presetWords();
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

    // As a file is read: the bytes as text in whichever encoding they announce.
    const auto document = presetFromJson (juce::String::createStringFromData (data, static_cast<int> (size)));
    checkRoundTrip (document);

    auto& synth = sharedEngine();
    synth.reset();
    fuzz::Fingerprint afterOthers;
    applyAndPlay (synth, document, afterOthers);

    if (fuzz::isResetCheckInput())
    {
        auto alone = std::make_unique<SynthEngine>();
        alone->prepare (fuzz::kRate, fuzz::kBlock);
        fuzz::Fingerprint fresh;
        applyAndPlay (*alone, document, fresh);
        fuzz::checkResetLeftNothing (afterOthers, fresh);
    }
    return 0;
}
