#include "PresetDocument.h"

#include "HostParameters.h"
#include "SafeJson.h"
#include "ShortestDecimal.h"

#include "engine/SynthEngine.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace plumora
{
namespace
{
// Files larger than this are not presets; reading them would only waste memory.
constexpr juce::int64 kLargestPresetFile = 4 * 1024 * 1024;

bool carriesRoutings (PresetScope scope) noexcept { return scope == PresetScope::complete || scope == PresetScope::modulation; }
bool carriesWavetables (PresetScope scope) noexcept { return scope == PresetScope::complete || scope == PresetScope::oscillators; }

juce::var stringArray (const juce::StringArray& strings)
{
    juce::Array<juce::var> items;
    for (const auto& s : strings)
        items.add (s);
    return items;
}

// The parameters listed in a document, with their ParamIDs (unknown ids dropped).
template <class Setter>
void forEachValue (const PresetDocument& document, Setter&& set)
{
    // Reset: everything the scope covers returns to its default first.
    for (int row = 0; row < kNumParameters; ++row)
    {
        const auto id = static_cast<ParamID> (row);
        if (isInScope (document.scope, id))
            set (id, parameterSpec (id).defaultValue);
    }
    // Values: every listed, known parameter, in list order, whatever its scope.
    for (const auto& [name, value] : document.parameters)
        if (const auto id = findParamID (name.toStdString()))
            set (*id, value);
}

// A number as a float that a written document keeps: past the float range,
// the largest float of its sign (an infinity would be written as null and
// read back as 0; the engine clamps either to the parameter's range). NaN,
// which no document can carry, reads as 0.
float asFloat (const juce::var& value)
{
    const double number = doubleFrom (value);
    if (std::isnan (number))
        return 0.0f;
    constexpr double kLargest = std::numeric_limits<float>::max();
    return static_cast<float> (std::clamp (number, -kLargest, kLargest));
}

// A float as the double a document is written with: the one of the
// shortest decimal that reads back as the same float (0.3, not the
// 0.30000001192092896 the float is exactly).
double asWritten (float value)
{
    if (! std::isfinite (value))
        return static_cast<double> (value);
    return shortestDecimal (value, [value] (double candidate) { return static_cast<float> (candidate) == value; });
}

// A whole number as var reads one, but limited to the int range: var's own
// conversion of a double past that range is undefined (and of a 64-bit
// integer, a wrapped value). NaN reads as 0.
int asInt (const juce::var& value)
{
    if (! (value.isDouble() || value.isInt64()))
        return static_cast<int> (value);
    const double number = static_cast<double> (value);
    if (std::isnan (number))
        return 0;
    return static_cast<int> (std::clamp (number, static_cast<double> (std::numeric_limits<int>::min()),
                                          static_cast<double> (std::numeric_limits<int>::max())));
}
} // namespace

PresetDocument capturePreset (const ParameterValues& values, const SynthEngine& engine, PresetScope scope, bool skipDefaults)
{
    PresetDocument document;
    document.version = 1;
    document.scope = scope;

    for (int row = 0; row < kNumParameters; ++row)
    {
        const auto id = static_cast<ParamID> (row);
        if (! isInScope (scope, id))
            continue;
        const float value = values[static_cast<std::size_t> (row)];
        if (skipDefaults && value == parameterSpec (id).defaultValue)
            continue;
        document.parameters.emplace_back (parameterSpec (id).id, value);
    }

    if (carriesRoutings (scope))
    {
        document.routings = RoutingCodec::encode (engine.modMatrix().routings());
        document.macro1 = values[static_cast<std::size_t> (index (ParamID::macro1))];
        document.macro2 = values[static_cast<std::size_t> (index (ParamID::macro2))];
    }

    if (scope == PresetScope::complete)
        document.mpeEnabled = engine.isMpeEnabled();
    return document;
}

juce::String presetToJson (const PresetDocument& document)
{
    auto* root = new juce::DynamicObject();
    juce::var json (root);

    root->setProperty ("name", document.name);
    root->setProperty ("version", document.version);
    root->setProperty ("scope", scopeId (document.scope));
    if (document.scope == PresetScope::effects && document.effectTarget.isNotEmpty())
        root->setProperty ("effectTarget", document.effectTarget);

    auto* tags = new juce::DynamicObject();
    tags->setProperty ("category", document.tags.category);
    tags->setProperty ("complexity", document.tags.complexity);
    tags->setProperty ("character", stringArray (document.tags.character));
    root->setProperty ("tags", juce::var (tags));

    if (carriesWavetables (document.scope))
    {
        root->setProperty ("wavetable1", document.wavetable1);
        root->setProperty ("wavetable2", document.wavetable2);
    }

    auto* parameters = new juce::DynamicObject();
    for (const auto& [name, value] : document.parameters)
        parameters->setProperty (name, asWritten (value));
    root->setProperty ("parameters", juce::var (parameters));

    if (carriesRoutings (document.scope))
    {
        juce::Array<juce::var> routings;
        for (const auto& routing : document.routings)
        {
            auto* item = new juce::DynamicObject();
            item->setProperty ("source", routing.source);
            item->setProperty ("target", routing.target);
            item->setProperty ("depth", asWritten (routing.depth));
            item->setProperty ("scope", routing.scope);
            item->setProperty ("audioRate", routing.audioRate);
            routings.add (juce::var (item));
        }
        root->setProperty ("modRoutings", routings);
        root->setProperty ("macros", juce::Array<juce::var> { asWritten (document.macro1), asWritten (document.macro2) });
    }

    if (document.scope == PresetScope::complete)
        root->setProperty ("mpeEnabled", document.mpeEnabled);
    if (document.savedFromMode.isNotEmpty())
        root->setProperty ("savedFromMode", document.savedFromMode);

    if (document.simpleMeta.present)
    {
        auto* meta = new juce::DynamicObject();
        meta->setProperty ("timbreName", document.simpleMeta.timbreName);
        meta->setProperty ("timbreCategory", document.simpleMeta.timbreCategory);
        juce::Array<juce::var> steps;
        for (const int step : document.simpleMeta.steps)
            steps.add (step);
        meta->setProperty ("blockSteps", steps);
        root->setProperty ("simpleMeta", juce::var (meta));
    }

    return juce::JSON::toString (json, true, 15);
}

PresetDocument presetFromJson (const juce::String& text)
{
    PresetDocument document;
    // No preset nests deeper than a few levels.
    const auto json = parseJsonSafely (text, 64);
    auto* root = json.getDynamicObject();
    if (root == nullptr)
        return document;

    const auto get = [root] (const char* key) { return root->getProperty (key); };

    document.name = get ("name").toString();
    document.version = root->hasProperty ("version") ? asInt (get ("version")) : 0;
    document.scope = scopeFromId (get ("scope").toString());
    document.effectTarget = get ("effectTarget").toString();

    if (auto* tags = get ("tags").getDynamicObject())
    {
        document.tags.category = tags->getProperty ("category").toString();
        document.tags.complexity = tags->getProperty ("complexity").toString();
        if (const auto* character = tags->getProperty ("character").getArray())
            for (const auto& word : *character)
                document.tags.character.add (word.toString());
    }

    document.wavetable1 = get ("wavetable1").toString();
    document.wavetable2 = get ("wavetable2").toString();

    // A value that is no number at all ("nan") is left out: the parameter takes its default.
    if (auto* parameters = get ("parameters").getDynamicObject())
        for (const auto& property : parameters->getProperties())
            if (! std::isnan (doubleFrom (property.value)))
                document.parameters.emplace_back (property.name.toString(), asFloat (property.value));

    if (const auto* routings = get ("modRoutings").getArray())
        for (const auto& item : *routings)
        {
            PresetRouting routing;
            if (auto* object = item.getDynamicObject())
            {
                routing.source = object->getProperty ("source").toString();
                routing.target = object->getProperty ("target").toString();
                routing.depth = object->hasProperty ("depth") ? asFloat (object->getProperty ("depth")) : 0.0f;
                routing.scope = object->getProperty ("scope").toString();
                if (routing.scope.isEmpty())
                    routing.scope = "global";
                routing.audioRate = object->hasProperty ("audioRate") && static_cast<bool> (object->getProperty ("audioRate"));
            }
            document.routings.push_back (routing);
        }

    if (const auto* macros = get ("macros").getArray(); macros != nullptr && macros->size() >= 2)
    {
        document.macro1 = asFloat (macros->getReference (0));
        document.macro2 = asFloat (macros->getReference (1));
    }

    if (root->hasProperty ("mpeEnabled") && ! get ("mpeEnabled").isVoid())
        document.mpeEnabled = static_cast<bool> (get ("mpeEnabled"));
    document.savedFromMode = get ("savedFromMode").toString();

    if (auto* meta = get ("simpleMeta").getDynamicObject())
    {
        document.simpleMeta.present = true;
        document.simpleMeta.timbreName = meta->getProperty ("timbreName").toString();
        document.simpleMeta.timbreCategory = meta->getProperty ("timbreCategory").toString();
        if (const auto* steps = meta->getProperty ("blockSteps").getArray())
            for (int i = 0; i < juce::jmin (steps->size(), 5); ++i)
                document.simpleMeta.steps[static_cast<std::size_t> (i)] = asInt (steps->getReference (i));
    }
    return document;
}

bool writePresetFile (const PresetDocument& document, const juce::File& file)
{
    if (file == juce::File() || file.isDirectory() || ! file.getParentDirectory().isDirectory())
        return false;
    // The whole text goes to a hidden file first, which replaces the target
    // only once it is written completely: a full disk leaves the old file.
    juce::TemporaryFile temporary (file, juce::TemporaryFile::useHiddenFile);
    {
        juce::FileOutputStream out (temporary.getFile());
        if (! out.openedOk() || ! out.writeText (presetToJson (document), false, false, "\r\n"))
            return false;
        out.flush();
        if (out.getStatus().failed())
            return false;
    }
    return temporary.overwriteTargetFileWithTemporary();
}

PresetDocument readPresetFile (const juce::File& file)
{
    if (file == juce::File() || ! file.existsAsFile() || file.getSize() > kLargestPresetFile)
        return {};
    return presetFromJson (file.loadFileAsString());
}

void applyPresetToParameters (juce::AudioProcessorValueTreeState& parameters, const PresetDocument& document)
{
    forEachValue (document, [&parameters] (ParamID id, float value) { HostParameters::write (parameters, id, value); });
}

ParameterValues presetValuesOver (ParameterValues values, const PresetDocument& document)
{
    forEachValue (document, [&values] (ParamID id, float value)
    {
        values[static_cast<std::size_t> (index (id))] = parameterSpec (id).clamp (value);
    });
    return values;
}

void applyPresetToEngine (SynthEngine& engine, const PresetDocument& document)
{
    if (carriesRoutings (document.scope))
        engine.modMatrix().replaceRoutings (RoutingCodec::decode (document.routings)); // one hand-over for the whole list

    if (document.scope == PresetScope::complete)
        engine.setMpeEnabled (document.mpeEnabled);
}

} // namespace plumora
