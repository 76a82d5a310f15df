// The editor where hosts are careless: opened before the processor was
// prepared, opened and closed while the audio thread renders heavy sounds,
// and two instances' editors open side by side.

#include "EditorTestSupport.h"

#include "editor/controls/PlumKnob.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <thread>

using namespace plumora;

namespace
{
PlumKnob* knobFor (juce::Component& root, ParamID id)
{
    for (auto* child : root.getChildren())
    {
        if (auto* knob = dynamic_cast<PlumKnob*> (child); knob != nullptr && knob->paramId == id)
            return knob;
        if (auto* found = knobFor (*child, id))
            return found;
    }
    return nullptr;
}

float hostValue (PlumoraAudioProcessor& processor, ParamID id)
{
    auto* parameter = processor.parameters().getParameter (parameterSpec (id).id);
    return parameter->convertFrom0to1 (parameter->getValue());
}

// Some seconds of the editor's life: its timer's ticks and a painted frame.
void live (PlumoraAudioProcessorEditor& editor, int ticks)
{
    for (int tick = 0; tick < ticks; ++tick)
        editor.timerCallback();
    const auto frame = editor.createComponentSnapshot (editor.getLocalBounds());
    EXPECT_EQ (frame.getWidth(), 1200);
}
} // namespace

// A host may open the editor before it prepares the processor (or never
// prepare it): both pages build, tick and paint, and show nothing playing.
TEST (CarelessHosts, TheEditorOpensBeforeTheProcessorIsPrepared)
{
    for (const int mode : { 0, 1 })
    {
        PlumoraAudioProcessor processor;
        processor.setUiMode (mode);
        std::unique_ptr<PlumoraAudioProcessorEditor> editor (static_cast<PlumoraAudioProcessorEditor*> (processor.createEditor()));
        ASSERT_NE (editor->page(), nullptr);
        live (*editor, 40);
        processor.prepareToPlay (48000.0, 512); // prepared while open
        live (*editor, 40);
        processor.editorBeingDeleted (editor.get());
    }
}

// Heavy sounds render on the audio thread while the editor is opened and
// closed again and again on both pages: nothing waits on the other, and the
// sound stays finite.
TEST (CarelessHosts, OpeningAndClosingWhileHeavySoundsRender)
{
    PlumoraAudioProcessor processor;
    processor.prepareToPlay (48000.0, 256);
    ASSERT_TRUE (processor.presets().loadPresetByName ("Reese Bass"));
    for (const auto& [id, value] : { std::pair { "osc1_unison", 16.0f }, { "osc2_unison", 16.0f }, { "dist_mix", 1.0f } })
        if (auto* parameter = processor.parameters().getParameter (id))
            parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));

    std::atomic<bool> running { true }, finite { true };
    std::thread audio ([&]
    {
        juce::AudioBuffer<float> buffer (2, 256);
        juce::MidiBuffer chord;
        for (int note = 36; note < 84; note += 3)
            chord.addEvent (juce::MidiMessage::noteOn (1, note, 0.9f), 0);
        processor.processBlock (buffer, chord);
        while (running)
        {
            juce::MidiBuffer none;
            processor.processBlock (buffer, none);
            for (int channel = 0; channel < 2; ++channel)
                for (int i = 0; i < buffer.getNumSamples(); ++i)
                    finite = finite && std::isfinite (buffer.getSample (channel, i));
        }
    });
    for (int opening = 0; opening < 20; ++opening)
    {
        processor.setUiMode (opening % 2);
        std::unique_ptr<PlumoraAudioProcessorEditor> editor (static_cast<PlumoraAudioProcessorEditor*> (processor.createEditor()));
        live (*editor, 5);
        processor.editorBeingDeleted (editor.get());
    }
    running = false;
    audio.join();
    EXPECT_TRUE (finite);
}

// Two instances with their editors open at once: each editor shows and
// moves its own instance only.
TEST (CarelessHosts, TwoInstancesEditorsOpenAtOnceKeepToTheirOwnSound)
{
    test::EditorFixture first (0), second (0);
    ASSERT_TRUE (second.processor.presets().loadPresetByName ("Reese Bass"));
    live (*first.editor, 3);
    live (*second.editor, 3);

    const float secondsCutoff = hostValue (second.processor, ParamID::filt_cutoff);
    auto* knob = knobFor (*first.editor, ParamID::filt_cutoff);
    ASSERT_NE (knob, nullptr);
    knob->setValue (321.0, juce::sendNotificationSync);
    EXPECT_NEAR (hostValue (first.processor, ParamID::filt_cutoff), 321.0f, 0.5f);
    EXPECT_FLOAT_EQ (hostValue (second.processor, ParamID::filt_cutoff), secondsCutoff);
    EXPECT_NEAR (knobFor (*second.editor, ParamID::filt_cutoff)->getValue(), secondsCutoff, 0.5);

    first.editor->toggleEditorMode();
    EXPECT_EQ (first.processor.uiMode(), 1);
    EXPECT_EQ (second.processor.uiMode(), 0);
    live (*first.editor, 3);
    live (*second.editor, 3);
    EXPECT_EQ (second.editor->presetMenu().getText(), "Reese Bass");
    EXPECT_NE (first.editor->presetMenu().getText(), "Reese Bass") << "each editor names its own instance's preset";
}
