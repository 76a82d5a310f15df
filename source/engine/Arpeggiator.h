#pragma once

#include "ParameterSlots.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace plumora
{

struct ArpEvent
{
    std::int32_t note = 0;
    float velocity = 0.0f; // 0 for note-offs
    bool on = false;
};

// Receives the arpeggiator's events as they are produced, in time order, each
// with the sample of the block it falls on. The engine applies each one at its
// sample, so no list is kept and none can overflow.
class ArpEventSink
{
public:
    virtual ~ArpEventSink() = default;
    virtual void arpEvent (const ArpEvent& event, int sampleOffset) noexcept = 0;
};

// Turns held keys into a pattern on a tempo grid. Plain fixed-size state:
// nothing here allocates.
class Arpeggiator
{
public:
    enum Pattern : int { Up = 0, Down, UpDown, Random, AsPlayed, DownUp, RandomUnique, Chord };

    static constexpr int kMaxHeld = 128;
    static constexpr int kMaxOctaves = 4;
    static constexpr int kMaxPattern = kMaxHeld * kMaxOctaves;

    void prepare (double sampleRate) noexcept;
    void reset() noexcept;
    // The random patterns draw their steps from the start of their sequence again.
    void restartRandomSequence() noexcept { randomState = kRandomSeed; }
    // Starts the pattern again from its first step with the keys still held,
    // as if no step had sounded (the caller ends the sounding notes first).
    void restartPattern() noexcept;

    void hold (int note, float velocity) noexcept;
    void unhold (int note) noexcept;
    bool isHoldingAnything() const noexcept { return heldCount > 0; }

    // The tempo a host supplies (> 0); once given, arp_bpm is no longer used.
    void setHostTempo (double bpm) noexcept;
    // The tempo the steps follow: the host's once it has given one, else arp_bpm.
    double tempo (const ParameterSlots& slots) const noexcept;

    // Produces this block's events, reading the arp_ block values of slots.
    void process (int numSamples, const ParameterSlots& slots, ArpEventSink& events) noexcept;

    // Notes started and not yet ended, for releasing them when switched off.
    int soundingCount() const noexcept { return soundingNotes; }
    int soundingNote (int i) const noexcept { return sounding[static_cast<std::size_t> (i)]; }

    // Read by the editor on the message thread.
    struct Position { int step, length; };
    Position position() const noexcept { return { displayStep.load (std::memory_order_relaxed), displayLength.load (std::memory_order_relaxed) }; }

private:
    struct Held { int note; float velocity; int order; };
    struct Entry { int note; float velocity; };

    void rebuildPattern (int pattern, int octaves) noexcept;
    void advanceStep (int pattern) noexcept;
    void endSoundingNotes (ArpEventSink& events, int sampleOffset) noexcept;
    void startStep (int pattern, float fadeFactor, ArpEventSink& events, int sampleOffset) noexcept;
    float nextFadeFactor (int pattern, float fade) noexcept;

    double sampleRate = 44100.0;
    std::array<Held, kMaxHeld> held {};
    int heldCount = 0;
    int orderCounter = 0;
    std::array<Entry, kMaxPattern> patternEntries {};
    int patternLength = 0;
    bool heldChanged = true;
    int builtPattern = -1, builtOctaves = -1; // what the pattern was built for
    double phase = 0.0;
    int stepIndex = -1;
    bool ascending = true;
    std::array<int, kMaxPattern> sounding {};
    int soundingNotes = 0;
    bool gateOpen = false;
    double noteOffTime = 0.0;
    int fadePosition = -1;
    std::array<int, kMaxPattern> uniqueBag {};
    int uniqueCount = 0;
    double hostTempo = 120.0;
    bool hostTempoValid = false;
    bool restart = false;
    static constexpr std::uint32_t kRandomSeed = 4242;
    std::uint32_t randomState = kRandomSeed;
    std::atomic<int> displayStep { -1 }, displayLength { 0 };
};

} // namespace plumora
