#include "Performance.h"

#include <juce_audio_formats/juce_audio_formats.h>

namespace plumora::render
{
namespace
{
constexpr juce::int64 kLargestMidiFile = 16 * 1024 * 1024;

void addNote (juce::MidiMessageSequence& sequence, double startBeats, double lengthBeats, int note, float velocity, double secondsPerBeat)
{
    sequence.addEvent (juce::MidiMessage::noteOn (1, note, velocity), startBeats * secondsPerBeat);
    sequence.addEvent (juce::MidiMessage::noteOff (1, note), (startBeats + lengthBeats) * secondsPerBeat);
}
} // namespace

Performance demoPhrase (double tempo)
{
    Performance performance;
    performance.tempo = tempo;
    const double beat = 60.0 / tempo;
    auto& s = performance.events;

    // Bars 1-2: a Cmaj9 chord, held.
    for (const int note : { 48, 55, 59, 62, 64 })
        addNote (s, 0.0, 7.5, note, 0.75f, beat);

    // Bar 3: a melody over a root.
    addNote (s, 8.0, 3.5, 45, 0.7f, beat);
    const int melody[] = { 64, 67, 69, 72, 71, 67, 64, 62 };
    for (int i = 0; i < 8; ++i)
        addNote (s, 8.0 + 0.5 * i, 0.45, melody[i], 0.6f + 0.04f * static_cast<float> (i % 3), beat);

    // Bar 4: a held low note under a high one.
    addNote (s, 12.0, 4.0, 36, 0.9f, beat);
    addNote (s, 12.5, 3.0, 72, 0.5f, beat);

    s.updateMatchedPairs();
    return performance;
}

Performance loadMidiFile (const juce::File& file, std::optional<double> tempo)
{
    Performance performance;
    if (! file.existsAsFile())
    {
        performance.error = "cannot read MIDI file '" + file.getFullPathName() + "'";
        return performance;
    }
    if (file.getSize() > kLargestMidiFile)
    {
        performance.error = "MIDI file '" + file.getFullPathName() + "' is too large";
        return performance;
    }

    juce::FileInputStream stream (file);
    juce::MidiFile midi;
    if (! stream.openedOk() || ! midi.readFrom (stream) || midi.getNumTracks() == 0)
    {
        performance.error = "'" + file.getFullPathName() + "' is not a standard MIDI file";
        return performance;
    }

    juce::MidiMessageSequence tempoEvents;
    midi.findAllTempoEvents (tempoEvents);
    double fileTempo = 120.0;
    if (tempoEvents.getNumEvents() > 0)
    {
        const double secondsPerQuarter = tempoEvents.getEventPointer (0)->message.getTempoSecondsPerQuarterNote();
        if (secondsPerQuarter > 0.0)
            fileTempo = 60.0 / secondsPerQuarter;
    }
    performance.tempo = tempo.value_or (fileTempo);

    midi.convertTimestampTicksToSeconds(); // follows every tempo change
    for (int t = 0; t < midi.getNumTracks(); ++t)
        for (const auto* event : *midi.getTrack (t))
            if (! event->message.isMetaEvent() && ! event->message.isSysEx())
                performance.events.addEvent (event->message);
    performance.events.sort();
    performance.events.updateMatchedPairs();
    return performance;
}

} // namespace plumora::render
