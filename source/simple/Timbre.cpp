#include "Timbre.h"

#include "DataFile.h"

namespace plumora
{
namespace
{
std::vector<float> numbersFrom (const juce::var& value)
{
    std::vector<float> numbers;
    if (const auto* array = value.getArray())
    {
        numbers.reserve (static_cast<std::size_t> (array->size()));
        for (const auto& element : *array)
            numbers.push_back (numberFrom (element));
    }
    return numbers;
}

Timbre timbreFrom (const juce::var& json)
{
    Timbre timbre;
    if (! json.isObject())
        return timbre;
    timbre.name = textFrom (json["name"]);
    timbre.wavetable = textFrom (json["wavetable"]);
    timbre.defaultWtPosition = numberFrom (json["defaultWtPosition"]);
    timbre.osc2Enabled = flagFrom (json["osc2Enabled"]);
    timbre.subLevel = numberFrom (json["subLevel"]);
    timbre.noiseLevel = numberFrom (json["noiseLevel"]);
    timbre.brightnessMap = numbersFrom (json["brightnessMap"]);
    timbre.harshnessMap = numbersFrom (json["harshnessMap"]);
    timbre.extraParams = parameterSettingsFrom (json["extraParams"]);
    return timbre;
}

TimbreCategory categoryFrom (const juce::var& json)
{
    TimbreCategory category;
    if (! json.isObject())
        return category;
    category.name = textFrom (json["name"]);
    if (const auto* timbres = json["timbres"].getArray())
        for (const auto& timbre : *timbres)
            category.timbres.push_back (timbreFrom (timbre));
    return category;
}
} // namespace

std::vector<TimbreCategory> loadTimbreLibrary (const juce::File& resourcesFolder)
{
    std::vector<TimbreCategory> library;
    const auto json = readDataFile (resourcesFolder.getChildFile ("timbres/index.json"));
    if (! json.isObject())
        return library;
    if (const auto* categories = json["categories"].getArray())
        for (const auto& category : *categories)
            library.push_back (categoryFrom (category));
    return library;
}

} // namespace plumora
