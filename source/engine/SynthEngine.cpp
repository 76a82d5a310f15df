#include "SynthEngine.h"

#include "RealtimeLog.h"
#include "dsp/FactoryWavetables.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace plumora
{
namespace
{
constexpr float kGlideOffTime = 0.0001f;
constexpr float kAudibleLevel = 0.001f;

constexpr int kModWheel = 1;
constexpr int kSustainPedal = 64;
constexpr int kMpeSlide = 74;
constexpr int kAllSoundOff = 120;
constexpr int kAllNotesOff = 123;

bool isMidiNote (int note) noexcept { return note >= 0 && note <= 127; }

// Controller-style values arrive as 0..1; anything else (NaN included) is pulled in.
float unitRange (float value) noexcept { return value >= 0.0f ? std::min (value, 1.0f) : 0.0f; }
float bipolarRange (float value) noexcept { return value >= -1.0f ? std::min (value, 1.0f) : (value < -1.0f ? -1.0f : 0.0f); }

const char* stateName (Voice::State state) noexcept
{
    switch (state)
    {
        case Voice::Attack:  return "Attack";
        case Voice::Sustain: return "Sustain";
        default:             return "Release";
    }
}

std::uint32_t floatBits (float value) noexcept
{
    std::uint32_t bits;
    std::memcpy (&bits, &value, sizeof (bits));
    return bits;
}
} // namespace

SynthEngine::SynthEngine()
    : wavetable1 (renderEpoch, makeFactoryWavetable (wavetableIds[0])),
      wavetable2 (renderEpoch, makeFactoryWavetable (wavetableIds[1])),
      matrix (renderEpoch)
{
    // Started here, off the audio thread, so the first note off never has to.
    RealtimeLog::instance().startDrainThread();
    prepare (currentSampleRate, currentBlockSize);
}

SynthEngine::~SynthEngine()
{
    RealtimeLog::instance().stopDrainThread();
}

void SynthEngine::prepare (double sampleRate, int maximumBlockSize)
{
    if (sampleRate > 0.0 && std::isfinite (sampleRate))
        currentSampleRate = sampleRate;
    if (maximumBlockSize > 0)
        currentBlockSize = maximumBlockSize;

    matrix.prepare (currentSampleRate);
    arpeggiator.prepare (currentSampleRate);
    // Hosts prepare again while playing: the arpeggiator's notes end (nothing
    // else would end them) and the keys still held go on from a new step.
    for (int i = 0; i < VoicePool::kSize; ++i)
        if (startedByArpeggiator[static_cast<std::size_t> (i)] && voices[i].isHeld())
            voices[i].release();
    arpeggiator.restartPattern();
    for (int i = 0; i < VoicePool::kSize; ++i)
    {
        voices[i].prepare (currentSampleRate, kControlInterval);
        voices[i].setRepetitionCounts (&repetitionCounts);
    }
    silentVoice.prepare (currentSampleRate, kControlInterval);
    silentVoice.setRepetitionCounts (&repetitionCounts);
    repetitionCounts.fill (0);

    effects.prepare (currentSampleRate);
    outputGain.prepare (currentSampleRate);
    slots.restartTraces();
    gridPosition = 0;
}

void SynthEngine::reset() noexcept
{
    // A voice not started since the last reset is still as prepare left it;
    // the copy keeps each buffer's size, so it allocates nothing.
    for (int i = 0; i < VoicePool::kSize; ++i)
        if (voiceStartOrder[static_cast<std::size_t> (i)] != 0 || ! voices[i].isIdle())
            voices[i] = silentVoice;
    voiceStartOrder.fill (0);
    voicesStarted = 0;
    startedByArpeggiator.fill (false);
    activeVoices.store (0, std::memory_order_relaxed);

    sustainPedalDown = false;
    sustainedNotes.fill (false);
    repetitionCounts.fill (0);
    oscillatorRandomState = kOscillatorSeed;
    for (auto* source : { &chordComplexity, &modWheel, &pressure, &bend })
        source->store (0.0f, std::memory_order_relaxed);

    arpeggiator.reset();
    arpeggiator.restartRandomSequence();
    arpeggiatorWasOn = false;
    lastArpFrequency = 0.0f;

    matrix.resetSources();
    effects.reset();
    outputGain.prepare (currentSampleRate);
    slots.restartTraces();
    gridPosition = 0;
    voicesRenderedTo = 0;
    newestVoiceValues = {};
    newestVoiceTraced = false;
}

void SynthEngine::setParameters (const std::vector<ParameterValue>& values) noexcept
{
    for (const auto& entry : values)
        setParameter (entry.id, entry.value);
}

void SynthEngine::setHostTempo (double bpm) noexcept
{
    arpeggiator.setHostTempo (bpm);
}

void SynthEngine::setWavetable (int slot, SharedWavetable table, std::string id)
{
    if (table == nullptr || slot < 0 || slot > 1)
        return;
    (slot == 0 ? wavetable1 : wavetable2).publish (std::move (table));
    wavetableIds[static_cast<std::size_t> (slot)] = std::move (id);
}

std::string SynthEngine::wavetableId (int slot) const
{
    return slot == 0 || slot == 1 ? wavetableIds[static_cast<std::size_t> (slot)] : std::string();
}

SharedWavetable SynthEngine::wavetable (int slot) const
{
    if (slot == 0)
        return wavetable1.current();
    if (slot == 1)
        return wavetable2.current();
    return nullptr;
}

SynthEngine::GlobalSources SynthEngine::globalSources() const noexcept
{
    return { chordComplexity.load (std::memory_order_relaxed), modWheel.load (std::memory_order_relaxed),
             pressure.load (std::memory_order_relaxed), bend.load (std::memory_order_relaxed) };
}

// MIDI entry points ---------------------------------------------------------

void SynthEngine::noteOn (int channel, int note, float velocity) noexcept
{
    if (isMidiNote (note))
        sustainedNotes[static_cast<std::size_t> (note)] = false;

    if (isArpeggiatorOn())
    {
        noticeArpeggiatorSwitchedOn();
        arpeggiator.hold (note, unitRange (velocity));
        return;
    }

    const bool glideOn = target (ParamID::glide_time) > kGlideOffTime;
    float glideSourceHz = glideOn ? voices.firstAudibleFrequency() : 0.0f;

    int chosen = -1;
    if (target (ParamID::voice_mode) > 0.5f)
    {
        chosen = voices.loudest();
        if (chosen >= 0)
        {
            if (glideOn && voices[chosen].amplitudeLevel() > kAudibleLevel)
                glideSourceHz = voices[chosen].noteFrequency();
            for (int i = 0; i < VoicePool::kSize; ++i)
                if (i != chosen && ! voices[i].isIdle())
                    voices[i].kill();
            takeOverVoice (chosen, channel, note, unitRange (velocity), glideSourceHz);
            countRepetition (note);
            return;
        }
    }
    if (chosen < 0)
        chosen = voices.chooseForNewNote();

    startVoice (chosen, channel, note, unitRange (velocity), glideSourceHz, false);
    countRepetition (note);
}

void SynthEngine::startVoice (int voiceIndex, int channel, int note, float velocity, float glideSourceHz, bool byArpeggiator) noexcept
{
    voices[voiceIndex].start (note, velocity, channel, oscillatorRandomState, glideSourceHz);
    startedByArpeggiator[static_cast<std::size_t> (voiceIndex)] = byArpeggiator;
    voiceStartOrder[static_cast<std::size_t> (voiceIndex)] = ++voicesStarted;
}

void SynthEngine::takeOverVoice (int voiceIndex, int channel, int note, float velocity, float glideSourceHz) noexcept
{
    voices[voiceIndex].takeOver (note, velocity, channel, glideSourceHz);
    startedByArpeggiator[static_cast<std::size_t> (voiceIndex)] = false;
    voiceStartOrder[static_cast<std::size_t> (voiceIndex)] = ++voicesStarted;
}

void SynthEngine::countRepetition (int note) noexcept
{
    auto& count = repetitionCounts[static_cast<std::size_t> (pitchClassOf (note))];
    if (count < 255)
        ++count;
}

void SynthEngine::noteOff (int channel, int note) noexcept
{
    if (isArpeggiatorOn())
    {
        noticeArpeggiatorSwitchedOn();
        arpeggiator.unhold (note);
        // A note played before the arpeggiator came on still ends with its key.
        for (int i = 0; i < VoicePool::kSize; ++i)
            if (voices[i].isHeld() && voices[i].note() == note && ! startedByArpeggiator[static_cast<std::size_t> (i)])
            {
                voices[i].release();
                break;
            }
        return;
    }

    if (sustainPedalDown && isMidiNote (note))
        sustainedNotes[static_cast<std::size_t> (note)] = true;
    else
        releaseNote (channel, note);
}

void SynthEngine::releaseNote (int channel, int note) noexcept
{
    const int matched = voices.findHeld (note);

    char line[RealtimeLog::kLineBytes];
    std::snprintf (line, sizeof (line),
                   "[pm-midi] engine.noteOff ch=%d note=%d matched_voice=%d matched_state=%s active_on_note=%d",
                   channel, note, matched, matched >= 0 ? stateName (voices[matched].state()) : "none",
                   voices.countPlaying (note));
    RealtimeLog::instance().post (line);

    if (matched >= 0)
        voices[matched].release();
}

void SynthEngine::controller (int channel, int number, float value) noexcept
{
    value = unitRange (value);

    if (number == kModWheel)
    {
        modWheel.store (value, std::memory_order_relaxed);
    }
    else if (number == kSustainPedal)
    {
        const bool wasDown = sustainPedalDown;
        sustainPedalDown = value > 0.5f;

        if (wasDown && ! sustainPedalDown)
            for (int note = 0; note < 128; ++note)
                if (sustainedNotes[static_cast<std::size_t> (note)])
                {
                    sustainedNotes[static_cast<std::size_t> (note)] = false;
                    releaseNote (channel, note);
                }
    }
    else if (number == kAllNotesOff || number == kAllSoundOff)
    {
        // Panic messages from hosts and controllers: every note ends, on any
        // channel (note-offs match by note alone, too), and the sound stops
        // at once for all-sound-off.
        sustainedNotes.fill (false);
        for (int note = 0; note < 128; ++note)
            arpeggiator.unhold (note);
        for (int i = 0; i < VoicePool::kSize; ++i)
            if (number == kAllSoundOff)
                voices[i].kill();
            else if (voices[i].isHeld())
                voices[i].release();
    }
    else if (number == kMpeSlide && isPerNote (channel))
    {
        const int voice = voices.findOnChannel (channel);
        if (voice >= 0)
            voices[voice].expression.mpeSlide = value;
    }
}

void SynthEngine::channelPressure (int channel, float value) noexcept
{
    value = unitRange (value);

    if (! isPerNote (channel))
        pressure.store (value, std::memory_order_relaxed);
    else if (const int voice = voices.findOnChannel (channel); voice >= 0)
        voices[voice].expression.mpePressure = value;
}

void SynthEngine::pitchBend (int channel, float value) noexcept
{
    value = bipolarRange (value);

    if (! isPerNote (channel))
        bend.store (value, std::memory_order_relaxed);
    else if (const int voice = voices.findOnChannel (channel); voice >= 0)
        voices[voice].expression.mpePitch = value;
}

void SynthEngine::polyAftertouch (int /*channel*/, int note, float value) noexcept
{
    if (const int voice = voices.findHeld (note); voice >= 0)
        voices[voice].expression.polyPressure = unitRange (value);
}

// Rendering -------------------------------------------------------------------

void SynthEngine::render (float* const* channels, int channelCount, int numSamples) noexcept
{
    if (channels == nullptr || channelCount <= 0 || numSamples <= 0)
        return;

    // Taken once per call: the message thread may publish new tables meanwhile.
    renderEpoch.enter();
    pieceTable1 = wavetable1.acquire();
    pieceTable2 = wavetable2.acquire();

    for (int offset = 0; offset < numSamples;)
    {
        const int length = std::min (numSamples - offset, kControlInterval - gridPosition);
        renderPiece (length);
        gridPosition = (gridPosition + length) % kControlInterval;

        for (int c = 0; c < channelCount; ++c)
        {
            if (channels[c] == nullptr)
                continue;
            float* out = channels[c] + offset;
            if (c < 2)
                std::copy_n ((c == 0 ? mixLeft : mixRight).data(), length, out);
            else
                std::fill_n (out, length, 0.0f);
        }
        offset += length;
    }
    renderEpoch.leave();
}

void SynthEngine::renderPiece (int numSamples) noexcept
{
    std::fill_n (mixLeft.data(), numSamples, 0.0f);
    std::fill_n (mixRight.data(), numSamples, 0.0f);

    const float complexity = ModMatrix::computeChordComplexity (voices.pitchClassMask());
    chordComplexity.store (complexity, std::memory_order_relaxed);

    slots.beginBlock();
    matrix.processGlobal (slots, { complexity, modWheel.load (std::memory_order_relaxed), pressure.load (std::memory_order_relaxed),
                                   bend.load (std::memory_order_relaxed) }, numSamples);
    const double tempoBpm = arpeggiator.tempo (slots);
    currentTempo.store (tempoBpm, std::memory_order_relaxed);

    voicesRenderedTo = 0;
    newestVoiceTraced = false;
    runArpeggiator (numSamples);
    renderVoicesUpTo (numSamples);
    effects.process (mixLeft.data(), mixRight.data(), numSamples, slots, tempoBpm);

    const int sounding = voices.activeCount();
    activeVoices.store (sounding, std::memory_order_relaxed);
    outputGain.process (mixLeft.data(), mixRight.data(), numSamples, sounding, slots.blockValue (ParamID::master_vol));

    slots.updateTraces (numSamples, currentSampleRate, newestVoiceTraced ? &newestVoiceValues : nullptr);
}

// Switching on starts from an empty pattern. Noticed at the first key as well
// as at render, so keys that arrive in the block that switches it on count.
void SynthEngine::noticeArpeggiatorSwitchedOn() noexcept
{
    if (arpeggiatorWasOn)
        return;
    arpeggiator.reset();
    lastArpFrequency = 0.0f;
    arpeggiatorWasOn = true;
}

void SynthEngine::runArpeggiator (int numSamples) noexcept
{
    const bool on = isArpeggiatorOn();
    if (on)
    {
        noticeArpeggiatorSwitchedOn();
        if (! arpeggiator.isHoldingAnything())
            lastArpFrequency = 0.0f;
        arpeggiator.process (numSamples, slots, arpVoices);
    }
    else if (arpeggiatorWasOn)
    {
        for (int i = 0; i < arpeggiator.soundingCount(); ++i)
            if (const int voice = voices.findHeld (arpeggiator.soundingNote (i)); voice >= 0)
                voices[voice].release();
        arpeggiator.reset();
        lastArpFrequency = 0.0f;
    }
    arpeggiatorWasOn = on;
}

void SynthEngine::ArpVoices::arpEvent (const ArpEvent& event, int sampleOffset) noexcept
{
    auto& e = engine;
    // The voices play up to the event's sample; the event takes effect there.
    e.renderVoicesUpTo (sampleOffset);
    if (! event.on)
    {
        if (const int voice = e.voices.findHeld (event.note); voice >= 0)
            e.voices[voice].release();
        return;
    }

    const int voice = e.voices.chooseForNewNote();
    const bool legato = e.target (ParamID::arp_legato) > 0.5f
                        && static_cast<int> (e.target (ParamID::arp_pattern)) != Arpeggiator::Chord;
    e.startVoice (voice, 1, event.note, event.velocity, legato ? e.lastArpFrequency : 0.0f, true);
    e.countRepetition (event.note);
    e.lastArpFrequency = midiNoteToFrequency (static_cast<float> (event.note));
}

int SynthEngine::newestVoice() const noexcept
{
    int newest = -1;
    for (int i = 0; i < VoicePool::kSize; ++i)
        if (! voices[i].isIdle() && (newest < 0 || voiceStartOrder[static_cast<std::size_t> (i)] > voiceStartOrder[static_cast<std::size_t> (newest)]))
            newest = i;
    return newest;
}

// Renders the voices from where they stopped up to a sample of the piece. The
// piece's block values hold throughout; the voices' own LFOs and envelopes
// move on by the samples rendered.
void SynthEngine::renderVoicesUpTo (int sampleInPiece) noexcept
{
    const int length = sampleInPiece - voicesRenderedTo;
    if (length <= 0)
        return;

    const int newest = newestVoice();
    for (int i = 0; i < VoicePool::kSize; ++i)
    {
        auto& voice = voices[i];
        if (voice.isIdle())
            continue;

        // Each voice works on its own copy, so per-voice modulation stays private.
        slots.copyBlockValues (voiceParameters);
        voice.updateLfos (length, voiceParameters);
        matrix.applyVoice (voiceParameters, slots, voice.modSources());
        if (i == newest)
        {
            newestVoiceValues = voiceParameters;
            newestVoiceTraced = true;
        }
        voice.render (mixLeft.data() + voicesRenderedTo, mixRight.data() + voicesRenderedTo, length, voiceParameters,
                      pieceTable1, pieceTable2);
    }
    voicesRenderedTo = sampleInPiece;
}

double SynthEngine::tailLengthSeconds() const noexcept
{
    double delayTail = 0.0;
    const float feedback = target (ParamID::delay_feedback);
    if (target (ParamID::delay_bypass) < 0.5f && target (ParamID::delay_mix) > 0.0f && feedback > 0.0f)
        delayTail = -3.0 / std::log10 (std::min (0.95, static_cast<double> (feedback)))
                    * std::max (target (ParamID::delay_time_l), target (ParamID::delay_time_r));

    double reverbTail = 0.0;
    if (target (ParamID::reverb_bypass) < 0.5f && target (ParamID::reverb_mix) > 0.0f)
        reverbTail = target (ParamID::reverb_size) * 5.5 + 0.5;

    return std::min (15.0, std::max ({ static_cast<double> (target (ParamID::amp_release)), delayTail, reverbTail }));
}

EngineSnapshot SynthEngine::snapshot (const ParameterValues& values) const
{
    const auto& routings = matrix.routings();

    EngineSnapshot words;
    words.reserve (static_cast<std::size_t> (146 + 5 * routings.size()));
    words.push_back (static_cast<std::uint32_t> (kNumParameters));
    for (int row = 0; row < kNumParameters; ++row)
        words.push_back (floatBits (parameterSpec (static_cast<ParamID> (row)).clamp (values[static_cast<std::size_t> (row)])));

    words.push_back (static_cast<std::uint32_t> (routings.size()));
    for (const auto& routing : routings)
    {
        words.push_back (static_cast<std::uint32_t> (routing.source));
        words.push_back (static_cast<std::uint32_t> (routing.target));
        words.push_back (floatBits (routing.depth));
        words.push_back (static_cast<std::uint32_t> (routing.scope));
        words.push_back (routing.audioRate ? 1u : 0u);
    }
    words.push_back (isMpeEnabled() ? 1u : 0u);
    return words;
}

} // namespace plumora
