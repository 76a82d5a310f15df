#include "PluginProcessor.h"

#include "HostState.h"
#include "MidiDispatch.h"
#include "ParameterLayout.h"
#include "presets/SafeJson.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <set>
#include <vector>

namespace
{
constexpr double kMaximumTailSeconds = 15.0;
const char* const kStartupPreset = "First Light";
const juce::Identifier kStateType ("PARAMETERS");
const juce::Identifier kUiModeProperty ("uiMode");
const juce::Identifier kPresetNameProperty ("presetName");
const juce::Identifier kProgramProperty ("program");
const juce::Identifier kParameterEntryType ("PARAM");
const juce::Identifier kParameterIdProperty ("id");
const juce::Identifier kParameterValueProperty ("value");

bool isFiniteNumber (const juce::var& value)
{
    if (value.isString())
    {
        const auto text = value.toString().trim();
        if (text.isEmpty() || ! text.containsOnly ("0123456789+-.eE"))
            return false;
    }
    else if (! (value.isInt() || value.isInt64() || value.isDouble() || value.isBool()))
    {
        return false;
    }
    return std::isfinite (plumora::doubleFrom (value));
}

// Replaces each byte of an invalid UTF-8 sequence with '?'. JUCE's text
// reading steps over a sequence by the length its first byte announces,
// unchecked, so such a byte near the end of a chunk's text led its XML reader
// past the end of the text.
void replaceInvalidUtf8 (char* text, std::size_t size) noexcept
{
    auto* bytes = reinterpret_cast<unsigned char*> (text);
    for (std::size_t i = 0; i < size;)
    {
        const unsigned char lead = bytes[i];
        if (lead < 0x80)
        {
            ++i;
            continue;
        }
        // The well-formed sequences (RFC 3629): the lead byte fixes the length
        // and the range of the second byte.
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xbf;
        if (lead >= 0xc2 && lead <= 0xdf)
            length = 2;
        else if (lead >= 0xe0 && lead <= 0xef)
        {
            length = 3;
            low = lead == 0xe0 ? 0xa0 : 0x80;
            high = lead == 0xed ? 0x9f : 0xbf;
        }
        else if (lead >= 0xf0 && lead <= 0xf4)
        {
            length = 4;
            low = lead == 0xf0 ? 0x90 : 0x80;
            high = lead == 0xf4 ? 0x8f : 0xbf;
        }
        bool wellFormed = length > 0 && i + length <= size;
        for (std::size_t k = 1; wellFormed && k < length; ++k)
        {
            const auto next = bytes[i + k];
            wellFormed = k == 1 ? (next >= low && next <= high) : (next >= 0x80 && next <= 0xbf);
        }
        if (wellFormed)
        {
            i += length;
            continue;
        }
        bytes[i++] = '?'; // what follows is looked at afresh
    }
}

// Blanks every processing instruction ("<?...?>") with spaces. JUCE's XML
// reader skips them as white space, but one between an element's tags with
// text after it makes the reader step back before it to read the text, meet
// it again, and loop forever. No instruction carries anything a state needs
// (the declaration at the start is skipped as one too); an attribute value
// that holds one, which JUCE never writes, keeps spaces in its place. Text
// after a zero byte is not read, and stays as it is.
void blankProcessingInstructions (char* text, std::size_t size) noexcept
{
    size = static_cast<std::size_t> (std::find (text, text + size, '\0') - text);
    for (std::size_t start = 0; start + 1 < size; ++start)
    {
        if (text[start] != '<' || text[start + 1] != '?')
            continue;
        std::size_t close = start + 2;
        while (close + 1 < size && ! (text[close] == '?' && text[close + 1] == '>'))
            ++close;
        if (close + 1 >= size)
            return; // unterminated: the reader stops there
        std::fill (text + start, text + close + 2, ' ');
        start = close + 1;
    }
}

// JUCE's XML reader keeps an attribute given twice, and the tree made from
// it holds both: it reads the first and writes the last. The first counts.
void dropRepeatedProperties (const juce::ValueTree& root)
{
    std::vector<juce::ValueTree> pending { root };
    while (! pending.empty())
    {
        auto tree = pending.back();
        pending.pop_back();
        std::set<juce::String> seen;
        juce::NamedValueSet first;
        bool repeated = false;
        for (int i = 0; i < tree.getNumProperties(); ++i)
        {
            const auto name = tree.getPropertyName (i);
            if (seen.insert (name.toString()).second)
                first.set (name, tree.getProperty (name));
            else
                repeated = true;
        }
        if (repeated)
        {
            tree.removeAllProperties (nullptr);
            for (const auto& property : first)
                tree.setProperty (property.name, property.value, nullptr);
        }
        for (const auto& child : tree)
            pending.push_back (child);
    }
}
} // namespace

PlumoraAudioProcessor::PlumoraAudioProcessor()
    : juce::AudioProcessor (BusesProperties().withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      parameterTree (*this, nullptr, kStateType, createParameterLayout()),
      synthEngine (std::make_unique<plumora::SynthEngine>()),
      presetManager (std::make_unique<plumora::PresetManager> (
          plumora::PresetManager::Target { parameterTree, *synthEngine, [this] { return uiMode(); } }))
{
    for (int row = 0; row < plumora::kNumParameters; ++row)
        parameterValues[static_cast<std::size_t> (row)] = parameterTree.getRawParameterValue (plumora::parameterCatalogue()[row].id);

    presetManager->loadPresetByName (kStartupPreset);
    currentProgram = juce::jmax (0, factoryIndexOf (getCurrentPresetName()));
    presetManager->addListener (this);
}

PlumoraAudioProcessor::~PlumoraAudioProcessor()
{
    presetManager->removeListener (this);
}

juce::AudioProcessorValueTreeState::ParameterLayout PlumoraAudioProcessor::createParameterLayout()
{
    return plumora::createCatalogueParameterLayout();
}

void PlumoraAudioProcessor::prepareToPlay (double sampleRate, int maximumBlockSize)
{
    synthEngine->prepare (sampleRate, maximumBlockSize);
}

bool PlumoraAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    return layouts.getMainOutputChannelSet() == juce::AudioChannelSet::stereo();
}

double PlumoraAudioProcessor::getTailLengthSeconds() const
{
    return juce::jmin (synthEngine->tailLengthSeconds(), kMaximumTailSeconds);
}

void PlumoraAudioProcessor::pushParameters() noexcept
{
    for (int row = 0; row < plumora::kNumParameters; ++row)
        if (const auto* value = parameterValues[static_cast<std::size_t> (row)])
            synthEngine->setParameter (static_cast<plumora::ParamID> (row), value->load (std::memory_order_relaxed));
}

// A host that gives no tempo (JUCE's standalone player among them) leaves
// the engine on arp_bpm.
void PlumoraAudioProcessor::takeHostTempo() noexcept
{
    auto* host = getPlayHead();
    if (host == nullptr)
        return;

    if (const auto position = host->getPosition())
        if (const auto bpm = position->getBpm())
            synthEngine->setHostTempo (*bpm);
}

// Renders the block piece by piece: up to each MIDI event's sample, then the
// event, so notes, controllers and bends land on their sample whatever the
// host's buffer size. The engine cuts the pieces further to its control rate.
void PlumoraAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    juce::ScopedNoDenormals noDenormals;
    const int numSamples = buffer.getNumSamples();

    pushParameters();
    takeHostTempo();
    keyboard.processNextMidiBuffer (midi, 0, numSamples, true);

    const int channelCount = juce::jmin (buffer.getNumChannels(), 2);
    float* const* output = buffer.getArrayOfWritePointers();
    std::chrono::steady_clock::duration elapsed {};
    int rendered = 0;
    const auto renderUpTo = [&] (int sample)
    {
        if (sample <= rendered)
            return;
        float* piece[2] = { channelCount > 0 ? output[0] + rendered : nullptr, channelCount > 1 ? output[1] + rendered : nullptr };
        const auto started = std::chrono::steady_clock::now();
        synthEngine->render (piece, channelCount, sample - rendered);
        elapsed += std::chrono::steady_clock::now() - started;
        rendered = sample;
    };

    for (const auto metadata : midi)
    {
        // An offset outside the block counts at its nearer end; events stay in order.
        renderUpTo (juce::jlimit (0, juce::jmax (numSamples - 1, 0), metadata.samplePosition));
        plumora::dispatchMidiMessage (*synthEngine, metadata.data, metadata.numBytes);
    }
    renderUpTo (numSamples);

    // Any extra channels a host insists on stay silent.
    for (int channel = channelCount; channel < buffer.getNumChannels(); ++channel)
        buffer.clear (channel, 0, numSamples);

    if (numSamples > 0)
    {
        const double seconds = std::chrono::duration<double> (elapsed).count();
        cpuLoad.store (static_cast<float> (seconds / (numSamples / synthEngine->sampleRate()) * 100.0), std::memory_order_relaxed);
    }
}

int PlumoraAudioProcessor::getNumPrograms()
{
    return juce::jmax (1, static_cast<int> (presetManager->getFactoryPresets().size()));
}

int PlumoraAudioProcessor::getCurrentProgram()
{
    return currentProgram;
}

void PlumoraAudioProcessor::setCurrentProgram (int index)
{
    const auto& factory = presetManager->getFactoryPresets();
    if (index < 0 || index >= static_cast<int> (factory.size()))
        return;

    const juce::ScopedValueSetter<bool> choosing (programBeingSet, true);
    currentProgram = index;
    presetManager->loadPreset (factory[static_cast<std::size_t> (index)]);
}

int PlumoraAudioProcessor::factoryIndexOf (const juce::String& presetName) const
{
    const auto& factory = presetManager->getFactoryPresets();
    for (std::size_t i = 0; i < factory.size(); ++i)
        if (factory[i].name == presetName)
            return static_cast<int> (i);
    return -1;
}

// A factory preset loaded from the editor or a restored state is a program
// change the host did not make: tell it, or the program it keeps would be
// stale, and setting that program again would load it over the sound.
void PlumoraAudioProcessor::currentPresetChanged (const juce::String& name)
{
    if (programBeingSet)
        return;
    const int index = factoryIndexOf (name);
    if (index < 0 || index == currentProgram)
        return;
    currentProgram = index;
    updateHostDisplay (ChangeDetails().withProgramChanged (true));
}

const juce::String PlumoraAudioProcessor::getProgramName (int index)
{
    const auto& factory = presetManager->getFactoryPresets();
    return index >= 0 && index < static_cast<int> (factory.size()) ? factory[static_cast<std::size_t> (index)].name : juce::String();
}

// A restored chunk may come from anywhere. Each parameter entry is set to
// the value its parameter will take: a finite number limited to the
// parameter's range and snapped to its steps, anything else the parameter's
// current value. The tree then holds what the parameters hold: the parameter
// tree keeps an entry as it came when the parameter already had that value
// (a number past its range that limits to it, text that reads as it), and
// the next restore of the saved chunk would not read the same.
// A parameter the chunk leaves out keeps its value, and gets an entry that
// holds it: the parameter tree would add one without a value, the saved
// chunk would carry that, and its restore would give the default instead.
void PlumoraAudioProcessor::limitParameterValues (juce::ValueTree& state) const
{
    std::set<juce::String> listed;
    for (auto child : state)
    {
        const auto id = child.getProperty (kParameterIdProperty).toString();
        const auto* parameter = parameterTree.getParameter (id);
        if (parameter == nullptr)
            continue;
        listed.insert (id);
        const auto value = child.getProperty (kParameterValueProperty);
        const float usable = isFiniteNumber (value)
                                 ? parameter->convertFrom0to1 (parameter->convertTo0to1 (static_cast<float> (plumora::doubleFrom (value))))
                                 : parameterTree.getRawParameterValue (id)->load();
        child.setProperty (kParameterValueProperty, usable, nullptr);
    }

    for (int row = 0; row < plumora::kNumParameters; ++row)
    {
        const juce::String id (plumora::parameterCatalogue()[row].id);
        if (listed.count (id) > 0 || parameterValues[static_cast<std::size_t> (row)] == nullptr)
            continue;
        juce::ValueTree entry (kParameterEntryType);
        entry.setProperty (kParameterIdProperty, id, nullptr);
        entry.setProperty (kParameterValueProperty, parameterValues[static_cast<std::size_t> (row)]->load(), nullptr);
        state.appendChild (entry, nullptr);
    }
}

void PlumoraAudioProcessor::getStateInformation (juce::MemoryBlock& destination)
{
    auto state = parameterTree.copyState();
    state.setProperty (kUiModeProperty, uiMode(), nullptr);
    state.setProperty (kPresetNameProperty, getCurrentPresetName(), nullptr);
    state.setProperty (kProgramProperty, currentProgram, nullptr);
    plumora::HostState::writeSoundExtras (state, *synthEngine);

    if (const auto xml = state.createXml())
        copyXmlToBinary (*xml, destination);
}

void PlumoraAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= 0)
        return;

    // The chunk's text (after the magic number and its length) as valid UTF-8,
    // without processing instructions. The text is what the length in the
    // header takes of it, as the reader below reads it: a length that cuts a
    // sequence short leaves that sequence's first byte last.
    juce::MemoryBlock chunk (data, static_cast<std::size_t> (sizeInBytes));
    constexpr std::size_t kHeaderBytes = 8;
    if (chunk.getSize() > kHeaderBytes)
    {
        auto* const text = static_cast<char*> (chunk.getData()) + kHeaderBytes;
        const auto declared = static_cast<int> (juce::ByteOrder::littleEndianInt (static_cast<const char*> (chunk.getData()) + 4));
        const auto textBytes = std::min (chunk.getSize() - kHeaderBytes, static_cast<std::size_t> (std::max (declared, 0)));
        replaceInvalidUtf8 (text, textBytes);
        blankProcessingInstructions (text, textBytes);
    }

    const auto xml = getXmlFromBinary (chunk.getData(), sizeInBytes);
    if (xml == nullptr || ! xml->hasTagName (kStateType))
        return;

    auto state = juce::ValueTree::fromXml (*xml);
    if (! state.isValid())
        return;
    dropRepeatedProperties (state);

    if (state.hasProperty (kUiModeProperty))
        setUiMode (juce::jlimit (0, 1, static_cast<int> (state.getProperty (kUiModeProperty))));

    plumora::HostState::restoreSoundExtras (state, *synthEngine);
    plumora::HostState::removeSoundExtras (state);
    limitParameterValues (state);
    parameterTree.replaceState (state);

    // The program saved with the state; older states have none, and their
    // preset name tells it when it is a factory one.
    const auto name = state.getProperty (kPresetNameProperty).toString();
    const auto savedProgram = state.getProperty (kProgramProperty);
    const int previousProgram = currentProgram;
    if (isFiniteNumber (savedProgram))
        currentProgram = static_cast<int> (juce::jlimit (0.0, getNumPrograms() - 1.0, plumora::doubleFrom (savedProgram)));
    else if (const int named = factoryIndexOf (name); named >= 0)
        currentProgram = named;
    {
        const juce::ScopedValueSetter<bool> restoring (programBeingSet, true);
        setCurrentPresetName (name);
    }
    if (currentProgram != previousProgram)
        updateHostDisplay (ChangeDetails().withProgramChanged (true));
}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new PlumoraAudioProcessor();
}
