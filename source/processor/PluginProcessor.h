#pragma once

#include "engine/SynthEngine.h"
#include "presets/PresetManager.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_audio_basics/juce_audio_basics.h>

#include <array>
#include <atomic>
#include <memory>

// The object the host talks to: a thin adapter that pushes the parameter tree
// into the engine each block, hands it the block's MIDI, and keeps the host
// state chunk and the program list.
class PlumoraAudioProcessor : public juce::AudioProcessor,
                              private plumora::PresetManager::Listener
{
public:
    PlumoraAudioProcessor();
    ~PlumoraAudioProcessor() override;

    static juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout();

    const juce::String getName() const override { return "Plumora"; }
    void prepareToPlay (double sampleRate, int maximumBlockSize) override;
    void releaseResources() override {}
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override;
    using juce::AudioProcessor::processBlock;
    double getTailLengthSeconds() const override;

    bool acceptsMidi() const override { return true; }
    bool producesMidi() const override { return false; }
    bool isMidiEffect() const override { return false; }
    bool isBusesLayoutSupported (const BusesLayout&) const override;

    // Defined with the editor (source/editor/shell/CreateEditor.cpp).
    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override { return true; }

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int, const juce::String&) override {}

    void getStateInformation (juce::MemoryBlock& destination) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    juce::AudioProcessorValueTreeState& parameters() noexcept { return parameterTree; }
    plumora::SynthEngine& engine() noexcept { return *synthEngine; }
    juce::MidiKeyboardState& keyboardState() noexcept { return keyboard; }
    float cpuLoadPercent() const noexcept { return cpuLoad.load (std::memory_order_relaxed); }
    int uiMode() const noexcept { return editorMode.load (std::memory_order_relaxed); }
    void setUiMode (int mode) noexcept { editorMode.store (mode, std::memory_order_relaxed); }
    plumora::PresetManager& presets() noexcept { return *presetManager; }
    juce::String getCurrentPresetName() const { return presetManager->getCurrentPresetName(); }
    void setCurrentPresetName (const juce::String& name) { presetManager->setCurrentPresetName (name); }

private:
    void pushParameters() noexcept;
    void takeHostTempo() noexcept;
    void limitParameterValues (juce::ValueTree& state) const;
    int factoryIndexOf (const juce::String& presetName) const;
    void currentPresetChanged (const juce::String& name) override;

    juce::AudioProcessorValueTreeState parameterTree;
    std::unique_ptr<plumora::SynthEngine> synthEngine;
    std::unique_ptr<plumora::PresetManager> presetManager;
    juce::MidiKeyboardState keyboard;
    std::atomic<float> cpuLoad { 0.0f };
    std::atomic<int> editorMode { 0 };

    // The program the host sees. It follows the current preset while that is
    // a factory one and otherwise stays the last one chosen, and it travels
    // in the state chunk: a host that sets the program it stored with a
    // project then asks for the program it already has, and loads nothing
    // over the restored sound.
    int currentProgram = 0;
    bool programBeingSet = false; // by the host or a restored state: the name need not be followed

    // The tree's value of every catalogue row, in ParamID order.
    std::array<std::atomic<float>*, plumora::kNumParameters> parameterValues {};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PlumoraAudioProcessor)
};
