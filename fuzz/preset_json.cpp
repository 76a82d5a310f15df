// A preset file's bytes through presetFromJson, as readPresetFile reads them.
// Whatever it reads must write out and read back as the same document, and
// applying it to the engine must leave a sound that plays finite audio.

#include "FuzzSupport.h"

#include "engine/SynthEngine.h"
#include "presets/PresetDocument.h"

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

SynthEngine& engine()
{
    static auto synth = [] {
        auto made = std::make_unique<SynthEngine>();
        made->prepare (fuzz::kRate, fuzz::kBlock);
        return made;
    }();
    return *synth;
}

void playAndCheck (SynthEngine& synth)
{
    juce::AudioBuffer<float> buffer (2, fuzz::kBlock);
    synth.noteOn (1, 60, 0.9f);
    synth.noteOn (1, 67, 0.9f);
    for (int b = 0; b < 4; ++b)
    {
        if (b == 2)
        {
            synth.noteOff (1, 60);
            synth.noteOff (1, 67);
        }
        synth.render (buffer.getArrayOfWritePointers(), 2, fuzz::kBlock);
        fuzz::check (fuzz::isFinite (buffer), "a preset made the engine render a sample that is not finite");
    }
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

    // As a file is read: the bytes as text in whichever encoding they announce.
    const auto document = presetFromJson (juce::String::createStringFromData (data, static_cast<int> (size)));
    checkRoundTrip (document);

    auto& synth = engine();
    synth.prepare (fuzz::kRate, fuzz::kBlock); // silent voices and effects: each input starts alike
    PresetDocument defaults;
    applyPresetToEngine (synth, defaults);
    applyPresetToEngine (synth, document);
    // The values a host would push, from the defaults.
    const auto values = presetValuesOver (presetValuesOver ({}, defaults), document);
    for (int row = 0; row < kNumParameters; ++row)
        synth.setParameter (static_cast<ParamID> (row), values[static_cast<std::size_t> (row)]);
    playAndCheck (synth);
    return 0;
}
