#include "EditorContext.h"

#include "dsp/FactoryWavetables.h"
#include "presets/HostParameters.h"
#include "processor/PluginProcessor.h"
#include "simple/CharacterMapState.h"
#include "simple/ParameterWriter.h"

namespace plumora
{

juce::AudioProcessorValueTreeState& EditorContext::parameters() const noexcept { return plugin.parameters(); }

juce::RangedAudioParameter* EditorContext::parameter (ParamID id) const
{
    return plugin.parameters().getParameter (parameterSpec (id).id);
}

void EditorContext::setParameterValue (ParamID id, float plainValue) const
{
    if (auto* target = parameter (id))
    {
        target->beginChangeGesture();
        target->setValueNotifyingHost (target->convertTo0to1 (plainValue));
        target->endChangeGesture();
    }
}

void EditorContext::beginParameterGesture (ParamID id) const
{
    if (auto* target = parameter (id))
        target->beginChangeGesture();
}

void EditorContext::setParameterValueInGesture (ParamID id, float plainValue) const
{
    if (auto* target = parameter (id))
        target->setValueNotifyingHost (target->convertTo0to1 (plainValue));
}

void EditorContext::endParameterGesture (ParamID id) const
{
    if (auto* target = parameter (id))
        target->endChangeGesture();
}

SharedWavetable EditorContext::wavetable (int slot) const { return plugin.engine().wavetable (slot); }

std::string EditorContext::wavetableId (int slot) const { return plugin.engine().wavetableId (slot); }

void EditorContext::setFactoryWavetable (int slot, const std::string& name) const
{
    if (isFactoryWavetableName (name))
        plugin.engine().setWavetable (slot, makeFactoryWavetable (name), name);
}

float EditorContext::engineValue (ParamID id) const noexcept { return plugin.engine().parameterValue (id); }

ParameterSlots::Range EditorContext::modulationRange (ParamID id) const noexcept { return plugin.engine().modulationRange (id); }

const std::vector<ModRouting>& EditorContext::routings() const noexcept { return plugin.engine().modMatrix().routings(); }

int EditorContext::activeVoiceCount() const noexcept { return plugin.engine().activeVoiceCount(); }

float EditorContext::cpuLoadPercent() const noexcept { return plugin.cpuLoadPercent(); }

Arpeggiator::Position EditorContext::arpeggiatorPosition() const noexcept { return plugin.engine().arpeggiatorPosition(); }

int EditorContext::addRouting (ModSourceID source, ParamID target, float depth, ModScope scope) const
{
    return plugin.engine().modMatrix().addRouting (source, index (target), depth, scope, false);
}

void EditorContext::removeRouting (int index) const { plugin.engine().modMatrix().removeRouting (index); }

void EditorContext::setRoutingDepth (int index, float depth) const { plugin.engine().modMatrix().setRoutingDepth (index, depth); }

bool EditorContext::animate (ParamID target) const
{
    return startAnimation (target, parameterWriter());
}

ParameterWriter EditorContext::parameterWriter() const noexcept { return ParameterWriter (plugin.engine(), plugin.parameters()); }

PresetDocument EditorContext::captureSound (PresetScope scope, bool skipDefaults) const
{
    return capturePreset (HostParameters::read (plugin.parameters()), plugin.engine(), scope, skipDefaults);
}

PresetManager& EditorContext::presets() const noexcept { return plugin.presets(); }

juce::MidiKeyboardState& EditorContext::keyboardState() const noexcept { return plugin.keyboardState(); }

int EditorContext::uiMode() const noexcept { return plugin.uiMode(); }

void EditorContext::setUiMode (int mode) const noexcept { plugin.setUiMode (mode); }

void EditorContext::setParameterValueNow (ParamID id, float plainValue) const
{
    if (parameter (id) == nullptr)
        return;
    plugin.engine().setParameter (id, parameterSpec (id).clamp (plainValue));
    setParameterValue (id, plainValue);
}

// The engine's controller entry only stores the wheel's value for this
// controller (an atomic), so the message thread may call it.
void EditorContext::setModWheel (float value) const { plugin.engine().controller (1, 1, value); }

} // namespace plumora
