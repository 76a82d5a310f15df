#include "RenderCommand.h"

#include "OfflineRenderer.h"
#include "RenderOptions.h"
#include "RenderPicture.h"
#include "processor/PluginProcessor.h"

#include <algorithm>
#include <ostream>

namespace plumora::render
{
namespace
{
constexpr double kLongestDefaultTail = 15.0;

int editDistance (const juce::String& a, const juce::String& b)
{
    std::vector<int> previous (static_cast<std::size_t> (b.length() + 1)), current (previous.size());
    for (int j = 0; j <= b.length(); ++j)
        previous[static_cast<std::size_t> (j)] = j;
    for (int i = 1; i <= a.length(); ++i)
    {
        current[0] = i;
        for (int j = 1; j <= b.length(); ++j)
            current[static_cast<std::size_t> (j)] = std::min ({ previous[static_cast<std::size_t> (j)] + 1, current[static_cast<std::size_t> (j - 1)] + 1,
                                                                previous[static_cast<std::size_t> (j - 1)] + (a[i - 1] == b[j - 1] ? 0 : 1) });
        std::swap (previous, current);
    }
    return previous.back();
}

void listPresets (PresetManager& presets, std::ostream& out)
{
    const auto print = [&out] (const char* origin, const std::vector<PresetDocument>& list)
    {
        for (const auto& document : list)
            out << origin << "\t" << scopeId (document.scope) << "\t" << document.tags.category << "\t" << document.name << "\n";
    };
    print ("factory", presets.getFactoryPresets());
    print ("user", presets.getUserPresets());
}

juce::String decibelsText (float gain)
{
    return juce::String (juce::Decibels::gainToDecibels (gain, -150.0f), 1) + " dBFS";
}
} // namespace

juce::StringArray closestNames (const juce::String& wanted, const juce::StringArray& names)
{
    std::vector<std::pair<int, juce::String>> scored;
    for (const auto& name : names)
        scored.emplace_back (editDistance (wanted.toLowerCase(), name.toLowerCase()), name);
    std::stable_sort (scored.begin(), scored.end(), [] (const auto& a, const auto& b) { return a.first < b.first; });
    juce::StringArray closest;
    for (std::size_t i = 0; i < std::min<std::size_t> (3, scored.size()); ++i)
        closest.add (scored[i].second);
    return closest;
}

int runRenderCommand (const juce::StringArray& arguments, std::ostream& out, std::ostream& err, bool showProgress)
{
    const auto fail = [&err] (const juce::String& message) { err << "plumora-render: " << message << "\n"; return 2; };

    const auto parsed = parseOptions (arguments);
    if (parsed.error.isNotEmpty())
        return fail (parsed.error);
    const auto& options = parsed.options;
    if (options.help)
    {
        out << usageText();
        return 0;
    }

    PlumoraAudioProcessor processor;
    auto& presets = processor.presets();
    if (options.listPresets)
    {
        listPresets (presets, out);
        return 0;
    }

    if (options.presetFile != juce::File())
    {
        const auto document = readPresetFile (options.presetFile);
        if (document.name.isEmpty())
            return fail ("'" + options.presetFile.getFullPathName() + "' is not a readable preset file");
        presets.loadPreset (document);
    }
    else if (! presets.loadPresetByName (options.presetName))
    {
        juce::StringArray names;
        for (const auto* document : presets.getAllPresets())
            names.add (document->name);
        return fail ("no preset named '" + options.presetName + "'; closest: " + closestNames (options.presetName, names).joinIntoString (", "));
    }

    const auto performance = options.midiFile != juce::File() ? loadMidiFile (options.midiFile, options.tempo)
                                                              : demoPhrase (options.tempo.value_or (120.0));
    if (performance.error.isNotEmpty())
        return fail (performance.error);

    const double tail = options.tailSeconds.value_or (juce::jmin (processor.getTailLengthSeconds(), kLongestDefaultTail));
    int shownPercent = -1;
    const auto progress = [&] (double done)
    {
        const int percent = static_cast<int> (done * 100.0);
        if (! showProgress || percent == shownPercent)
            return;
        shownPercent = percent;
        err << "\r[" << std::string (static_cast<std::size_t> (percent / 4), '#') << std::string (static_cast<std::size_t> (25 - percent / 4), ' ')
            << "] " << percent << "%" << std::flush;
    };
    const auto rendered = renderPerformance (processor, performance, options.sampleRate, options.blockSize, tail, progress);
    if (showProgress)
        err << "\r" << std::string (40, ' ') << "\r" << std::flush;

    juce::String error;
    if (! writeWav (rendered, options.bits, options.output, error))
        return fail (error);
    if (options.picture != juce::File() && ! writePicture (rendered, options.picture, error))
        return fail (error);

    const double seconds = rendered.audio.getNumSamples() / rendered.sampleRate;
    float peak = 0.0f, rms = 0.0f;
    for (int channel = 0; channel < 2; ++channel)
    {
        peak = juce::jmax (peak, rendered.audio.getMagnitude (channel, 0, rendered.audio.getNumSamples()));
        rms = juce::jmax (rms, rendered.audio.getRMSLevel (channel, 0, rendered.audio.getNumSamples()));
    }
    out << "Rendered " << juce::String (seconds, 2) << " s of '" << presets.getCurrentPresetName() << "' to "
        << options.output.getFullPathName() << ": peak " << decibelsText (peak) << ", RMS " << decibelsText (rms) << ", "
        << juce::String (seconds / juce::jmax (rendered.renderSeconds, 1.0e-9), 1) << "x real time\n";
    return 0;
}

} // namespace plumora::render
