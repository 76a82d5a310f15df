// Each shipped character map, step by step, measured in audio rendered by a
// real processor: every step moves its dimension further than the one before.

#include "simple/CharacterMap.h"
#include "simple/CharacterMapState.h"
#include "support/Spectrum.h"
#include "SimpleTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

using namespace plumora;
using plumora::test::SimpleSynth;
using plumora::test::StereoSignal;

namespace
{
constexpr double kRate = SimpleSynth::kRate;
constexpr int kNote = 57;

std::vector<float> slice (const std::vector<float>& x, double fromSeconds, double toSeconds)
{
    const auto from = static_cast<std::size_t> (fromSeconds * kRate), to = std::min (x.size(), static_cast<std::size_t> (toSeconds * kRate));
    return { x.begin() + static_cast<long> (from), x.begin() + static_cast<long> (to) };
}

double meanSquare (const std::vector<float>& x) { return plumora::test::energy (x, 0, x.size()); }

// Levels of consecutive windows of the given length.
std::vector<double> windowLevels (const std::vector<float>& x, double windowSeconds, const std::function<double (const std::vector<float>&)>& level)
{
    const auto window = static_cast<std::size_t> (windowSeconds * kRate);
    std::vector<double> levels;
    for (std::size_t start = 0; start + window <= x.size(); start += window)
        levels.push_back (level ({ x.begin() + static_cast<long> (start), x.begin() + static_cast<long> (start + window) }));
    return levels;
}

double highShare (const std::vector<float>& x)
{
    const auto spectrum = plumora::test::amplitudeSpectrum (x);
    return plumora::test::bandEnergy (spectrum, kRate, 2000.0, 12000.0) / (plumora::test::bandEnergy (spectrum, kRate, 20.0, 20000.0) + 1.0e-30);
}

// Tone: the share of energy between 2 and 12 kHz while a note is held.
double brightness (SimpleSynth& synth)
{
    return highShare (slice (synth.render (1.0, SimpleSynth::noteOn (kNote)).left, 0.5, 1.0));
}

// Punch: how long the note holds on, relative to its peak (10 ms windows).
double sustain (SimpleSynth& synth)
{
    const auto levels = windowLevels (synth.render (1.6, SimpleSynth::noteOn (kNote)).left, 0.01, meanSquare);
    const double peak = *std::max_element (levels.begin(), levels.end());
    double held = 0.0;
    for (std::size_t w = 130; w < 150; ++w) // 1.3 to 1.5 s
        held += levels[w] / 20.0;
    return std::sqrt (held / peak);
}

void singleBrightVoice (SimpleSynth& synth);

// The upper band's level in dB, in consecutive windows of a held note.
std::vector<double> upperBandLevels (SimpleSynth& synth)
{
    const auto held = slice (synth.render (3.0, SimpleSynth::noteOn (kNote)).left, 0.5, 3.0);
    auto levels = windowLevels (held, 1024.0 / kRate, [] (const std::vector<float>& x)
    {
        return plumora::test::bandEnergy (plumora::test::amplitudeSpectrum (x), kRate, 1000.0, 8000.0);
    });
    for (auto& level : levels)
        level = 10.0 * std::log10 (level);
    return levels;
}

// Movement: how fast the upper band's level changes from window to window
// (in dB per window), beyond what the same note does without LFO or drift
// (its bloom slowly darkens it, which a slow LFO would otherwise partly cancel).
double motion (SimpleSynth& synth)
{
    SimpleSynth unmodulated;
    singleBrightVoice (unmodulated);
    unmodulated.writer.set (ParamID::osc1_drift_amt, 0.0f);
    const auto own = upperBandLevels (unmodulated);
    const auto moved = upperBandLevels (synth);
    double change = 0.0;
    for (std::size_t w = 1; w < moved.size(); ++w)
        change += std::abs ((moved[w] - moved[w - 1]) - (own[w] - own[w - 1]));
    return change / static_cast<double> (moved.size() - 1);
}

// Space: the tail 1 to 2 s after the note ends, relative to the note.
double tail (SimpleSynth& synth)
{
    const auto note = synth.render (0.5, SimpleSynth::noteOn (kNote));
    const auto after = synth.render (2.0, SimpleSynth::noteOff (kNote));
    return meanSquare (slice (after.left, 1.0, 2.0)) / meanSquare (slice (note.left, 0.1, 0.5));
}

// Density: stereo spread, the side signal's energy relative to the mid's.
double spread (SimpleSynth& synth)
{
    const auto signal = synth.render (4.0, SimpleSynth::noteOn (kNote));
    double mid = 0.0, side = 0.0;
    for (std::size_t i = static_cast<std::size_t> (0.3 * kRate); i < signal.left.size(); ++i)
    {
        mid += std::pow (signal.left[i] + signal.right[i], 2.0);
        side += std::pow (signal.left[i] - signal.right[i], 2.0);
    }
    return side / mid;
}

// The sound each map is heard on.
void asIs (SimpleSynth&) {}

// Reverb and delay off, so their tails do not blur the measure.
void dry (SimpleSynth& synth)
{
    synth.writer.set (ParamID::reverb_bypass, 1.0f);
    synth.writer.set (ParamID::delay_bypass, 1.0f);
}

// The analog stack's brightest frame: harmonics for the filter to take away.
void bright (SimpleSynth& synth) { synth.writer.set (ParamID::osc1_wt_pos, 1.0f); }

// One bright voice, dry and without chorus: no beating or chorus sweep for
// the motion to hide in.
void singleBrightVoice (SimpleSynth& synth)
{
    dry (synth);
    bright (synth);
    synth.writer.set (ParamID::osc1_unison, 1.0f);
    synth.writer.set (ParamID::chorus_bypass, 1.0f);
}

struct MapMeasure
{
    const char* map;
    void (*prepare) (SimpleSynth&);
    double (*measure) (SimpleSynth&);
    bool rising;
};

const MapMeasure kMeasures[] = {
    { "Tone", bright, brightness, false },
    { "Punch", dry, sustain, false },
    { "Movement", singleBrightVoice, motion, true },
    { "Space", asIs, tail, true },
    { "Density", dry, spread, true },
};
} // namespace

TEST (SimpleShippedMapSound, EveryStepTakesItsDimensionFurtherInRenderedAudio)
{
    const auto maps = loadCharacterMaps (plumora::test::shippedResources());
    ASSERT_EQ (maps.size(), 5u);

    for (const auto& m : kMeasures)
    {
        const auto map = std::find_if (maps.begin(), maps.end(), [&m] (const CharacterMap& candidate) { return candidate.name == m.map; });
        ASSERT_NE (map, maps.end());

        std::vector<double> values;
        for (int s = 0; s < static_cast<int> (map->steps.size()); ++s)
        {
            auto synth = std::make_unique<SimpleSynth>(); // a fresh sound for every step: no tails carried over
            m.prepare (*synth);
            CharacterMapState state (*map);
            applyStep (state, s, synth->writer);
            values.push_back (m.measure (*synth));
        }

        for (std::size_t s = 1; s < values.size(); ++s)
            EXPECT_TRUE (m.rising ? values[s] > values[s - 1] : values[s] < values[s - 1])
                << m.map << " step " << s << ": " << values[s - 1] << " then " << values[s];
    }
}
