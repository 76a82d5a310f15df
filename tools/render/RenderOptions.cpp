#include "RenderOptions.h"

namespace plumora::render
{
namespace
{
// A whole string that is a finite number, or nothing.
std::optional<double> parseNumber (const juce::String& text)
{
    const auto trimmed = text.trim();
    if (trimmed.isEmpty() || ! trimmed.containsOnly ("0123456789+-.eE"))
        return std::nullopt;
    const double value = trimmed.getDoubleValue();
    if (! std::isfinite (value))
        return std::nullopt;
    return value;
}
} // namespace

juce::String usageText()
{
    return "Usage: plumora-render [options]\n"
           "  --preset NAME        factory or user preset (default \"First Light\")\n"
           "  --preset-file PATH   a .pmpreset file\n"
           "  --midi FILE          standard MIDI file to play (default: a demo phrase)\n"
           "  --out FILE.wav       output (default plumora-demo.wav)\n"
           "  --png FILE.png       also draw the render (waveform over a spectrogram)\n"
           "  --sample-rate HZ     8000 to 384000 (default 48000)\n"
           "  --block SAMPLES      1 to 8192 (default 512)\n"
           "  --tempo BPM          host tempo, 20 to 999 (default: the MIDI file's, else 120)\n"
           "  --tail SECONDS       0 to 60 after the last note (default: the sound's tail, at most 15)\n"
           "  --bits 16|24|32      sample format; 32 is float (default 24)\n"
           "  --list-presets       list the factory and user presets\n";
}

ParsedOptions parseOptions (const juce::StringArray& arguments)
{
    ParsedOptions parsed;
    auto& o = parsed.options;

    for (int i = 0; i < arguments.size(); ++i)
    {
        const auto& flag = arguments[i];
        const auto value = [&] () -> std::optional<juce::String>
        {
            if (i + 1 >= arguments.size())
                return std::nullopt;
            return arguments[++i];
        };
        const auto fail = [&parsed] (const juce::String& message) { parsed.error = message; return parsed; };
        const auto number = [&] (double low, double high) -> std::optional<double>
        {
            const auto text = value();
            if (! text)
                return std::nullopt;
            const auto n = parseNumber (*text);
            if (! n || *n < low || *n > high)
                return std::nullopt;
            return n;
        };

        if (flag == "--help" || flag == "-h")
            o.help = true;
        else if (flag == "--list-presets")
            o.listPresets = true;
        else if (flag == "--preset")
        {
            const auto name = value();
            if (! name || name->trim().isEmpty())
                return fail ("--preset needs a preset name");
            o.presetName = *name;
        }
        else if (flag == "--preset-file" || flag == "--midi" || flag == "--out" || flag == "--png")
        {
            const auto path = value();
            if (! path || path->isEmpty())
                return fail (flag + " needs a file path");
            const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (*path);
            (flag == "--preset-file" ? o.presetFile : flag == "--midi" ? o.midiFile : flag == "--out" ? o.output : o.picture) = file;
        }
        else if (flag == "--sample-rate")
        {
            const auto n = number (8000.0, 384000.0);
            if (! n)
                return fail ("--sample-rate needs a number from 8000 to 384000");
            o.sampleRate = *n;
        }
        else if (flag == "--block")
        {
            const auto n = number (1.0, 8192.0);
            if (! n || *n != std::floor (*n))
                return fail ("--block needs a whole number from 1 to 8192");
            o.blockSize = static_cast<int> (*n);
        }
        else if (flag == "--tempo")
        {
            const auto n = number (20.0, 999.0);
            if (! n)
                return fail ("--tempo needs a number of BPM from 20 to 999");
            o.tempo = *n;
        }
        else if (flag == "--tail")
        {
            const auto n = number (0.0, 60.0);
            if (! n)
                return fail ("--tail needs a number of seconds from 0 to 60");
            o.tailSeconds = *n;
        }
        else if (flag == "--bits")
        {
            const auto n = number (16.0, 32.0);
            if (! n || (*n != 16.0 && *n != 24.0 && *n != 32.0))
                return fail ("--bits must be 16, 24 or 32");
            o.bits = static_cast<int> (*n);
        }
        else
        {
            return fail ("unknown option '" + flag + "' (see --help)");
        }
    }
    return parsed;
}

} // namespace plumora::render
