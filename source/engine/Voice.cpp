#include "Voice.h"

#include <algorithm>
#include <cmath>

namespace plumora
{
namespace
{
constexpr float kSilentLevel = 0.0001f;
constexpr float kGlideOffTime = 0.0001f;
constexpr float kFilterEnvelopeOctaves = 4.0f;
constexpr float kFmDepthCycles = 4.0f;
constexpr float kFmFeedbackDepth = 2.0f;

float value (const VoiceParameters& p, ParamID id) noexcept { return p[static_cast<std::size_t> (index (id))]; }
int whole (const VoiceParameters& p, ParamID id) noexcept { return static_cast<int> (value (p, id)); }
float octaves (float semitones) noexcept { return std::exp2 (semitones / 12.0f); }

struct LfoIds { ParamID rate, depth, shape, mode, delay, fade; };
constexpr LfoIds kLfoIds[4] = {
    { ParamID::lfo1_rate, ParamID::lfo1_depth, ParamID::lfo1_shape, ParamID::lfo1_mode, ParamID::lfo1_delay_ms, ParamID::lfo1_fade_ms },
    { ParamID::lfo2_rate, ParamID::lfo2_depth, ParamID::lfo2_shape, ParamID::lfo2_mode, ParamID::lfo2_delay_ms, ParamID::lfo2_fade_ms },
    { ParamID::lfo3_rate, ParamID::lfo3_depth, ParamID::lfo3_shape, ParamID::lfo3_mode, ParamID::lfo3_delay_ms, ParamID::lfo3_fade_ms },
    { ParamID::lfo4_rate, ParamID::lfo4_depth, ParamID::lfo4_shape, ParamID::lfo4_mode, ParamID::lfo4_delay_ms, ParamID::lfo4_fade_ms },
};
} // namespace

struct OscillatorSlotIds
{
    ParamID position, tune, octave, semi, unison, detune, driftAmount, driftRate, level, pan, width, mode, superSawMix;
    ParamID ksDamping, ksBrightness, ksPickPosition, ksStretch, ksPickDirection;
};

namespace
{
constexpr OscillatorSlotIds kSlot1Ids {
    ParamID::osc1_wt_pos, ParamID::osc1_tune, ParamID::osc1_octave, ParamID::osc1_semi, ParamID::osc1_unison,
    ParamID::osc1_detune, ParamID::osc1_drift_amt, ParamID::osc1_drift_rate, ParamID::osc1_level, ParamID::osc1_pan,
    ParamID::osc1_stereo_width, ParamID::osc1_mode, ParamID::osc1_ss_mix,
    ParamID::osc1_ks_damping, ParamID::osc1_ks_brightness, ParamID::osc1_ks_pick_pos, ParamID::osc1_ks_stretch, ParamID::osc1_ks_pick_dir,
};
constexpr OscillatorSlotIds kSlot2Ids {
    ParamID::osc2_wt_pos, ParamID::osc2_tune, ParamID::osc2_octave, ParamID::osc2_semi, ParamID::osc2_unison,
    ParamID::osc2_detune, ParamID::osc2_drift_amt, ParamID::osc2_drift_rate, ParamID::osc2_level, ParamID::osc2_pan,
    ParamID::osc2_stereo_width, ParamID::osc2_mode, ParamID::osc2_ss_mix,
    ParamID::osc2_ks_damping, ParamID::osc2_ks_brightness, ParamID::osc2_ks_pick_pos, ParamID::osc2_ks_stretch, ParamID::osc2_ks_pick_dir,
};

constexpr int kKarplusStrongMode = 2;

// Slot frequency: octave and semitone steps are whole (halves away from zero).
float slotFrequency (const VoiceParameters& p, const OscillatorSlotIds& ids, float voiceFrequency) noexcept
{
    return voiceFrequency * std::exp2 (std::round (value (p, ids.octave)))
           * std::exp2 (value (p, ids.tune) / 1200.0f) * octaves (std::round (value (p, ids.semi)));
}

OscillatorSettings oscillatorSettings (const VoiceParameters& p, const OscillatorSlotIds& ids, float frequency, const Wavetable* table) noexcept
{
    OscillatorSettings s;
    s.frequencyHz = frequency;
    s.position = value (p, ids.position);
    s.table = table;
    s.unison = whole (p, ids.unison);
    s.detuneCents = value (p, ids.detune);
    s.driftCents = value (p, ids.driftAmount);
    s.driftRateHz = value (p, ids.driftRate);
    s.stereoWidth = value (p, ids.width);
    // A string slot inside an FM pair plays its table instead.
    s.mode = whole (p, ids.mode) == OscillatorSettings::SuperSaw ? OscillatorSettings::SuperSaw : OscillatorSettings::Wavetable;
    s.superSawMix = value (p, ids.superSawMix);
    return s;
}

KsParameters stringParameters (const VoiceParameters& p, const OscillatorSlotIds& ids) noexcept
{
    return { value (p, ids.ksDamping), value (p, ids.ksBrightness), value (p, ids.ksPickPosition), value (p, ids.ksStretch),
             static_cast<int> (std::round (value (p, ids.ksPickDirection))) };
}
} // namespace

float midiNoteToFrequency (float note) noexcept
{
    return 440.0f * std::exp2 ((note - 69.0f) / 12.0f);
}

void Voice::prepare (double newSampleRate, int blockSize)
{
    sampleRate = newSampleRate;
    for (auto* envelope : { &amplitudeEnvelope, &modEnvelope1, &modEnvelope2 })
        envelope->prepare (sampleRate);
    for (auto& lfo : lfos)
        lfo.prepare (sampleRate);
    slot1.prepare (sampleRate);
    slot2.prepare (sampleRate);
    string1.prepare (sampleRate);
    string2.prepare (sampleRate);
    filterLeft.prepare (sampleRate);
    filterRight.prepare (sampleRate);
    bloomSaturator.prepare (sampleRate);
    dcLeft.prepare (sampleRate);
    dcRight.prepare (sampleRate);

    const auto size = static_cast<std::size_t> (std::max (blockSize, 1));
    for (auto* scratch : { &oscLeft, &oscRight, &mixLeft, &mixRight, &fmModulator })
        scratch->assign (size, 0.0f);
}

float Voice::noteFrequency() const noexcept
{
    return midiNoteToFrequency (static_cast<float> (currentNote));
}

void Voice::start (int note, float velocity, int channel, std::uint32_t& randomState, float glideSourceHz) noexcept
{
    // What a take-over keeps running starts afresh for a new note.
    samplesSinceStart = 0;
    bloom = 0.0f;
    bloomSaturator.reset();
    fmFeedbackHistory = {};
    startOscillatorPair (slot1, slot2, randomState);
    dcLeft.reset();
    dcRight.reset();
    slot1Level = slot2Level = {}; // a new note starts at the levels it finds
    sub.reset();

    takeOver (note, velocity, channel, glideSourceHz);
}

void Voice::takeOver (int note, float velocity, int channel, float glideSourceHz) noexcept
{
    currentNote = note;
    currentChannel = channel;
    currentVelocity = velocity;
    currentState = Attack;
    currentGlide = glideSourceHz > 0.0f ? Glide { glideSourceHz, 0.0f } : Glide {};
    expression = {};

    for (auto* envelope : { &amplitudeEnvelope, &modEnvelope1, &modEnvelope2 })
        envelope->noteOn();
    pick.start (sampleRate);

    // A legato (gliding) start keeps the per-voice LFOs running.
    if (glideSourceHz <= 0.0f)
    {
        restartLfos = true;
        lfoOutputs = {};
    }
    firstBlock = true; // and a plucked string takes a new pluck
}

void Voice::release() noexcept
{
    if (currentState == Idle)
        return;

    currentState = Release;
    for (auto* envelope : { &amplitudeEnvelope, &modEnvelope1, &modEnvelope2 })
        envelope->noteOff();
}

void Voice::kill() noexcept
{
    currentState = Idle;
    for (auto* envelope : { &amplitudeEnvelope, &modEnvelope1, &modEnvelope2 })
        envelope->reset();
    modEnvelopeOutputs = {};
    expression = {};
    samplesSinceStart = 0;
    bloom = 0.0f;
    bloomSaturator.reset();
    fmFeedbackHistory = {};
    currentGlide = {};
    string1.reset();
    string2.reset();
    firstBlock = false;
}

void Voice::updateLfos (int numSamples, const VoiceParameters& p) noexcept
{
    for (std::size_t i = 0; i < lfos.size(); ++i)
    {
        const auto& ids = kLfoIds[i];
        if (value (p, ids.mode) > 0.5f)
        {
            lfos[i].trigger (value (p, ids.delay), value (p, ids.fade), restartLfos);
            lfoOutputs[i] = lfos[i].advance (value (p, ids.rate), std::clamp (whole (p, ids.shape), 0, 5), numSamples);
        }
        else
        {
            lfoOutputs[i] = 0.0f;
        }
    }
    restartLfos = false;
}

VoiceModSources Voice::modSources() const noexcept
{
    float repetitionBloom = 0.0f;
    if (repetitionCounts != nullptr)
    {
        const int count = (*repetitionCounts)[static_cast<std::size_t> (pitchClassOf (currentNote))];
        if (count > 1)
            repetitionBloom = std::clamp (std::log2 (static_cast<float> (count)) * 0.25f, 0.0f, 1.0f);
    }

    return { modEnvelopeOutputs[0], modEnvelopeOutputs[1], currentVelocity,
             expression.polyPressure, expression.mpePressure, expression.mpeSlide, expression.mpePitch,
             bloom, repetitionBloom, lfoOutputs };
}

float Voice::advanceGlide (int numSamples, float glideTime) noexcept
{
    const float target = noteFrequency();
    if (currentGlide.progress >= 1.0f || glideTime <= kGlideOffTime || currentGlide.fromHz <= 0.0f)
        return target;

    // Linear in octaves, advanced once per block; the first block already moves.
    currentGlide.progress = std::min (1.0f, currentGlide.progress + static_cast<float> (numSamples / (sampleRate * glideTime)));
    const float from = std::log2 (currentGlide.fromHz);
    return std::exp2 (from + (std::log2 (target) - from) * currentGlide.progress);
}

void Voice::addToMix (const float* left, const float* right, int numSamples, const PannedLevel& level) noexcept
{
    for (int s = 0; s < numSamples; ++s)
    {
        mixLeft[static_cast<std::size_t> (s)] += left[s] * level.leftGain (s);
        mixRight[static_cast<std::size_t> (s)] += right[s] * level.rightGain (s);
    }
}

namespace
{
// Heads the slot's level for this block; false while it stays silent, when
// the slot need not render at all.
bool headLevel (PannedLevel& level, const VoiceParameters& p, const OscillatorSlotIds& ids, int numSamples) noexcept
{
    return level.begin (value (p, ids.level), value (p, ids.pan), numSamples);
}
} // namespace

void Voice::renderSlot (const OscillatorSlotIds& ids, UnisonOscillator& oscillator, KarplusStrongString& string, PannedLevel& level,
                        int numSamples, const VoiceParameters& p, float frequency, const Wavetable* table) noexcept
{
    if (! headLevel (level, p, ids, numSamples))
        return;

    if (whole (p, ids.mode) == kKarplusStrongMode)
    {
        const auto parameters = stringParameters (p, ids);
        if (firstBlock)
            string.excite (stringRandomState, frequency, currentVelocity, parameters);
        string.render (oscLeft.data(), numSamples, parameters);
        addToMix (oscLeft.data(), oscLeft.data(), numSamples, level);
        return;
    }

    oscillator.render (oscLeft.data(), oscRight.data(), numSamples, oscillatorSettings (p, ids, frequency, table));
    addToMix (oscLeft.data(), oscRight.data(), numSamples, level);
}

void Voice::renderFmPair (int numSamples, const VoiceParameters& p, float frequency, const Wavetable* table1, const Wavetable* table2) noexcept
{
    // Slot 2 always renders: it is slot 1's modulator even when silent itself.
    const auto modulatorSettings = oscillatorSettings (p, kSlot2Ids, slotFrequency (p, kSlot2Ids, frequency), table2);
    const float feedback = value (p, ParamID::fm_feedback);
    if (feedback > kSilentLevel)
        slot2.renderWithFeedback (oscLeft.data(), oscRight.data(), numSamples, modulatorSettings,
                                  fmFeedbackHistory[0], fmFeedbackHistory[1], kFmFeedbackDepth * feedback);
    else
        slot2.render (oscLeft.data(), oscRight.data(), numSamples, modulatorSettings);

    for (int s = 0; s < numSamples; ++s)
        fmModulator[static_cast<std::size_t> (s)] = (oscLeft[static_cast<std::size_t> (s)] + oscRight[static_cast<std::size_t> (s)]) * 0.5f;

    if (headLevel (slot2Level, p, kSlot2Ids, numSamples))
        addToMix (oscLeft.data(), oscRight.data(), numSamples, slot2Level);

    if (headLevel (slot1Level, p, kSlot1Ids, numSamples))
    {
        const auto carrierSettings = oscillatorSettings (p, kSlot1Ids, slotFrequency (p, kSlot1Ids, frequency), table1);
        slot1.renderModulated (oscLeft.data(), oscRight.data(), numSamples, carrierSettings, fmModulator.data(),
                               kFmDepthCycles * value (p, ParamID::fm_depth));
        addToMix (oscLeft.data(), oscRight.data(), numSamples, slot1Level);
    }
}

void Voice::renderSlots (int numSamples, const VoiceParameters& p, float frequency, const Wavetable* table1, const Wavetable* table2) noexcept
{
    if (whole (p, ParamID::fm_mode) == 1)
    {
        renderFmPair (numSamples, p, frequency, table1, table2);
        return;
    }
    renderSlot (kSlot1Ids, slot1, string1, slot1Level, numSamples, p, slotFrequency (p, kSlot1Ids, frequency), table1);
    renderSlot (kSlot2Ids, slot2, string2, slot2Level, numSamples, p, slotFrequency (p, kSlot2Ids, frequency), table2);
}

void Voice::runFilter (int numSamples, const VoiceParameters& p) noexcept
{
    const int type = std::clamp (whole (p, ParamID::filt_type), 0, 8);
    const bool active = type != 0 && value (p, ParamID::filt_bypass) <= 0.5f;

    float cutoff = value (p, ParamID::filt_cutoff);
    const float envelopeAmount = value (p, ParamID::filt_env_amount);
    if (active && std::abs (envelopeAmount) > kSilentLevel)
        cutoff = std::clamp (cutoff * std::exp2 (envelopeAmount * amplitudeEnvelope.getValue() * kFilterEnvelopeOctaves), 20.0f, 20000.0f);

    MultimodeFilter::Settings settings;
    settings.mode = static_cast<FilterMode> (type > 0 ? type - 1 : 0);
    settings.cutoff = cutoff * octaves (static_cast<float> (currentNote - 60)); // full key tracking around middle C
    settings.resonance = value (p, ParamID::filt_reso);
    settings.drive = value (p, ParamID::filt_drive);
    settings.vowel = value (p, ParamID::filt_formant_vowel);
    settings.bypass = ! active;
    filterLeft.settings = settings;
    filterRight.settings = settings;
    MultimodeFilter::processPair (filterLeft, filterRight, mixLeft.data(), mixRight.data(), numSamples);
}

void Voice::render (float* left, float* right, int numSamples, const VoiceParameters& p,
                    const Wavetable* table1, const Wavetable* table2) noexcept
{
    if (currentState == Idle || numSamples <= 0)
        return;
    numSamples = std::min (numSamples, static_cast<int> (mixLeft.size()));

    amplitudeEnvelope.setParameters (value (p, ParamID::amp_attack), value (p, ParamID::amp_decay),
                                     value (p, ParamID::amp_sustain), value (p, ParamID::amp_release));
    modEnvelope1.setParameters (value (p, ParamID::modenv1_attack), value (p, ParamID::modenv1_decay),
                                value (p, ParamID::modenv1_sustain), value (p, ParamID::modenv1_release));
    modEnvelope2.setParameters (value (p, ParamID::modenv2_attack), value (p, ParamID::modenv2_decay),
                                value (p, ParamID::modenv2_sustain), value (p, ParamID::modenv2_release));
    modEnvelopeOutputs[0] = modEnvelope1.advance (numSamples);
    modEnvelopeOutputs[1] = modEnvelope2.advance (numSamples);

    samplesSinceStart += static_cast<std::uint64_t> (numSamples);
    const double bloomSamples = sampleRate * value (p, ParamID::note_bloom_rate);
    const double bloomRatio = bloomSamples > 0.0 ? static_cast<double> (samplesSinceStart) / bloomSamples : 1.0;
    bloom = bloomRatio < 1.0 ? static_cast<float> (bloomRatio) : 1.0f;

    std::fill_n (mixLeft.begin(), numSamples, 0.0f);
    std::fill_n (mixRight.begin(), numSamples, 0.0f);

    playedFrequency = advanceGlide (numSamples, value (p, ParamID::glide_time));
    renderSlots (numSamples, p, playedFrequency, table1, table2);
    firstBlock = false;

    const float subLevel = value (p, ParamID::sub_level);
    if (subLevel > kSilentLevel)
    {
        const double subFrequency = playedFrequency * std::exp2 (std::round (value (p, ParamID::osc1_octave)))
                                    * std::exp2 (value (p, ParamID::osc1_tune) / 1200.0f) * 0.5;
        sub.addTo (mixLeft.data(), mixRight.data(), numSamples, subFrequency, sampleRate, value (p, ParamID::sub_shape), subLevel);
    }

    addNoiseAndPick (noise, pick, oscLeft.data(), mixLeft.data(), mixRight.data(), numSamples, sampleRate,
                     value (p, ParamID::noise_level), value (p, ParamID::noise_cutoff),
                     static_cast<int> (std::lround (value (p, ParamID::noise_filter_mode))), value (p, ParamID::pick_attack));

    WarmthSaturator::process (mixLeft.data(), mixRight.data(), numSamples, value (p, ParamID::osc_warmth));
    bloomSaturator.process (mixLeft.data(), mixRight.data(), numSamples, bloom);

    runFilter (numSamples, p);

    distortion.settings = { value (p, ParamID::dist_drive), value (p, ParamID::dist_mix), value (p, ParamID::dist_bypass) > 0.5f };
    distortion.process (mixLeft.data(), numSamples);
    distortion.process (mixRight.data(), numSamples);
    // The offset drive, warmth and phase FM make ends here, before the
    // envelope, so the voice still ends in silence.
    DcBlocker::processPair (dcLeft, dcRight, mixLeft.data(), mixRight.data(), numSamples);

    // The slots are done with the scratch buffer by now.
    float* gains = oscLeft.data();
    amplitudeEnvelope.render (gains, numSamples);
    for (int s = 0; s < numSamples; ++s)
    {
        const float gain = gains[s] * currentVelocity;
        left[s] += gain * mixLeft[static_cast<std::size_t> (s)];
        right[s] += gain * mixRight[static_cast<std::size_t> (s)];
    }

    if (amplitudeEnvelope.isIdle())
        currentState = Idle;
    else if (amplitudeEnvelope.getStage() == AdsrEnvelope::Sustain)
        currentState = Sustain;
}

} // namespace plumora
