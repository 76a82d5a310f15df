#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <optional>

namespace plumora::render
{

// What to play: MIDI events with time stamps in seconds, and the tempo the
// host play head reports.
struct Performance
{
    juce::MidiMessageSequence events;
    double tempo = 120.0;
    juce::String error; // set when the MIDI file could not be used
};

// A few bars that show a sound off: a chord, a melody and a held low note.
Performance demoPhrase (double tempo);

// A standard MIDI file (types 0 and 1), all tracks and channels, timed by its
// tempo map. The file's first tempo becomes the play-head tempo unless one is given.
Performance loadMidiFile (const juce::File& file, std::optional<double> tempo);

} // namespace plumora::render
