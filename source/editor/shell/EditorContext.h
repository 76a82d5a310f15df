#pragma once

#include "engine/Arpeggiator.h"
#include "engine/ModRouting.h"
#include "engine/ParameterSlots.h"
#include "dsp/Wavetable.h"
#include "parameters/ParameterCatalogue.h"
#include "presets/PresetDocument.h"
#include "simple/ParameterWriter.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_audio_basics/juce_audio_basics.h>

#include <string>
#include <vector>

class PlumoraAudioProcessor;

namespace plumora
{

class PresetManager;

// The editor's one bridge to the plug-in, handed by reference to every page
// and component. Components read what the engine publishes for display
// (lock-free, a stale value only costs one refresh), write sound values only
// through the host parameters (so hosts record automation), and edit
// routings through the matrix's hand-over. Message thread only.
class EditorContext
{
public:
    explicit EditorContext (PlumoraAudioProcessor& processor) noexcept : plugin (processor) {}

    // Host parameters ---------------------------------------------------------
    juce::AudioProcessorValueTreeState& parameters() const noexcept;
    juce::RangedAudioParameter* parameter (ParamID id) const;
    // One change gesture with host notification; plain value, clamped.
    void setParameterValue (ParamID id, float plainValue) const;
    // A drag: the gesture opens at the press, each step sets the value inside
    // it, and the release closes it, so hosts record it as one touch.
    void beginParameterGesture (ParamID id) const;
    void setParameterValueInGesture (ParamID id, float plainValue) const;
    void endParameterGesture (ParamID id) const;

    // The engine's display view ---------------------------------------------------
    // The value the engine plays with now (host value plus nothing modulated).
    float engineValue (ParamID id) const noexcept;
    // The span the parameter was modulated over lately (its traced low and high).
    ParameterSlots::Range modulationRange (ParamID id) const noexcept;
    // The routing list; the reference holds until the next routing edit.
    const std::vector<ModRouting>& routings() const noexcept;
    int activeVoiceCount() const noexcept;
    float cpuLoadPercent() const noexcept;
    Arpeggiator::Position arpeggiatorPosition() const noexcept;

    // Routing edits, handed to the audio thread without waiting -------------------
    int addRouting (ModSourceID source, ParamID target, float depth, ModScope scope) const;
    void removeRouting (int index) const;
    void setRoutingDepth (int index, float depth) const;
    // Starts an LFO (or envelope) moving target, the way a character block
    // animates; false, changing nothing, when no source is free.
    bool animate (ParamID target) const;
    // What the S!MPLE controls write sounds through (host parameters, and
    // the engine for routings and tables).
    ParameterWriter parameterWriter() const noexcept;

    // The current sound as a preset document of scope (values the user set,
    // with the engine's routings and tables); with skipDefaults, values at
    // their defaults are left out.
    PresetDocument captureSound (PresetScope scope, bool skipDefaults) const;

    // The rest of the plug-in the editor shows ---------------------------------------
    // The table oscillator 1 (slot 0) or 2 (slot 1) plays; shared, so it
    // stays whole while read even if the engine is handed another.
    SharedWavetable wavetable (int slot) const;
    // The factory name of the table a slot plays ("factory:saw"), and
    // installing a factory table there (what a preset would name).
    std::string wavetableId (int slot) const;
    void setFactoryWavetable (int slot, const std::string& name) const;

    PresetManager& presets() const noexcept;
    juce::MidiKeyboardState& keyboardState() const noexcept;
    int uiMode() const noexcept;
    void setUiMode (int mode) const noexcept;

    // Switches the engine must hear before the next block (an LFO's mode, an
    // effect's bypass, the chorus mode): the engine takes the plain value at
    // once, then the host parameter records it in one gesture. A parameter
    // the tree lacks changes nothing.
    void setParameterValueNow (ParamID id, float plainValue) const;
    // The editor's mod wheel: the same engine value MIDI controller 1 sets.
    // Not a parameter, so not saved. 0 ... 1.
    void setModWheel (float value) const;

private:
    PlumoraAudioProcessor& plugin;
};

} // namespace plumora
