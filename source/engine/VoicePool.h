#pragma once

#include "Voice.h"

#include <array>

namespace plumora
{

// The fixed pool of voices and the rules for choosing among them. Pool order
// (array order) breaks every tie.
class VoicePool
{
public:
    static constexpr int kSize = 32;

    Voice& operator[] (int i) noexcept { return voices[static_cast<std::size_t> (i)]; }
    const Voice& operator[] (int i) const noexcept { return voices[static_cast<std::size_t> (i)]; }

    // First idle voice; else the releasing voice with the smallest
    // velocity x level; else the quietest of all.
    int chooseForNewNote() const noexcept;

    // The non-idle voice with the highest amplitude level (first of equals), or -1.
    int loudest() const noexcept;

    // Note frequency of the first voice still audible (level above 0.001), or 0.
    float firstAudibleFrequency() const noexcept;

    // First voice in Attack or Sustain playing note, or -1.
    int findHeld (int note) const noexcept;

    // First non-idle voice on channel (releasing voices included), or -1.
    int findOnChannel (int channel) const noexcept;

    int countPlaying (int note) const noexcept;
    int activeCount() const noexcept;

    // Bit n set when a non-idle voice plays pitch class n.
    unsigned pitchClassMask() const noexcept;

private:
    std::array<Voice, kSize> voices;
};

} // namespace plumora
