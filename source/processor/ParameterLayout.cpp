#include "ParameterLayout.h"

#include "parameters/ParameterCatalogue.h"
#include "parameters/ParameterText.h"

#include <memory>
#include <vector>

namespace plumora
{
namespace
{

// One catalogue row as the host sees it: a float parameter whose stepped
// kinds say they are steps (a list or a toggle in the host, not a smooth
// lane). Range, values, texts and the normalised mapping stay those of the
// float parameter, so stored automation and states keep their meaning.
class CatalogueParameter final : public juce::AudioParameterFloat
{
public:
    CatalogueParameter (const ParameterSpec& definition, const juce::AudioParameterFloatAttributes& attributes)
        : juce::AudioParameterFloat (juce::ParameterID { definition.id, 1 },
                                     definition.name,
                                     juce::NormalisableRange<float> (definition.min, definition.max, isStepped (definition.kind) ? 1.0f : 0.0f),
                                     definition.defaultValue,
                                     attributes),
          stepped (isStepped (definition.kind)),
          switchLike (definition.kind == ParameterKind::OnOff || definition.kind == ParameterKind::Bypass)
    {
    }

    bool isDiscrete() const override { return stepped; }
    bool isBoolean() const override { return switchLike; }
    int getNumSteps() const override { return stepped ? juce::RangedAudioParameter::getNumSteps() : juce::AudioProcessorParameter::getNumSteps(); }

private:
    const bool stepped, switchLike;
};

std::unique_ptr<juce::AudioParameterFloat> makeParameter (const ParameterSpec& definition)
{
    auto attributes = juce::AudioParameterFloatAttributes();

    if (parameterValueText (definition, definition.defaultValue).has_value())
        attributes = attributes.withStringFromValueFunction ([&definition] (float value, int)
        {
            return juce::String (parameterValueText (definition, value).value_or (std::string()));
        });
    else // a plain number: two decimals, as the knob shows it (the framework wrote seven)
        attributes = attributes.withStringFromValueFunction ([] (float value, int) { return juce::String (value, 2); });

    // Typed values read the way they are shown ("LP24", "50%", "5k"); text
    // that means no value falls back to the framework's plain number reading.
    attributes = attributes.withValueFromStringFunction ([&definition] (const juce::String& text)
    {
        return parameterValueFromText (definition, text.toStdString()).value_or (text.getFloatValue());
    });

    return std::make_unique<CatalogueParameter> (definition, attributes);
}

// One entry of a top-level group: either a parameter placed directly in it or
// a subgroup. Entries keep the order in which the catalogue first names them.
struct GroupEntry
{
    const ParameterSpec* parameter = nullptr;
    juce::String subgroupPath;
    std::vector<const ParameterSpec*> subgroupParameters;
};

struct TopGroup
{
    juce::String name;
    std::vector<GroupEntry> entries;

    GroupEntry& subgroup (const juce::String& path)
    {
        for (auto& entry : entries)
            if (entry.parameter == nullptr && entry.subgroupPath == path)
                return entry;
        entries.push_back ({ nullptr, path, {} });
        return entries.back();
    }
};

} // namespace

juce::AudioProcessorValueTreeState::ParameterLayout createCatalogueParameterLayout()
{
    std::vector<TopGroup> tops;
    const auto topGroup = [&tops] (const juce::String& name) -> TopGroup&
    {
        for (auto& top : tops)
            if (top.name == name)
                return top;
        tops.push_back ({ name, {} });
        return tops.back();
    };

    for (int row = 0; row < kNumParameters; ++row)
    {
        const auto& definition = parameterCatalogue()[row];
        const juce::String path (definition.group);
        const auto separator = path.indexOfChar ('/');

        if (separator < 0)
            topGroup (path).entries.push_back ({ &definition, {}, {} });
        else
            topGroup (path.substring (0, separator)).subgroup (path).subgroupParameters.push_back (&definition);
    }

    juce::AudioProcessorValueTreeState::ParameterLayout layout;
    for (const auto& top : tops)
    {
        auto group = std::make_unique<juce::AudioProcessorParameterGroup> (top.name, top.name, "/");
        for (const auto& entry : top.entries)
        {
            if (entry.parameter != nullptr)
            {
                group->addChild (makeParameter (*entry.parameter));
                continue;
            }

            const auto subName = entry.subgroupPath.fromFirstOccurrenceOf ("/", false, false);
            auto subgroup = std::make_unique<juce::AudioProcessorParameterGroup> (entry.subgroupPath, subName, "/");
            for (const auto* definition : entry.subgroupParameters)
                subgroup->addChild (makeParameter (*definition));
            group->addChild (std::move (subgroup));
        }
        layout.add (std::move (group));
    }
    return layout;
}

} // namespace plumora
