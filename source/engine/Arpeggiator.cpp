#include "Arpeggiator.h"

#include "dsp/Xorshift32.h"

#include <algorithm>
#include <cmath>

namespace plumora
{
namespace
{
// An insertion sort: stable like std::stable_sort, but without the temporary
// buffer that one allocates, so it may run on the audio thread (the held
// list is short).
template <class Iterator, class Less>
void stableSortInPlace (Iterator first, Iterator last, Less less) noexcept
{
    for (auto i = first; i != last; ++i)
        for (auto j = i; j != first && less (*j, *(j - 1)); --j)
            std::iter_swap (j, j - 1);
}

// Note lengths in beats per arp_rate step.
double beatsPerStep (int rate) noexcept
{
    switch (rate)
    {
        case 0:  return 1.0;
        case 1:  return 0.5;
        case 2:  return 0.25;
        case 3:  return 1.0 / 3.0;
        case 4:  return 1.0 / 6.0;
        case 5:  return 0.125;
        default: return 0.5;
    }
}

constexpr double kHighestTempo = 1000.0; // beyond this a host tempo is nonsense
} // namespace

void Arpeggiator::prepare (double newSampleRate) noexcept
{
    if (newSampleRate > 0.0)
        sampleRate = newSampleRate;
}

void Arpeggiator::reset() noexcept
{
    heldCount = 0;
    orderCounter = 0;
    restartPattern();
}

void Arpeggiator::restartPattern() noexcept
{
    patternLength = 0;
    soundingNotes = 0;
    uniqueCount = 0;
    stepIndex = -1;
    phase = 0.0;
    noteOffTime = 0.0;
    gateOpen = false;
    ascending = true;
    fadePosition = -1;
    heldChanged = true;
    restart = heldCount > 0; // keys still held play a step at once
    displayStep.store (-1, std::memory_order_relaxed);
    displayLength.store (0, std::memory_order_relaxed);
}

void Arpeggiator::setHostTempo (double bpm) noexcept
{
    if (bpm > 0.0 && std::isfinite (bpm))
    {
        hostTempo = std::min (bpm, kHighestTempo);
        hostTempoValid = true;
    }
}

double Arpeggiator::tempo (const ParameterSlots& slots) const noexcept
{
    return hostTempoValid ? hostTempo : static_cast<double> (slots.blockValue (ParamID::arp_bpm));
}

void Arpeggiator::hold (int note, float velocity) noexcept
{
    if (heldCount == 0)
        restart = true;

    for (int i = 0; i < heldCount; ++i)
        if (held[static_cast<std::size_t> (i)].note == note)
        {
            held[static_cast<std::size_t> (i)].velocity = velocity; // heard from the next rebuild on
            return;
        }

    if (heldCount == kMaxHeld)
        return;
    held[static_cast<std::size_t> (heldCount++)] = { note, velocity, orderCounter++ };
    heldChanged = true;
}

void Arpeggiator::unhold (int note) noexcept
{
    const auto end = std::remove_if (held.begin(), held.begin() + heldCount, [note] (const Held& h) { return h.note == note; });
    heldCount = static_cast<int> (end - held.begin());
    heldChanged = true;
}

void Arpeggiator::rebuildPattern (int pattern, int octaves) noexcept
{
    std::array<Held, kMaxHeld> sorted = held;
    const auto last = sorted.begin() + heldCount;
    if (pattern == AsPlayed)
        stableSortInPlace (sorted.begin(), last, [] (const Held& a, const Held& b) { return a.order < b.order; });
    else
        stableSortInPlace (sorted.begin(), last, [] (const Held& a, const Held& b) { return a.note < b.note; });

    patternLength = 0;
    for (int octave = 0; octave < octaves; ++octave)
        for (int i = 0; i < heldCount; ++i)
            patternEntries[static_cast<std::size_t> (patternLength++)] = { sorted[static_cast<std::size_t> (i)].note + 12 * octave,
                                                                          sorted[static_cast<std::size_t> (i)].velocity };

    if (pattern == Down || pattern == DownUp)
        std::reverse (patternEntries.begin(), patternEntries.begin() + patternLength);

    if (patternLength > 0 && stepIndex >= 0)
        stepIndex %= patternLength;
    fadePosition = -1;
    uniqueCount = 0;
    heldChanged = false;
    builtPattern = pattern;
    builtOctaves = octaves;
}

void Arpeggiator::advanceStep (int pattern) noexcept
{
    const int n = patternLength;
    switch (pattern)
    {
        case UpDown:
        case DownUp:
            if (n <= 1)
            {
                stepIndex = 0;
            }
            else if (ascending)
            {
                if (++stepIndex >= n - 1)
                {
                    stepIndex = n - 1;
                    ascending = false;
                }
            }
            else
            {
                if (stepIndex < 2)
                {
                    stepIndex = 0;
                    ascending = true;
                }
                else
                {
                    --stepIndex;
                }
            }
            break;

        case Random:
            stepIndex = static_cast<int> (static_cast<double> (nextRandom (randomState)) / 4294967296.0 * n) % n;
            break;

        case RandomUnique:
            if (uniqueCount == 0)
            {
                for (int i = 0; i < n; ++i)
                    uniqueBag[static_cast<std::size_t> (i)] = i;
                for (int i = n - 1; i >= 1; --i)
                {
                    const int j = std::min (i, static_cast<int> (static_cast<double> (nextRandom (randomState)) / 4294967296.0 * (i + 1)));
                    std::swap (uniqueBag[static_cast<std::size_t> (i)], uniqueBag[static_cast<std::size_t> (j)]);
                }
                uniqueCount = n;
            }
            stepIndex = uniqueBag[static_cast<std::size_t> (--uniqueCount)];
            break;

        case Chord:
            stepIndex = (stepIndex + 1) % 16;
            break;

        default:
            stepIndex = (stepIndex + 1) % n;
            break;
    }
}

float Arpeggiator::nextFadeFactor (int pattern, float fade) noexcept
{
    const int n = patternLength;
    const int cycle = ((pattern == UpDown || pattern == DownUp) && n > 1) ? 2 * n - 2 : n;
    if (pattern == Chord || cycle <= 0)
    {
        fadePosition = 0;
        return 1.0f;
    }
    fadePosition = (fadePosition + 1) % cycle;
    if (cycle > 1 && fade > 0.0f)
        return std::max (0.0f, 1.0f - static_cast<float> (fadePosition) / static_cast<float> (cycle - 1) * fade);
    return 1.0f;
}

void Arpeggiator::endSoundingNotes (ArpEventSink& events, int sampleOffset) noexcept
{
    for (int i = 0; i < soundingNotes; ++i)
        events.arpEvent ({ sounding[static_cast<std::size_t> (i)], 0.0f, false }, sampleOffset);
    soundingNotes = 0;
}

void Arpeggiator::startStep (int pattern, float fadeFactor, ArpEventSink& events, int sampleOffset) noexcept
{
    const auto play = [&] (const Entry& entry)
    {
        events.arpEvent ({ entry.note, entry.velocity * fadeFactor, true }, sampleOffset);
        if (soundingNotes < kMaxPattern)
            sounding[static_cast<std::size_t> (soundingNotes++)] = entry.note;
    };

    if (pattern == Chord)
        for (int i = 0; i < patternLength; ++i)
            play (patternEntries[static_cast<std::size_t> (i)]);
    else
        play (patternEntries[static_cast<std::size_t> (stepIndex % patternLength)]);
}

void Arpeggiator::process (int numSamples, const ParameterSlots& slots, ArpEventSink& events) noexcept
{
    if (heldCount == 0)
    {
        endSoundingNotes (events, 0);
        gateOpen = false;
        phase = 0.0;
        fadePosition = -1;
        uniqueCount = 0;
        return;
    }

    const int pattern = std::clamp (static_cast<int> (slots.blockValue (ParamID::arp_pattern)), 0, static_cast<int> (Chord));
    const double stepLength = 60.0 / tempo (slots) * beatsPerStep (static_cast<int> (slots.blockValue (ParamID::arp_rate))) * sampleRate;
    const float fade = slots.blockValue (ParamID::arp_vel_decay);
    const float gate = slots.blockValue (ParamID::arp_gate);

    // A new pattern or octave range is heard from the next step, keys held or not.
    const int octaves = std::clamp (static_cast<int> (slots.blockValue (ParamID::arp_octaves)), 1, kMaxOctaves);
    if (heldChanged || pattern != builtPattern || octaves != builtOctaves)
        rebuildPattern (pattern, octaves);
    if (patternLength == 0)
        return;

    if (restart)
    {
        phase = stepLength;
        restart = false;
    }
    // After a jump to a faster tempo the phase may hold several steps: play
    // one now rather than a burst of catch-up notes a sample apart.
    if (phase > 2.0 * stepLength)
        phase = stepLength;

    for (int s = 0; s < numSamples; ++s)
    {
        if (gateOpen && phase >= noteOffTime)
        {
            endSoundingNotes (events, s);
            gateOpen = false;
        }

        if (phase >= stepLength)
        {
            phase -= stepLength;
            advanceStep (pattern);
            const float factor = nextFadeFactor (pattern, fade);
            if (gateOpen)
                endSoundingNotes (events, s);
            startStep (pattern, factor, events, s);
            gateOpen = true;
            noteOffTime = phase + gate * stepLength;
        }
        phase += 1.0;
    }

    displayStep.store (stepIndex, std::memory_order_relaxed);
    displayLength.store (patternLength, std::memory_order_relaxed);
}

} // namespace plumora
