#include "DataFile.h"

#include <cmath>

namespace plumora
{
namespace
{
// juce::JSON recurses once per nesting level, so a file of deeply nested
// brackets would overflow the stack. The data files nest four levels deep.
bool nestsShallowly (const juce::String& text)
{
    constexpr int kDeepestNesting = 32;
    int depth = 0;
    bool inString = false, escaped = false;
    for (auto c = text.getCharPointer(); ! c.isEmpty(); ++c)
    {
        const auto ch = *c;
        if (inString)
        {
            if (escaped)
                escaped = false;
            else if (ch == '\\')
                escaped = true;
            else if (ch == '"')
                inString = false;
        }
        else if (ch == '"')
            inString = true;
        else if ((ch == '{' || ch == '[') && ++depth > kDeepestNesting)
            return false;
        else if (ch == '}' || ch == ']')
            --depth;
    }
    return true;
}
} // namespace

bool isReadableDataFile (const juce::File& file)
{
    return file != juce::File() && file.existsAsFile() && file.getSize() <= kLargestDataFile;
}

juce::var readDataFile (const juce::File& file)
{
    if (! isReadableDataFile (file))
        return {};
    const auto text = file.loadFileAsString();
    if (! nestsShallowly (text))
        return {};
    return juce::JSON::parse (text);
}

float numberFrom (const juce::var& value)
{
    if (! (value.isInt() || value.isInt64() || value.isDouble() || value.isBool() || value.isString()))
        return 0.0f;
    const auto number = static_cast<float> (static_cast<double> (value));
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
