#include "DataFile.h"

#include "presets/SafeJson.h"

#include <cmath>

namespace plumora
{

bool isReadableDataFile (const juce::File& file)
{
    return file != juce::File() && file.existsAsFile() && file.getSize() <= kLargestDataFile;
}

juce::var readDataFile (const juce::File& file)
{
    if (! isReadableDataFile (file))
        return {};
    // The data files nest four levels deep.
    return parseJsonSafely (file.loadFileAsString(), 32);
}

float numberFrom (const juce::var& value)
{
    if (! (value.isInt() || value.isInt64() || value.isDouble() || value.isBool() || value.isString()))
        return 0.0f;
    const auto number = static_cast<float> (doubleFrom (value));
    return std::isfinite (number) ? number : 0.0f;
}

juce::String textFrom (const juce::var& value)
{
    return value.isString() ? value.toString() : juce::String();
}

bool flagFrom (const juce::var& value)
{
    if (value.isBool())
        return static_cast<bool> (value);
    return (value.isInt() || value.isInt64() || value.isDouble()) && numberFrom (value) != 0.0f;
}

std::vector<ParameterSetting> parameterSettingsFrom (const juce::var& object)
{
    std::vector<ParameterSetting> settings;
    if (auto* properties = object.getDynamicObject())
        for (const auto& property : properties->getProperties())
            if (const auto id = findParamID (property.name.toString().toStdString()))
                settings.push_back ({ *id, numberFrom (property.value) });
    return settings;
}

} // namespace plumora
