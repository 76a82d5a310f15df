#pragma once

// Shared by the section tests: a processor at the dry defaults with its
// editor bridge, parameter reads and writes as a host makes them, and a
// check that an action moved exactly one parameter of the tree.

#include "EditorTestSupport.h"
#include "support/DrySound.h"

#include "editor/controls/PlumKnob.h"

#include <gtest/gtest.h>

#include <vector>

namespace plumora::test
{

struct SectionFixture : testing::Test
{
    PlumoraAudioProcessor processor;
    EditorContext context { processor };

    SectionFixture()
    {
        processor.prepareToPlay (48000.0, 512);
        loadDryDefaults (processor, "Init");
        pushToEngine();
    }

    // One short block: the engine takes the tree's values, as it would playing.
    void pushToEngine()
    {
        juce::AudioBuffer<float> buffer (2, 64);
        juce::MidiBuffer midi;
        processor.processBlock (buffer, midi);
    }

    float hostValue (ParamID id) { return processor.parameters().getRawParameterValue (parameterSpec (id).id)->load(); }
    // A host (or automation) setting a value, as the processor's tree receives it.
    void hostSets (ParamID id, float plain) { set (processor, id, plain); }

    std::vector<float> normalisedValues()
    {
        std::vector<float> values;
        for (auto* p : processor.getParameters())
            values.push_back (p->getValue());
        return values;
    }

    // The catalogue rows whose value differs between two snapshots.
    std::vector<juce::String> changedBetween (const std::vector<float>& before, const std::vector<float>& after)
    {
        std::vector<juce::String> changed;
        const auto& all = processor.getParameters();
        for (int i = 0; i < all.size(); ++i)
            if (before[static_cast<std::size_t> (i)] != after[static_cast<std::size_t> (i)])
                changed.push_back (static_cast<juce::AudioProcessorParameterWithID*> (all[i])->paramID);
        return changed;
    }

    template <class Action>
    void expectMovesOnly (ParamID id, Action&& action, const juce::String& what)
    {
        const auto before = normalisedValues();
        action();
        EXPECT_EQ (changedBetween (before, normalisedValues()), std::vector<juce::String> { parameterSpec (id).id }) << what;
    }

    // Turns a knob to a value other than its current one, as a drag would.
    static void turn (PlumKnob& knob)
    {
        const double before = knob.getValue();
        knob.setValue (knob.proportionOfLengthToValue (0.37), juce::sendNotificationSync);
        if (knob.getValue() == before)
            knob.setValue (before > knob.getMinimum() ? knob.getMinimum() : knob.getMaximum(), juce::sendNotificationSync);
    }

    // A left click at position in component's own coordinates.
    static void click (juce::Component& component, juce::Point<float> position)
    {
        component.mouseDown (mouseEvent (component, position, juce::ModifierKeys::leftButtonModifier, position));
    }
};

} // namespace plumora::test
