#include "ModMatrix.h"

#include "dsp/Xorshift32.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>

namespace plumora
{
namespace
{
struct SourceName { const char* id; const char* label; };

constexpr SourceName kSourceNames[kNumModSources] = {
    { "lfo1", "LFO1" }, { "lfo2", "LFO2" }, { "lfo3", "LFO3" }, { "lfo4", "LFO4" },
    { "modenv1", "Env1" }, { "modenv2", "Env2" }, { "macro1", "Macro1" }, { "macro2", "Macro2" },
    { "sample_and_hold", "S&H" }, { "velocity", "Vel" }, { "mod_wheel", "MW" }, { "aftertouch", "AT" },
    { "pitch_bend", "PB" }, { "mpe_pressure", "MPE Pr" }, { "mpe_slide", "MPE Sl" }, { "mpe_glide", "MPE Gl" },
    { "chord_complexity", "Chord" }, { "note_bloom", "Bloom" }, { "repetition_bloom", "Rep" },
};

constexpr float kHoldClockHz = 4.0f;
constexpr float kHoldSlewPerSecond = 10.0f;
constexpr float kWideRange = 10.0f;
constexpr float kMinimumWideShare = 0.02f;

int sourceIndex (ModSourceID source) noexcept { return static_cast<int> (source); }
bool isKnownSource (ModSourceID source) noexcept { return sourceIndex (source) >= 0 && sourceIndex (source) < kNumModSources; }
bool isKnownTarget (int target) noexcept { return target >= 0 && target < kNumParameters; }

float clampDepth (float depth) noexcept { return std::isnan (depth) ? 0.0f : std::clamp (depth, -1.0f, 1.0f); }

struct LfoIds { ParamID rate, depth, shape, mode; };
constexpr LfoIds kLfoIds[4] = {
    { ParamID::lfo1_rate, ParamID::lfo1_depth, ParamID::lfo1_shape, ParamID::lfo1_mode },
    { ParamID::lfo2_rate, ParamID::lfo2_depth, ParamID::lfo2_shape, ParamID::lfo2_mode },
    { ParamID::lfo3_rate, ParamID::lfo3_depth, ParamID::lfo3_shape, ParamID::lfo3_mode },
    { ParamID::lfo4_rate, ParamID::lfo4_depth, ParamID::lfo4_shape, ParamID::lfo4_mode },
};

// The source whose own behaviour a parameter controls, or unknown.
ModSourceID owningSource (int target) noexcept
{
    const auto id = static_cast<ParamID> (target);
    for (int n = 0; n < 4; ++n)
    {
        const auto lfo = static_cast<ModSourceID> (sourceIndex (ModSourceID::lfo1) + n);
        const ParamID owned[] = { kLfoIds[n].rate, kLfoIds[n].depth, kLfoIds[n].shape, kLfoIds[n].mode,
                                  static_cast<ParamID> (index (ParamID::lfo1_delay_ms) + n),
                                  static_cast<ParamID> (index (ParamID::lfo1_fade_ms) + n) };
        if (std::find (std::begin (owned), std::end (owned), id) != std::end (owned))
            return lfo;
    }
    if (target >= index (ParamID::modenv1_attack) && target <= index (ParamID::modenv1_release))
        return ModSourceID::modenv1;
    if (target >= index (ParamID::modenv2_attack) && target <= index (ParamID::modenv2_release))
        return ModSourceID::modenv2;
    if (id == ParamID::macro1)
        return ModSourceID::macro1;
    if (id == ParamID::macro2)
        return ModSourceID::macro2;
    return ModSourceID::unknown;
}

// Moves a parameter by value x depth of its span: the full range for ranges
// of 10 or less and for the two tune parameters, else in proportion to its
// unmodulated setting but at least 2 % of the range.
float modulated (float current, float unmodulatedTarget, ParamID target, float sourceValue, float depth) noexcept
{
    const auto& definition = parameterSpec (target);
    float span = definition.max - definition.min;
    if (target != ParamID::osc1_tune && target != ParamID::osc2_tune && span > kWideRange)
        span = std::max (kMinimumWideShare * span, std::abs (unmodulatedTarget));
    return definition.clamp (current + sourceValue * depth * span);
}
} // namespace

ModSourceID modSourceFromId (const char* id) noexcept
{
    if (id != nullptr)
        for (int i = 0; i < kNumModSources; ++i)
            if (std::strcmp (id, kSourceNames[i].id) == 0)
                return static_cast<ModSourceID> (i);
    return ModSourceID::unknown;
}

const char* modSourceId (ModSourceID source) noexcept
{
    return isKnownSource (source) ? kSourceNames[sourceIndex (source)].id : "unknown";
}

const char* modSourceLabel (ModSourceID source) noexcept
{
    return isKnownSource (source) ? kSourceNames[sourceIndex (source)].label : "?";
}

std::shared_ptr<const RoutingSet> RoutingSet::make (std::vector<ModRouting> routings)
{
    auto set = std::make_shared<RoutingSet>();
    set->routings = std::move (routings);

    // Kahn's sort: an edge source -> owner means the source must run before
    // the owner of the parameter it moves. Duplicate edges count separately.
    std::array<std::vector<int>, kNumModSources> edges;
    std::array<int, kNumModSources> incoming {};
    for (const auto& routing : set->routings)
    {
        if (! isKnownSource (routing.source) || ! isKnownTarget (routing.target))
            continue;
        const auto owner = owningSource (routing.target);
        if (owner != ModSourceID::unknown && owner != routing.source)
        {
            edges[static_cast<std::size_t> (sourceIndex (routing.source))].push_back (sourceIndex (owner));
            ++incoming[static_cast<std::size_t> (sourceIndex (owner))];
        }
    }

    std::deque<int> ready;
    for (int s = 0; s < kNumModSources; ++s)
        if (incoming[static_cast<std::size_t> (s)] == 0)
            ready.push_back (s);

    std::array<bool, kNumModSources> placed {};
    int count = 0;
    while (! ready.empty())
    {
        const int s = ready.front();
        ready.pop_front();
        set->evaluationOrder[static_cast<std::size_t> (count++)] = static_cast<ModSourceID> (s);
        placed[static_cast<std::size_t> (s)] = true;
        for (const int next : edges[static_cast<std::size_t> (s)])
            if (--incoming[static_cast<std::size_t> (next)] == 0)
                ready.push_back (next);
    }

    // A cycle: the sources caught in it follow the others in index order.
    set->cyclePresent = count < kNumModSources;
    for (int s = 0; s < kNumModSources; ++s)
        if (! placed[static_cast<std::size_t> (s)])
            set->evaluationOrder[static_cast<std::size_t> (count++)] = static_cast<ModSourceID> (s);
    return set;
}

ModMatrix::ModMatrix (const RenderEpoch& epoch)
    : list (epoch, RoutingSet::make ({}))
{
}

int ModMatrix::addRouting (ModSourceID source, int target, float depth, ModScope scope, bool audioRate)
{
    auto routings = list.current()->routings;
    routings.push_back ({ source, target, clampDepth (depth), scope, audioRate });
    list.publish (RoutingSet::make (std::move (routings)));
    return static_cast<int> (list.current()->routings.size()) - 1;
}

void ModMatrix::removeRouting (int index)
{
    auto routings = list.current()->routings;
    if (index < 0 || index >= static_cast<int> (routings.size()))
        return;
    routings.erase (routings.begin() + index);
    list.publish (RoutingSet::make (std::move (routings)));
}

void ModMatrix::setRoutingDepth (int index, float depth)
{
    auto routings = list.current()->routings;
    if (index < 0 || index >= static_cast<int> (routings.size()))
        return;
    routings[static_cast<std::size_t> (index)].depth = clampDepth (depth);
    list.publish (RoutingSet::make (std::move (routings)));
}

void ModMatrix::replaceRoutings (std::vector<ModRouting> routings)
{
    for (auto& routing : routings)
        routing.depth = clampDepth (routing.depth);
    list.publish (RoutingSet::make (std::move (routings)));
}

void ModMatrix::prepare (double newSampleRate) noexcept
{
    if (newSampleRate > 0.0)
        sampleRate = newSampleRate;
    for (auto& lfo : globalLfos)
        lfo.prepare (sampleRate);
}

void ModMatrix::resetSources() noexcept
{
    for (auto& lfo : globalLfos)
    {
        lfo = Lfo();
        lfo.prepare (sampleRate);
    }
    holdPhase = holdOutput = holdTarget = 0.0f;
    holdRandomState = kHoldSeed;
}

void ModMatrix::processGlobal (ParameterSlots& slots, const GlobalValues& globals, int numSamples) noexcept
{
    blockList = list.acquire();

    // Sample and hold: a 4 Hz clock draws targets; the output slews towards them.
    const float previousPhase = holdPhase;
    holdPhase += static_cast<float> (numSamples * kHoldClockHz / sampleRate);
    holdPhase -= std::floor (holdPhase);
    if (holdPhase < previousPhase)
        holdTarget = 2.0f * nextRandomFraction (holdRandomState) - 1.0f;
    const float maximumStep = static_cast<float> (kHoldSlewPerSecond * numSamples / sampleRate);
    holdOutput += std::clamp (holdTarget - holdOutput, -maximumStep, maximumStep);

    for (const auto source : blockList->evaluationOrder)
    {
        float sourceValue = 0.0f;
        const int s = sourceIndex (source);

        if (s <= sourceIndex (ModSourceID::lfo4))
        {
            const auto& ids = kLfoIds[s];
            const float output = globalLfos[static_cast<std::size_t> (s)].advance (
                slots.blockValue (ids.rate), std::clamp (static_cast<int> (slots.blockValue (ids.shape)), 0, 5), numSamples);
            if (slots.blockValue (ids.mode) > 0.5f)
                continue; // this LFO runs per voice
            sourceValue = output * slots.blockValue (ids.depth);
        }
        else
        {
            switch (source)
            {
                case ModSourceID::macro1:           sourceValue = slots.blockValue (ParamID::macro1); break;
                case ModSourceID::macro2:           sourceValue = slots.blockValue (ParamID::macro2); break;
                case ModSourceID::sample_and_hold:  sourceValue = holdOutput; break;
                case ModSourceID::mod_wheel:        sourceValue = globals.modWheel; break;
                case ModSourceID::aftertouch:       sourceValue = globals.channelPressure; break;
                case ModSourceID::pitch_bend:       sourceValue = globals.pitchBend; break;
                case ModSourceID::chord_complexity: sourceValue = globals.chordComplexity; break;
                default:                            continue; // a per-voice source
            }
        }

        for (const auto& routing : blockList->routings)
            if (routing.source == source && routing.scope == ModScope::global && isKnownTarget (routing.target))
            {
                const auto target = static_cast<ParamID> (routing.target);
                slots.setBlockValue (target, modulated (slots.blockValue (target), slots.target (target), target, sourceValue, routing.depth));
            }
    }
}

void ModMatrix::applyVoice (VoiceParameters& copy, const ParameterSlots& slots, const VoiceModSources& sources) const noexcept
{
    if (blockList == nullptr)
        return;

    for (const auto& routing : blockList->routings)
    {
        if (routing.scope == ModScope::global || ! isKnownTarget (routing.target))
            continue;

        float sourceValue = 0.0f;
        const int s = sourceIndex (routing.source);
        if (s >= 0 && s <= sourceIndex (ModSourceID::lfo4))
        {
            const auto& ids = kLfoIds[s];
            if (copy[static_cast<std::size_t> (index (ids.mode))] <= 0.5f)
                continue; // this LFO runs globally
            sourceValue = copy[static_cast<std::size_t> (index (ids.depth))] * sources.lfos[static_cast<std::size_t> (s)];
        }
        else
        {
            switch (routing.source)
            {
                case ModSourceID::modenv1:          sourceValue = sources.modEnvelope1; break;
                case ModSourceID::modenv2:          sourceValue = sources.modEnvelope2; break;
                case ModSourceID::velocity:         sourceValue = sources.velocity; break;
                case ModSourceID::aftertouch:       sourceValue = sources.polyPressure; break;
                case ModSourceID::mpe_pressure:     sourceValue = sources.mpePressure; break;
                case ModSourceID::mpe_slide:        sourceValue = sources.mpeSlide; break;
                case ModSourceID::mpe_glide:        sourceValue = sources.mpePitch; break;
                case ModSourceID::note_bloom:       sourceValue = sources.noteBloom; break;
                case ModSourceID::repetition_bloom: sourceValue = sources.repetitionBloom; break;
                default:                            continue; // a global source
            }
        }

        const auto target = static_cast<ParamID> (routing.target);
        auto& value = copy[static_cast<std::size_t> (routing.target)];
        value = modulated (value, slots.target (target), target, sourceValue, routing.depth);
    }
}

float ModMatrix::computeChordComplexity (unsigned pitchClassMask) noexcept
{
    constexpr float kIntervalWeight[7] = { 0.0f, 1.0f, 0.8f, 0.3f, 0.2f, 0.1f, 0.9f };

    int classes[12];
    int n = 0;
    for (int pc = 0; pc < 12; ++pc)
        if (pitchClassMask & (1u << pc))
            classes[n++] = pc;
    if (n <= 1)
        return 0.0f;

    float weights = 0.0f;
    int pairs = 0;
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
        {
            const int d = (classes[j] - classes[i]) % 12;
            weights += kIntervalWeight[d < 7 ? d : 12 - d];
            ++pairs;
        }

    const float density = std::min (1.0f, static_cast<float> (n - 2) * 0.1f) * 0.3f;
    return std::clamp (density + weights / static_cast<float> (pairs), 0.0f, 1.0f);
}

} // namespace plumora
