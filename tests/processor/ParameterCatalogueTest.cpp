#include "parameters/ParameterCatalogue.h"
#include "parameters/ParameterText.h"
#include "processor/PluginProcessor.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>

using namespace plumora;

TEST (ParameterCatalogue, RowsAreUniqueAndLookUpsRoundTrip)
{
    std::set<std::string> ids;
    for (int row = 0; row < kNumParameters; ++row)
    {
        const auto& definition = parameterCatalogue()[row];
        EXPECT_TRUE (ids.insert (definition.id).second) << definition.id;
        EXPECT_LE (definition.min, definition.defaultValue) << definition.id;
        EXPECT_LE (definition.defaultValue, definition.max) << definition.id;
        ASSERT_EQ (findParamID (definition.id), paramIDFromIndex (row)) << definition.id;
    }

    EXPECT_EQ (index (ParamID::osc1_wt_pos), 0);
    EXPECT_EQ (index (ParamID::master_vol), 28);
    EXPECT_EQ (index (ParamID::voice_mode), 138);
    EXPECT_STREQ (parameterSpec (ParamID::fm_feedback).id, "fm_feedback");
    EXPECT_STREQ (parameterSpec (ParamID::filt_cutoff).name, "Filter Cutoff");
    EXPECT_EQ (parameterSpec (ParamID::filt_type).defaultValue, 2.0f);
}

TEST (ParameterCatalogue, UnknownIdsAndRowsYieldNothing)
{
    EXPECT_FALSE (findParamID ("").has_value());
    EXPECT_FALSE (findParamID ("FILT_CUTOFF").has_value());
    EXPECT_FALSE (findParamID ("filt_cutoff ").has_value());
    EXPECT_FALSE (paramIDFromIndex (-1).has_value());
    EXPECT_FALSE (paramIDFromIndex (kNumParameters).has_value());
}

TEST (ParameterCatalogue, ClampPullsEverythingIntoRange)
{
    const auto& cutoff = parameterSpec (ParamID::filt_cutoff);
    EXPECT_EQ (cutoff.clamp (1.0e9f), 20000.0f);
    EXPECT_EQ (cutoff.clamp (-5.0f), 20.0f);
    EXPECT_EQ (cutoff.clamp (std::nanf ("")), 20.0f);
    EXPECT_EQ (cutoff.clamp (440.0f), 440.0f);
}

struct TextCase
{
    ParamID id;
    float value;
    const char* expected;
};

class ParameterValueText : public testing::TestWithParam<TextCase> {};

TEST_P (ParameterValueText, ReadsAsTheHostShowsIt)
{
    const auto& c = GetParam();
    EXPECT_EQ (parameterValueText (parameterSpec (c.id), c.value).value_or ("<default>"), c.expected);
}

INSTANTIATE_TEST_SUITE_P (AllKinds, ParameterValueText, testing::Values (
    TextCase { ParamID::filt_cutoff, 5000.0f, "5000 Hz" },
    TextCase { ParamID::amp_attack, 0.3f, "0.30 s" },
    TextCase { ParamID::osc1_tune, 15.0f, "15.0 ct" },
    TextCase { ParamID::osc1_tune, -100.0f, "-100 ct" },
    TextCase { ParamID::osc1_tune, -9.999f, "-10.00 ct" },
    TextCase { ParamID::filt_cutoff, 150.7f, "150 Hz" },
    TextCase { ParamID::filt_env_amount, -0.5f, "-50%" },
    TextCase { ParamID::master_vol, 0.8f, "80%" },
    TextCase { ParamID::master_vol, 0.29f, "29%" },
    TextCase { ParamID::osc1_octave, -3.0f, "-3" },
    TextCase { ParamID::lfo1_shape, 5.0f, "S&H" },
    TextCase { ParamID::lfo1_shape, 6.0f, "?" },
    TextCase { ParamID::filt_type, 0.0f, "Off" },
    TextCase { ParamID::filt_type, 8.0f, "Formant" },
    TextCase { ParamID::arp_rate, 4.0f, "1/16T" },
    TextCase { ParamID::arp_pattern, 6.0f, "Random Unique" },
    TextCase { ParamID::delay_division, 1.0f, "1/4D" },
    TextCase { ParamID::delay_division, -1.0f, "?" },
    TextCase { ParamID::arp_enabled, 1.0f, "On" },
    TextCase { ParamID::arp_enabled, 0.0f, "Off" },
    TextCase { ParamID::filt_bypass, 1.0f, "Bypass" },
    TextCase { ParamID::filt_bypass, 0.0f, "On" },
    TextCase { ParamID::osc1_mode, 0.0f, "Wavetable" },
    TextCase { ParamID::osc1_mode, 1.0f, "SuperSaw" },
    TextCase { ParamID::osc1_mode, 2.0f, "Karplus-Strong" },
    TextCase { ParamID::osc1_mode, 7.0f, "Wavetable" },
    TextCase { ParamID::fm_mode, 1.0f, "Phase FM" },
    TextCase { ParamID::chorus_mode, 1.0f, "Ensemble" },
    TextCase { ParamID::chorus_mode, 0.0f, "Classic" },
    TextCase { ParamID::osc1_ks_pick_dir, 1.0f, "Up" },
    TextCase { ParamID::voice_mode, 1.0f, "Mono" },
    TextCase { ParamID::voice_mode, 0.0f, "Poly" },
    TextCase { ParamID::osc1_pan, 0.5f, "<default>" },
    TextCase { ParamID::lfo1_mode, 1.0f, "<default>" },
    TextCase { ParamID::noise_filter_mode, 2.0f, "<default>" }));


// Typed text reads back the way values are shown, so a knob's value editor
// and a host's text field take what they display; text that means nothing
// gives nothing, and the caller keeps the value it had.
struct TypedCase
{
    ParamID id;
    const char* text;
    std::optional<float> expected;
};

class ParameterTypedText : public testing::TestWithParam<TypedCase> {};

TEST_P (ParameterTypedText, ReadsWhatTheKnobShows)
{
    const auto& c = GetParam();
    const auto value = parameterValueFromText (parameterSpec (c.id), c.text);
    ASSERT_EQ (value.has_value(), c.expected.has_value()) << c.text;
    if (c.expected)
        EXPECT_FLOAT_EQ (*value, *c.expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P (AllKinds, ParameterTypedText, testing::Values (
    TypedCase { ParamID::filt_cutoff, "5000 Hz", 5000.0f },
    TypedCase { ParamID::filt_cutoff, " 630 ", 630.0f },
    TypedCase { ParamID::filt_cutoff, "2.5k", 2500.0f },
    TypedCase { ParamID::filt_cutoff, "2.5 kHz", 2500.0f },
    TypedCase { ParamID::amp_attack, "250 ms", 0.25f },
    TypedCase { ParamID::amp_attack, "0.30 s", 0.3f },
    TypedCase { ParamID::osc1_tune, "-10.00 ct", -10.0f },
    TypedCase { ParamID::master_vol, "80%", 0.8f },
    TypedCase { ParamID::master_vol, "50", 0.5f },
    TypedCase { ParamID::filt_env_amount, "-50%", -0.5f },
    TypedCase { ParamID::osc1_octave, "-3", -3.0f },
    TypedCase { ParamID::filt_type, "LP24", 2.0f },
    TypedCase { ParamID::filt_type, "formant", 8.0f },
    TypedCase { ParamID::filt_type, "3", 3.0f },
    TypedCase { ParamID::delay_division, "1/4D", 1.0f },
    TypedCase { ParamID::filt_bypass, "Bypass", 1.0f },
    TypedCase { ParamID::osc1_mode, "Karplus-Strong", 2.0f },
    TypedCase { ParamID::osc1_pan, "0.25", 0.25f },
    TypedCase { ParamID::filt_cutoff, "loud", std::nullopt },
    TypedCase { ParamID::filt_cutoff, "", std::nullopt },
    TypedCase { ParamID::filt_cutoff, "5000 s", std::nullopt },
    TypedCase { ParamID::master_vol, "nan", std::nullopt },
    TypedCase { ParamID::master_vol, "1e99", std::nullopt },
    TypedCase { ParamID::filt_type, "LP48", std::nullopt }));


namespace
{
// The group that directly holds parameter; its id is the row's group path.
const juce::AudioProcessorParameterGroup* groupHolding (const juce::AudioProcessorParameterGroup& root,
                                                       const juce::AudioProcessorParameter* parameter)
{
    for (const auto* group : root.getSubgroups (true))
        if (group->getParameters (false).contains (const_cast<juce::AudioProcessorParameter*> (parameter)))
            return group;
    return nullptr;
}
} // namespace

TEST (ParameterLayout, PublishesEveryRowWithItsRangeTextAndGroup)
{
    PlumoraAudioProcessor processor;
    const auto& parameters = processor.getParameters();
    ASSERT_EQ (parameters.size(), kNumParameters);

    const auto& tree = processor.getParameterTree();
    for (int row = 0; row < kNumParameters; ++row)
    {
        const auto& definition = parameterCatalogue()[row];
        auto* parameter = processor.parameters().getParameter (definition.id);
        ASSERT_NE (parameter, nullptr) << definition.id;
        EXPECT_EQ (parameter->getName (100).toStdString(), definition.name);
        const auto* group = groupHolding (tree, parameter);
        ASSERT_NE (group, nullptr) << definition.id;
        EXPECT_EQ (group->getID().toStdString(), definition.group) << definition.id;

        auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter);
        ASSERT_NE (ranged, nullptr);
        const auto& range = ranged->getNormalisableRange();
        EXPECT_EQ (range.start, definition.min);
        EXPECT_EQ (range.end, definition.max);
        EXPECT_EQ (range.skew, 1.0f);
        EXPECT_EQ (range.interval, isStepped (definition.kind) ? 1.0f : 0.0f) << definition.id;
        EXPECT_FLOAT_EQ (ranged->convertFrom0to1 (ranged->getDefaultValue()), definition.defaultValue) << definition.id;

        // The processor starts as a factory preset, so the current value is not
        // the default: check the text of both.
        if (const auto text = parameterValueText (definition, definition.defaultValue))
        {
            EXPECT_EQ (parameter->getText (parameter->getDefaultValue(), 100).toStdString(), *text) << definition.id;
        }
        if (const auto text = parameterValueText (definition, ranged->convertFrom0to1 (parameter->getValue())))
        {
            EXPECT_EQ (parameter->getCurrentValueAsText().toStdString(), *text) << definition.id;
        }
    }
}

TEST (ParameterLayout, TopGroupsComeInOrderOfFirstMentionWithRowOrderInside)
{
    PlumoraAudioProcessor processor;
    juce::StringArray topNames;
    for (const auto* node : processor.getParameterTree())
        if (const auto* group = node->getGroup())
            topNames.add (group->getName());

    EXPECT_EQ (topNames.joinIntoString (","), "Osc,Envelope,Master,Filter,FX,Mod,Macros,Arp,Character");

    const auto* osc = processor.getParameterTree().getSubgroups (false)[0];
    juce::StringArray oscChildren;
    for (const auto* node : *osc)
        oscChildren.add (node->getGroup() != nullptr ? node->getGroup()->getID() : "param");
    EXPECT_EQ (oscChildren.joinIntoString (","), "Osc/Osc 1,Osc/Osc 2,Osc/Sub,Osc/Noise,Osc/FM");

    const auto* osc1 = osc->getSubgroups (false)[0];
    juce::StringArray osc1Ids;
    for (const auto* parameter : osc1->getParameters (false))
        osc1Ids.add (dynamic_cast<const juce::AudioProcessorParameterWithID*> (parameter)->paramID);
    EXPECT_EQ (osc1Ids[0], "osc1_wt_pos");
    EXPECT_EQ (osc1Ids[10], "osc1_stereo_width");
    EXPECT_EQ (osc1Ids[11], "osc1_mode");
    EXPECT_EQ (osc1Ids.size(), 18);
}

TEST (ParameterLayout, SteppedParametersOnlyTakeWholeValues)
{
    PlumoraAudioProcessor processor;
    auto* octave = processor.parameters().getParameter ("osc1_octave");
    octave->setValueNotifyingHost (octave->convertTo0to1 (1.4f));
    EXPECT_EQ (processor.parameters().getRawParameterValue ("osc1_octave")->load(), 1.0f);

    auto* cutoff = processor.parameters().getParameter ("filt_cutoff");
    cutoff->setValueNotifyingHost (cutoff->convertTo0to1 (1234.5f));
    EXPECT_NEAR (processor.parameters().getRawParameterValue ("filt_cutoff")->load(), 1234.5f, 0.01f);
}

// Kinds from Integer on are steps to the host, with their count; on/off
// switches and bypasses are toggles; the rest are continuous. The normalised
// mapping is the float parameter's, so stored automation keeps its meaning.
TEST (ParameterLayout, SteppedKindsReportThemselvesDiscreteAndSwitchesBoolean)
{
    PlumoraAudioProcessor processor;
    int discrete = 0, toggles = 0;
    for (int row = 0; row < kNumParameters; ++row)
    {
        const auto& definition = parameterCatalogue()[row];
        auto* parameter = processor.parameters().getParameter (definition.id);
        ASSERT_NE (parameter, nullptr);
        const bool stepped = isStepped (definition.kind);
        const bool toggle = definition.kind == ParameterKind::OnOff || definition.kind == ParameterKind::Bypass;
        EXPECT_EQ (parameter->isDiscrete(), stepped) << definition.id;
        EXPECT_EQ (parameter->isBoolean(), toggle) << definition.id;
        if (stepped)
        {
            const int count = static_cast<int> (definition.max - definition.min) + 1;
            EXPECT_EQ (parameter->getNumSteps(), count) << definition.id;
            for (int step = 0; step < count; ++step)
                EXPECT_EQ (parameter->convertFrom0to1 (static_cast<float> (step) / static_cast<float> (count - 1)), definition.min + static_cast<float> (step))
                    << definition.id;
        }
        discrete += stepped ? 1 : 0;
        toggles += toggle ? 1 : 0;
    }
    EXPECT_GT (discrete, 20);
    EXPECT_GT (toggles, 5);
}
