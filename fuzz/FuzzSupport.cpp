#include "FuzzSupport.h"

#include "dsp/FactoryWavetables.h"
#include "presets/HostParameters.h"

#include <juce_events/juce_events.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace plumora::fuzz
{

void fail (const char* what)
{
    std::fprintf (stderr, "\nfuzz check failed: %s\n", what);
    std::abort();
}

ScratchFolder::ScratchFolder()
{
    const juce::File memory ("/dev/shm");
    const auto parent = memory.isDirectory() && memory.hasWriteAccess() ? memory : juce::File::getSpecialLocation (juce::File::tempDirectory);
    root = parent.getNonexistentChildFile ("plumora-fuzz-" + juce::String::toHexString (juce::Random().nextInt64()), "", false);
    root.createDirectory();
}

juce::File ScratchFolder::write (const juce::String& relativePath, const std::uint8_t* data, std::size_t size) const
{
    const auto file = root.getChildFile (relativePath);
    if (size == 0)
    {
        file.deleteFile();
        return file;
    }
    // Overwritten where it is: no temporary file and rename per input.
    file.getParentDirectory().createDirectory();
    std::FILE* out = std::fopen (file.getFullPathName().toRawUTF8(), "wb");
    check (out != nullptr, "the scratch file cannot be opened");
    const bool written = std::fwrite (data, 1, size, out) == size;
    check (std::fclose (out) == 0 && written, "the scratch file cannot be written");
    return file;
}

void initialise()
{
    static ScratchFolder home;
    static bool done = false;
    if (done)
        return;
    done = true;
    setenv ("HOME", home.root.getFullPathName().toRawUTF8(), 1);
    unsetenv ("XDG_CONFIG_HOME");
    // Lives as long as the process, never torn down: libFuzzer ends the
    // process from inside its loop.
    static auto* const juceLayer = new juce::ScopedJuceInitialiser_GUI();
    juce::ignoreUnused (juceLayer);
}

void Fingerprint::add (const void* data, std::size_t size) noexcept
{
    const auto* bytes = static_cast<const std::uint8_t*> (data);
    for (std::size_t i = 0; i < size; ++i)
        hash = (hash ^ bytes[i]) * 1099511628211ull;
}

void Fingerprint::add (const juce::AudioBuffer<float>& buffer) noexcept
{
    for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
        add (buffer.getReadPointer (channel), static_cast<std::size_t> (buffer.getNumSamples()) * sizeof (float));
}

bool isResetCheckInput()
{
    static const long long interval = []
    {
        const char* every = std::getenv ("PLUMORA_FUZZ_RESET_CHECK_EVERY");
        const long long count = every != nullptr ? std::atoll (every) : 0;
        return count > 0 ? count : 256LL;
    }();
    static long long inputs = 0;
    return inputs++ % interval == 0;
}

void checkResetLeftNothing (const Fingerprint& afterOthers, const Fingerprint& alone)
{
    check (afterOthers.value() == alone.value(),
           "the input led elsewhere after other inputs than on objects made for it alone: the reset leaves something behind");
}

bool isFinite (const juce::AudioBuffer<float>& buffer)
{
    for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            if (! std::isfinite (buffer.getSample (channel, i)))
                return false;
    return true;
}

ProcessorRig::ProcessorRig (int maximumBlockSize)
{
    initialise();
    plugin.prepareToPlay (kRate, maximumBlockSize);

    auto& parameters = plugin.parameters();
    madeTree = parameters.copyState();
    madeProgram = plugin.getCurrentProgram();
    const auto& startup = plugin.presets().getFactoryPresets().at (static_cast<std::size_t> (madeProgram));
    madePresetValues = presetValuesOver (presetValuesOver ({}, PresetDocument {}), startup);
    for (int row = 0; row < kNumParameters; ++row)
    {
        const auto id = parameterCatalogue()[row].id;
        const auto* parameter = parameters.getParameter (id);
        values[static_cast<std::size_t> (row)] = parameters.getRawParameterValue (id);
        check (parameter != nullptr && values[static_cast<std::size_t> (row)] != nullptr, "a catalogue parameter has no host parameter");
        madeValues[static_cast<std::size_t> (row)] = values[static_cast<std::size_t> (row)]->load();
        const float written = parameterSpec (static_cast<ParamID> (row)).clamp (madePresetValues[static_cast<std::size_t> (row)]);
        check (parameter->convertFrom0to1 (parameter->convertTo0to1 (written)) == madeValues[static_cast<std::size_t> (row)],
               "writing the startup preset's values again would not give the values it loaded");
    }

    auto& engine = plugin.engine();
    madeRoutings = engine.modMatrix().routings();
    madeTables = { engine.wavetableId (0), engine.wavetableId (1) };
    madeMpe = engine.isMpeEnabled();
    madeName = plugin.getCurrentPresetName();
    madeUiMode = plugin.uiMode();
    parameters.state.addListener (&treeWatcher);
}

ProcessorRig::~ProcessorRig()
{
    plugin.parameters().state.removeListener (&treeWatcher);
}

namespace
{
bool sameRoutings (const std::vector<ModRouting>& a, const std::vector<ModRouting>& b)
{
    return std::equal (a.begin(), a.end(), b.begin(), b.end(), [] (const ModRouting& x, const ModRouting& y)
    {
        return x.source == y.source && x.target == y.target && x.depth == y.depth && x.scope == y.scope && x.audioRate == y.audioRate;
    });
}
} // namespace

PlumoraAudioProcessor& ProcessorRig::reset()
{
    auto& parameters = plugin.parameters();
    if (treeWatcher.replaced) // by a restored state, with whatever else it held
    {
        parameters.replaceState (madeTree.createCopy());
        treeWatcher.replaced = false;
    }
    // Setting the program loads its preset: every parameter, the routings,
    // tables, MPE flag and name. Only a restored state moves the program.
    if (plugin.getCurrentProgram() != madeProgram)
        plugin.setCurrentProgram (madeProgram);

    // Written as loading the preset wrote them, so each holds its made value exactly.
    for (int row = 0; row < kNumParameters; ++row)
        if (values[static_cast<std::size_t> (row)]->load() != madeValues[static_cast<std::size_t> (row)])
            HostParameters::write (parameters, static_cast<ParamID> (row), madePresetValues[static_cast<std::size_t> (row)]);

    auto& engine = plugin.engine();
    if (! sameRoutings (engine.modMatrix().routings(), madeRoutings))
        engine.modMatrix().replaceRoutings (madeRoutings);
    for (int slot = 0; slot < 2; ++slot)
        if (engine.wavetableId (slot) != madeTables[static_cast<std::size_t> (slot)])
            engine.setWavetable (slot, makeFactoryWavetable (madeTables[static_cast<std::size_t> (slot)]), madeTables[static_cast<std::size_t> (slot)]);
    engine.setMpeEnabled (madeMpe);
    if (plugin.getCurrentPresetName() != madeName)
        plugin.setCurrentPresetName (madeName);
    plugin.setUiMode (madeUiMode);

    plugin.keyboardState().reset();
    engine.reset();
    return plugin;
}

Player::Player (PlumoraAudioProcessor& p, Fingerprint& f, int blockSize)
    : processor (p), fingerprint (f), buffer (2, blockSize)
{
}

void Player::press (std::initializer_list<int> notes)
{
    for (const int note : notes)
        events.addEvent (juce::MidiMessage::noteOn (1, note, 0.9f), 0);
}

void Player::release (std::initializer_list<int> notes)
{
    for (const int note : notes)
        events.addEvent (juce::MidiMessage::noteOff (1, note), 0);
}

void Player::playNewNote (int note, const char* failure)
{
    if (lastNote >= 0)
        events.addEvent (juce::MidiMessage::noteOff (1, lastNote), 0);
    events.addEvent (juce::MidiMessage::noteOn (1, note, 0.9f), 0);
    lastNote = note;
    play (1, failure);
}

void Player::releaseLastNote (const char* failure)
{
    if (lastNote >= 0)
        events.addEvent (juce::MidiMessage::noteOff (1, lastNote), 0);
    lastNote = -1;
    play (1, failure);
}

void Player::play (int blocks, const char* failure)
{
    for (int block = 0; block < blocks; ++block)
    {
        processor.processBlock (buffer, events);
        events.clear();
        check (isFinite (buffer), failure);
        fingerprint.add (buffer);
    }
}

} // namespace plumora::fuzz
