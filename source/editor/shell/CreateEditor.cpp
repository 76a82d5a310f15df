// The processor makes its editor here, in the editor's layer, so the
// processor itself never includes the editor.

#include "PluginEditor.h"
#include "processor/PluginProcessor.h"

juce::AudioProcessorEditor* PlumoraAudioProcessor::createEditor()
{
    return new PlumoraAudioProcessorEditor (*this);
}
