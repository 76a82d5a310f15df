#pragma once

#include "ModRouting.h"
#include "ParameterSlots.h"
#include "RealtimeHandOver.h"
#include "VoiceModSources.h"
#include "dsp/Lfo.h"

#include <array>
#include <memory>
#include <vector>

namespace plumora
{

constexpr int kNumModSources = 19;

// Id text of a source ("lfo1", "note_bloom", ...): unknown text gives
// ModSourceID::unknown. Labels are the editor's short names ("LFO1", "Bloom").
ModSourceID modSourceFromId (const char* id) noexcept;
const char* modSourceId (ModSourceID source) noexcept;
const char* modSourceLabel (ModSourceID source) noexcept;

// A routing list as the audio thread sees it: immutable, with the order in
// which the global sources must be evaluated (a source that modulates another
// source's parameters runs first).
struct RoutingSet
{
    std::vector<ModRouting> routings;
    std::array<ModSourceID, kNumModSources> evaluationOrder {};
    bool cyclePresent = false;

    static std::shared_ptr<const RoutingSet> make (std::vector<ModRouting> routings);
};

// The modulation matrix: the routing list, the four global LFOs and the
// sample and hold. The message thread edits the list (each edit publishes a
// new immutable RoutingSet); the audio thread applies it once globally per
// block and once per voice, without waiting or allocating.
class ModMatrix
{
public:
    explicit ModMatrix (const RenderEpoch& epoch);

    // Message thread ---------------------------------------------------------
    // Appends (depth clamped to -1..1) and returns the new index.
    int addRouting (ModSourceID source, int target, float depth, ModScope scope, bool audioRate);
    // Out-of-range indices do nothing.
    void removeRouting (int index);
    void setRoutingDepth (int index, float depth);
    void replaceRoutings (std::vector<ModRouting> routings);
    const std::vector<ModRouting>& routings() const noexcept { return list.current()->routings; }
    bool cyclePresent() const noexcept { return list.current()->cyclePresent; }
    const std::array<ModSourceID, kNumModSources>& evaluationOrder() const noexcept { return list.current()->evaluationOrder; }

    // Audio thread -------------------------------------------------------------
    void prepare (double sampleRate) noexcept;
    // The global LFOs and the sample and hold start again, as in a new matrix.
    void resetSources() noexcept;

    struct GlobalValues { float chordComplexity, modWheel, channelPressure, pitchBend; };

    // Takes this block's routing list, runs the global sources and applies
    // the global routings to the slots' block values.
    void processGlobal (ParameterSlots& slots, const GlobalValues& globals, int numSamples) noexcept;
    // Applies the per-voice routings of this block's list to a voice's copy.
    void applyVoice (VoiceParameters& copy, const ParameterSlots& slots, const VoiceModSources& sources) const noexcept;

    float sampleAndHoldOutput() const noexcept { return holdOutput; }

    // 0 for one pitch class or none, towards 1 for dense, dissonant sets.
    static float computeChordComplexity (unsigned pitchClassMask) noexcept;

private:
    RealtimeHandOver<RoutingSet> list;
    const RoutingSet* blockList = nullptr;

    double sampleRate = 44100.0;
    std::array<Lfo, 4> globalLfos;
    float holdPhase = 0.0f, holdOutput = 0.0f, holdTarget = 0.0f;
    static constexpr std::uint32_t kHoldSeed = 777;
    std::uint32_t holdRandomState = kHoldSeed;
};

} // namespace plumora
